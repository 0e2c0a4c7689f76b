#include <windows.h>

#include "platform/debug_output.h"
#include "platform/win32/win32_platform.h"

namespace platform {
namespace {

class RealDebugOutput final : public DebugOutput {
 public:
  void OutputDebugStringA(LPCSTR line) override { ::OutputDebugStringA(line); }
};

}  // namespace

DebugOutput& Win32DebugOutput() {
  static auto* output = new RealDebugOutput;  // never destroyed: see win32_platform.h
  return *output;
}

}  // namespace platform
