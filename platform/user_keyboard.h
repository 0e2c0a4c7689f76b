// What the user's own keyboard did, as the hook thread saw it, for the paste thread.
//
// The paste presses keys of its own around the user's: before typing it releases the modifiers
// the user holds and afterwards presses them again, and typing stops when the user starts typing
// themselves. The system's key state cannot tell either: GetAsyncKeyState changes only after every
// low-level hook has returned (a key just released still reads as down) and it shows our own input
// as the user's. The hook thread knows better: it sees every event first and tells the user's from
// ours. It publishes what it saw here; the paste thread reads it.
//
// One process-wide object (the platform's), written only on the hook thread, read from any
// thread. Lock-free atomics: the hook procedure may neither lock nor allocate.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

namespace platform {

class UserKeyboard {
 public:
  // The modifiers, one bit each, in the order of kModifierVks.
  static constexpr std::uint8_t kModifierVks[8] = {0xA0, 0xA1, 0xA2, 0xA3,   // L/R Shift, L/R Ctrl
                                                   0xA4, 0xA5, 0x5B, 0x5C};  // L/R Alt, L/R Win
  // Hook thread: the hook is installed and every later event will be seen (`modifiers`: what the
  // user holds now), or it is gone and nothing published is true any longer.
  void tracking(std::optional<std::uint8_t> modifiers) {
    modifiers_.store(modifiers ? kTracking | *modifiers : 0, std::memory_order_release);
  }
  // Hook thread: the user's modifiers after one of their own events.
  void modifiersNow(std::uint8_t modifiers) {
    if ((modifiers_.load(std::memory_order_relaxed) & kTracking) != 0) {
      modifiers_.store(kTracking | modifiers, std::memory_order_release);
    }
  }
  // Hook thread: the user pressed a key (not a repeat of one held).
  void userKeyDown() { keyDowns_.fetch_add(1, std::memory_order_release); }

  // Any thread: the modifiers the user holds, or nothing while the hook is not tracking them.
  std::optional<std::uint8_t> heldModifiers() const {
    const std::uint32_t value = modifiers_.load(std::memory_order_acquire);
    if ((value & kTracking) == 0) return std::nullopt;
    return static_cast<std::uint8_t>(value & 0xFF);
  }
  // Any thread: how many keys the user has pressed so far; only its growth means anything.
  std::uint32_t keyDowns() const { return keyDowns_.load(std::memory_order_acquire); }

 private:
  static constexpr std::uint32_t kTracking = 0x100;
  std::atomic<std::uint32_t> modifiers_{0};
  std::atomic<std::uint32_t> keyDowns_{0};
};

}  // namespace platform
