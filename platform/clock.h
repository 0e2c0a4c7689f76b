// Steady time in nanoseconds and blocking sleeps.
//
// The fake's clock is virtual: Sleep advances it without dispatching timers, just as a sleeping
// thread runs no timer procedures.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t SteadyNowNs() = 0;
  virtual void Sleep(DWORD milliseconds) = 0;
};

}  // namespace platform
