// The AltGr artefact: the Left Ctrl key event Windows makes up before each Right Alt on layouts
// with AltGr. It is not the user's Left Ctrl, so the hotkey must never judge it.
//
// Known by its scan code (0x21D), or, from remote sessions and tools that send a plain Left Ctrl,
// by the Right Alt that follows it with the same time stamp. A Left Ctrl key-down of the second
// kind can be known only at that Right Alt, so its copy is held back until the next event (or a
// few milliseconds, HookFilter::kHoldBackMs): dropped if that is the pair's Right Alt, posted first
// otherwise. The key-up of an artefact known that way is an artefact too.
//
// Owned by the hotkey hook filter; hook thread only. Never allocates, locks or waits.
#pragma once

#include <cstdint>

#include "platform/hook_thread.h"
#include "platform/win_types.h"

class AltGrRule {
 public:
  static constexpr std::uint32_t kLeftCtrl = 162;

  // Forgets a held copy and an artefact down (the hook was installed again).
  void reset() {
    held_ = false;
    artefactDown_ = false;
  }

  enum class Settled { NothingHeld, Artefact, Users };
  // What the held Left Ctrl copy was, now that an event with `down`, `vk` and `time` follows it.
  // Users: its copy is in `copy`, to go before the event's own.
  Settled settle(bool down, std::uint32_t vk, DWORD time, platform::HookedKey& copy);
  // The event is an artefact known from itself: its scan code, or the key-up of one held down.
  bool isArtefact(bool down, std::uint32_t vk, DWORD scanCode);
  // The copy of the user's first Left Ctrl key-down at `time` waits for the next event.
  void holdBack(const platform::HookedKey& copy, DWORD time);
  // The wait is over: true with the copy if no event has settled it yet.
  bool releaseHeld(platform::HookedKey& out);

 private:
  bool held_ = false;
  platform::HookedKey heldCopy_;
  DWORD heldTime_ = 0;
  // An artefact Left Ctrl known by its Right Alt is down: its key-up is not the user's either.
  bool artefactDown_ = false;
};
