// Thread timers without a window (SetTimer with a null window and a timer procedure).
//
// The fake fires timers only when a test advances virtual time, with the id SetTimer returned.
#pragma once

#include "platform/win_types.h"

namespace platform {

class Timers {
 public:
  virtual ~Timers() = default;
  virtual UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC proc) = 0;
  virtual BOOL KillTimer(HWND window, UINT_PTR id) = 0;
};

}  // namespace platform
