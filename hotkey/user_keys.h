// Which keys the user holds, judged from the hooked events rather than the system's key state.
//
// The shell's own input (a paste releases held modifiers and presses Ctrl) and the AltGr artefact
// change the system's key state without the user touching a key; the hold state machine must not
// see those changes. So the hook filter keeps two views of every key: what the user's own events
// did, and what all events the hook saw did (the system's state as the hook knows it). A key that
// had no event since the hook was installed, or whose system state no longer matches what the
// hook saw (the hook missed events: it was removed, or another desktop or an elevated window had
// the keyboard), is taken from the system's state, which is then all we know.
//
// Owned by the hook filter; hook thread only. Never allocates, locks or waits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "platform/keyboard.h"
#include "platform/user_keyboard.h"

class UserKeys {
 public:
  explicit UserKeys(platform::Keyboard& keyboard) : keyboard_(keyboard) {}

  // Forgets every key (the hook was installed again).
  void reset() {
    seen_ = {};
    user_ = {};
    system_ = {};
  }

  // Whether the user holds `vk`, before the event being hooked. Inside the hook the system's
  // state still shows the state before that event too, so the two can be compared.
  bool down(std::uint32_t vk) {
    const bool systemDown = (keyboard_.GetAsyncKeyState(static_cast<int>(vk)) & 0x8000) != 0;
    if (!get(seen_, vk) || get(system_, vk) != systemDown) {
      set(seen_, vk, true);
      set(user_, vk, systemDown);
      set(system_, vk, systemDown);
    }
    return get(user_, vk);
  }
  // An event of the user's.
  void userSaw(std::uint32_t vk, bool isDown) {
    set(seen_, vk, true);
    set(user_, vk, isDown);
    set(system_, vk, isDown);
  }
  // An event that is not the user's (our own input, the AltGr artefact): only the system moved.
  void systemSaw(std::uint32_t vk, bool isDown) {
    down(vk);  // a key held since before the hook keeps its state for the user
    set(system_, vk, isDown);
  }
  // A key-down that turned out not to be the user's: the user's state goes back to `before`.
  void notTheUsers(std::uint32_t vk, bool before) { set(user_, vk, before); }
  // The modifiers the user holds, one bit each in platform::UserKeyboard's order. With
  // `askSystem` (outside the hook procedure: it costs a system call per key) a modifier without
  // an event since the reset is taken from the system's state; without, as the events left them.
  std::uint8_t modifiers(bool askSystem) {
    std::uint8_t bits = 0;
    for (std::size_t i = 0; i < std::size(platform::UserKeyboard::kModifierVks); ++i) {
      const std::uint32_t vk = platform::UserKeyboard::kModifierVks[i];
      if (askSystem ? down(vk) : get(user_, vk)) bits |= static_cast<std::uint8_t>(1u << i);
    }
    return bits;
  }

 private:
  using Bits = std::array<std::uint64_t, 4>;
  static bool get(const Bits& bits, std::uint32_t vk) {
    return ((bits[(vk & 0xFF) / 64] >> (vk % 64)) & 1u) != 0;
  }
  static void set(Bits& bits, std::uint32_t vk, bool on) {
    const std::uint64_t bit = std::uint64_t{1} << (vk % 64);
    if (on) {
      bits[(vk & 0xFF) / 64] |= bit;
    } else {
      bits[(vk & 0xFF) / 64] &= ~bit;
    }
  }

  platform::Keyboard& keyboard_;
  Bits seen_{};
  Bits user_{};
  Bits system_{};
};
