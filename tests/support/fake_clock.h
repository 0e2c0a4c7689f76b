// Virtual steady clock. Time moves only when a test advances it (FakeTimers::advance) or the code
// under test sleeps; a sleep fires no timers, as a sleeping thread runs no timer procedures.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/clock.h"

namespace fake {

class FakeClock final : public platform::Clock {
 public:
  std::int64_t SteadyNowNs() override { return nowNs; }
  void Sleep(DWORD milliseconds) override {
    sleeps.push_back(milliseconds);
    nowNs += static_cast<std::int64_t>(milliseconds) * 1'000'000;
  }

  // Starts away from zero so a stale zero time stamp cannot pass for a fresh one.
  std::int64_t nowNs = 1'000'000'000'000;
  std::vector<DWORD> sleeps;
};

}  // namespace fake
