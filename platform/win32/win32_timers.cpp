#include <windows.h>

#include "platform/timers.h"
#include "platform/win32/win32_platform.h"

namespace platform {
namespace {

class RealTimers final : public Timers {
 public:
  UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC proc) override {
    return ::SetTimer(window, id, elapseMs, proc);
  }
  BOOL KillTimer(HWND window, UINT_PTR id) override { return ::KillTimer(window, id); }
};

}  // namespace

Timers& Win32Timers() {
  static auto* timers = new RealTimers;  // never destroyed: see win32_platform.h
  return *timers;
}

}  // namespace platform
