// Thread timers on the virtual clock: they fire only inside advance(), in due order, with the id
// SetTimer returned.
//
// As on Windows, SetTimer with a null window ignores the requested id unless it names a live
// thread timer (which it then replaces) and hands out ids of its own, counting down from 0x7FFF.
// A timer with a window keeps the requested id.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/timers.h"
#include "tests/support/fake_clock.h"

namespace fake {

class FakeTimers final : public platform::Timers {
 public:
  explicit FakeTimers(FakeClock& clock) : clock_(clock) {}

  UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC proc) override;
  BOOL KillTimer(HWND window, UINT_PTR id) override;

  // Moves the clock forward by `ms`, firing every timer that falls due on the way.
  void advance(std::int64_t ms);

  struct Timer {
    HWND window;
    UINT_PTR id;
    std::int64_t periodNs;
    std::int64_t dueNs;
    TIMERPROC proc;
    std::uint64_t order;  // ties fire in the order they were set
  };
  const std::vector<Timer>& running() const { return timers_; }
  bool isRunning(UINT_PTR id) const;
  // The period of a running timer in ms, or -1.
  std::int64_t periodMs(UINT_PTR id) const;
  // Where the search for the next thread-timer id starts.
  UINT_PTR nextThreadId() const { return nextThreadId_; }

 private:
  Timer* find(HWND window, UINT_PTR id);

  FakeClock& clock_;
  std::vector<Timer> timers_;
  UINT_PTR nextThreadId_ = 0x7FFF;
  std::uint64_t nextOrder_ = 0;
};

}  // namespace fake
