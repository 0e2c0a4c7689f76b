// The keystrokes of a paste: Ctrl+V that reaches the target as Ctrl+V whatever modifiers the user
// still holds.
//
// A held Shift would make it Ctrl+Shift+V (another command in many editors), a held Alt
// Ctrl+Alt+V (AltGr+V on many layouts), a held Win a system shortcut. So each held Shift, Alt and
// Win key (left and right) is released first; before the first Alt or Win release goes the mask
// key, so that the lone release opens neither the menu bar nor Start. Released keys are not
// pressed again: the user's hand is off them by the time the paste is over, or they repeat.
// Every record carries the shell's own-input signature. Portable; the paste thread.
#pragma once

#include <vector>

#include "platform/keyboard.h"

namespace paste {

// Unassigned; any key between the Alt/Win press and its release keeps the release inert.
inline constexpr WORD kMaskVk = 0xE8;

// The one SendInput batch for the keyboard's current state.
std::vector<INPUT> pasteKeys(platform::Keyboard& keyboard);

}  // namespace paste
