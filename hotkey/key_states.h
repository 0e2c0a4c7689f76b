// The key states the hold state machine reads: the reader it judges with, the modifiers and the
// exclusivity test, and the two sources: those a hooked key carries to the main thread, and the
// system's state now (for the release poll).
//
// The hook thread takes the keys the hold state machine judges (the eight modifiers and the
// hotkey's own two keys) at the moment of the event, as the user's own events left them; the
// state machine later reads them from the copy instead of asking Windows, whose state has moved
// on by then and also shows what our own input did. Portable; any thread.
#pragma once

#include <array>
#include <cstdint>

#include "hotkey/bound_button.h"
#include "hotkey/key_spec.h"
#include "platform/keyboard.h"

// Whether a key is down, as the hook saw it: for the key of the event being judged, the state
// before that event.
class KeyStates {
 public:
  virtual bool isDown(std::uint32_t vk) const = 0;

 protected:
  ~KeyStates() = default;
};

// Left/Right Shift, Ctrl, Alt, Windows, in the order the exclusivity test walks them. Any other
// key, the side-less codes 16-18 included, is a foreign key.
inline constexpr std::array<std::uint32_t, 8> modifierKeys = {160, 161, 162, 163, 164, 165, 91, 92};

bool isModifier(std::uint32_t vk);
// True when a modifier other than the hotkey's own keys is down (the exclusivity test).
bool otherModifierDown(const KeyStates& states, std::uint32_t first, std::uint32_t second);

// Bit i: modifierKeys[i]; bit 8: the primary key; bit 9: the second key (each only when it is not
// a modifier already).
class HookedKeyStates final : public KeyStates {
 public:
  HookedKeyStates(std::uint16_t bits, const KeySpec& keys)
      : bits_(bits), primaryVk_(keys.primaryVk), secondVk_(keys.comboVk != 0 ? 0 : keys.secondVk) {}

  // The bits for `keys`, each key asked of `isDown` (a callable taking a virtual key).
  template <typename IsDown>
  static std::uint16_t pack(IsDown&& isDown, const KeySpec& keys) {
    const HookedKeyStates layout(0, keys);
    std::uint16_t bits = 0;
    for (std::size_t i = 0; i < modifierKeys.size(); ++i) {
      if (isDown(modifierKeys[i])) bits |= static_cast<std::uint16_t>(1u << i);
    }
    // A hotkey key outside the modifiers ("Fn") needs a bit of its own.
    if (!isModifier(layout.primaryVk_) && isDown(layout.primaryVk_)) bits |= 1u << 8;
    if (layout.secondVk_ != 0 && !isModifier(layout.secondVk_) && isDown(layout.secondVk_)) {
      bits |= 1u << 9;
    }
    return bits;
  }

  bool isDown(std::uint32_t vk) const override {
    for (std::size_t i = 0; i < modifierKeys.size(); ++i) {
      if (modifierKeys[i] == vk) return (bits_ & (1u << i)) != 0;
    }
    if (vk == primaryVk_) return (bits_ & (1u << 8)) != 0;
    if (vk == secondVk_) return (bits_ & (1u << 9)) != 0;
    return false;
  }

 private:
  std::uint16_t bits_;
  std::uint32_t primaryVk_;
  std::uint32_t secondVk_;
};

// The system's key state at the moment of asking; the bound mouse button as the hook thread saw
// it, since Windows never records a button the hook swallowed.
class AsyncKeyStates final : public KeyStates {
 public:
  AsyncKeyStates(platform::Keyboard& keyboard, const BoundButton& button)
      : keyboard_(keyboard), button_(button) {}
  bool isDown(std::uint32_t vk) const override {
    if (vk == button_.vk()) return button_.isDown();
    return (keyboard_.GetAsyncKeyState(static_cast<int>(vk)) & 0x8000) != 0;
  }

 private:
  platform::Keyboard& keyboard_;
  const BoundButton& button_;
};
