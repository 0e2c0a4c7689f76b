// The debugger output that carries the application's diagnostic lines: one call per line.
#pragma once

#include "platform/win_types.h"

namespace platform {

class DebugOutput {
 public:
  virtual ~DebugOutput() = default;
  virtual void OutputDebugStringA(LPCSTR line) = 0;
};

}  // namespace platform
