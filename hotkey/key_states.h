// The modifier keys and the key states a hooked key carries to the main thread.
//
// The hook thread reads the keys the hold state machine judges (the eight modifiers and the
// hotkey's own two keys) at the moment of the event; the state machine later reads them from the
// copy instead of asking Windows, whose state has moved on by then. Portable; any thread.
#pragma once

#include <array>
#include <cstdint>

#include "platform/keyboard.h"

// Left/Right Shift, Ctrl, Alt, Windows, in the order the exclusivity test walks them. Any other
// key, the side-less codes 16-18 included, is a foreign key.
inline constexpr std::array<std::uint32_t, 8> modifierKeys = {160, 161, 162, 163, 164, 165, 91, 92};

inline bool isModifier(std::uint32_t vk) {
  for (const std::uint32_t m : modifierKeys) {
    if (m == vk) return true;
  }
  return false;
}

// Bit i: modifierKeys[i]; bit 8: the primary key; bit 9: the second key.
class KeyStates {
 public:
  KeyStates(std::uint16_t bits, std::uint32_t primaryVk, std::uint32_t secondVk)
      : bits_(bits), primaryVk_(primaryVk), secondVk_(secondVk) {}

  // Taken now from the asynchronous key state (inside the hook: the state before the event).
  static KeyStates read(platform::Keyboard& keyboard, std::uint32_t primaryVk,
                        std::uint32_t secondVk) {
    std::uint16_t bits = 0;
    for (std::size_t i = 0; i < modifierKeys.size(); ++i) {
      if (asyncDown(keyboard, modifierKeys[i])) bits |= static_cast<std::uint16_t>(1u << i);
    }
    // A hotkey key outside the modifiers ("Fn") needs a bit of its own.
    if (!isModifier(primaryVk) && asyncDown(keyboard, primaryVk)) bits |= 1u << 8;
    if (secondVk != 0 && !isModifier(secondVk) && asyncDown(keyboard, secondVk)) bits |= 1u << 9;
    return KeyStates(bits, primaryVk, secondVk);
  }

  std::uint16_t bits() const { return bits_; }

  bool isDown(std::uint32_t vk) const {
    for (std::size_t i = 0; i < modifierKeys.size(); ++i) {
      if (modifierKeys[i] == vk) return (bits_ & (1u << i)) != 0;
    }
    if (vk == primaryVk_) return (bits_ & (1u << 8)) != 0;
    if (vk == secondVk_) return (bits_ & (1u << 9)) != 0;
    return false;
  }

  // A modifier other than `first` and `second` is down (the exclusivity test).
  bool otherModifierDown(std::uint32_t first, std::uint32_t second) const {
    for (const std::uint32_t m : modifierKeys) {
      if (m != first && m != second && isDown(m)) return true;
    }
    return false;
  }

 private:
  static bool asyncDown(platform::Keyboard& keyboard, std::uint32_t vk) {
    return (keyboard.GetAsyncKeyState(static_cast<int>(vk)) & 0x8000) != 0;
  }

  std::uint16_t bits_;
  std::uint32_t primaryVk_;
  std::uint32_t secondVk_;
};
