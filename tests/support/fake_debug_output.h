// Captures every OutputDebugStringA call as one line, in order.
#pragma once

#include <string>
#include <vector>

#include "platform/debug_output.h"

namespace fake {

class FakeDebugOutput final : public platform::DebugOutput {
 public:
  void OutputDebugStringA(LPCSTR line) override { lines.emplace_back(line != nullptr ? line : ""); }

  std::vector<std::string> lines;
};

}  // namespace fake
