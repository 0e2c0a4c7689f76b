// One thread timer (SetTimer without a window) and the id Windows gave it, owned by the part whose
// procedure it runs. Used by every part of the hotkey controller, on the main thread.
//
// The id is non-zero exactly while the timer may still fire: a procedure that ends its own timer
// does so through stop(). Windows hands thread-timer ids out again once they are free, so an id
// kept after its timer ended could kill or replace a newer timer of another part. For the same
// reason a start never asks for a particular id: SetTimer with the id of a live timer replaces it.
#pragma once

#include "platform/timers.h"
#include "platform/win_types.h"

namespace platform {

class ThreadTimer {
 public:
  ThreadTimer(Timers& timers, UINT periodMs, TIMERPROC proc)
      : timers_(timers), periodMs_(periodMs), proc_(proc) {}
  ~ThreadTimer() { stop(); }
  ThreadTimer(const ThreadTimer&) = delete;
  ThreadTimer& operator=(const ThreadTimer&) = delete;

  // Starts the timer afresh, stopping a running one first.
  void start() {
    stop();
    id_ = timers_.SetTimer(nullptr, 0, periodMs_, proc_);
  }

  void stop() {
    if (id_ == 0) return;
    timers_.KillTimer(nullptr, id_);
    id_ = 0;
  }

  UINT_PTR id() const { return id_; }
  bool running() const { return id_ != 0; }

 private:
  Timers& timers_;
  UINT periodMs_;
  TIMERPROC proc_;
  UINT_PTR id_ = 0;
};

}  // namespace platform
