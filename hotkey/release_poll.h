// The release poll: a hold never outlives its keys.
//
// The hook can miss a key-up: Windows removed the hook and the user let go before the repair, an
// elevated window (an installer, Task Manager, an admin terminal) had the keyboard, or the key-up
// went to another desktop. So while a hold lasts, and only then, the hotkey's keys are read from
// the system's key state every 100 ms, and once at once after the hook was installed again. Only
// two reads a period apart that both find every key up end the hold: inside a paste's key batch
// the system state shows the user's held modifiers up for an instant (the batch presses them
// again at its end), and that instant must not end a hold.
//
// Owned by the hold state, which starts it with a hold and stops it when the hold ends; its timer
// procedure is the controller's context-free callback. Main thread.
#pragma once

#include <cstdint>

#include "hotkey/key_spec.h"
#include "platform/thread_timer.h"

class KeyStates;

class ReleasePoll {
 public:
  static constexpr UINT kPeriodMs = 100;

  ReleasePoll(platform::Timers& timers, TIMERPROC proc) : timer_(timers, kPeriodMs, proc) {}

  void start() {
    upSinceNs_ = -1;
    upFirstAfterRepair_ = false;
    timer_.start();
  }
  void stop() { timer_.stop(); }

  enum class Read { Held, FirstUp, Released };
  // One read of the hotkey's keys `now`. Released: this read and the one before found them all
  // up; the keys went up no later than releasedAtNs().
  Read read(const KeySpec& keys, const KeyStates& now, std::int64_t nowNs);
  // The read after the hook was installed again: it starts a new run of reads, and the timer's
  // next read comes a whole period later.
  void readAfterRepair(const KeySpec& keys, const KeyStates& now, std::int64_t nowNs) {
    timer_.start();
    upSinceNs_ = -1;
    upFirstAfterRepair_ = read(keys, now, nowNs) == Read::FirstUp;
  }
  std::int64_t releasedAtNs() const { return upSinceNs_; }
  // The run of up reads began with the one after a repair.
  bool foundAfterRepair() const { return upFirstAfterRepair_; }
  const platform::ThreadTimer& timer() const { return timer_; }

 private:
  platform::ThreadTimer timer_;
  std::int64_t upSinceNs_ = -1;  // the first of the reads in a row that found the keys up
  bool upFirstAfterRepair_ = false;
};
