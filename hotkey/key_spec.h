// The hotkey as the Dart side names it ("Left Shift + Left Ctrl", "Left Ctrl + K", "Mouse 4") and
// the three virtual keys it gives, which decide how the hold state machine recognises a press. A
// mouse button is its virtual key (VK_MBUTTON, VK_XBUTTON1/2): alone it is a single-key hotkey,
// after one key name it takes the letter's place in the modifier + key form.
//
// A value: the controller keeps one and replaces it whole when a new label arrives, so no key of
// an earlier label survives. Main thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/debug_output.h"

struct KeySpec {
  std::uint32_t primaryVk = 160;
  std::uint32_t secondVk = 162;  // second modifier of a two-modifier hotkey; 0 = none
  std::uint32_t comboVk = 0;     // letter or digit of a modifier+key hotkey; 0 = none
  std::string label = "Left Shift + Left Ctrl";  // as received, untrimmed

  // The bound mouse button's virtual key, 0 for a keyboard hotkey.
  std::uint32_t mouseButton() const;
};

// VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2: the buttons a hotkey may use. Left and right never are
// (holding one would lock the pointer's ordinary use).
constexpr bool isMouseButton(std::uint32_t vk) { return vk >= 4 && vk <= 6; }

// The key specification of `label`. A first part that is not a key name falls back to Left Alt
// with one diagnostic line on `debug`; a second part that is neither a key name nor one letter or
// digit is ignored.
KeySpec keySpecFromLabel(const std::string& label, platform::DebugOutput& debug);
