// The keystrokes of a paste: a paste chord that reaches the target as exactly that chord whatever
// modifiers the user holds, and leaves the system's key state as the keyboard is.
//
// Ctrl+V pastes almost everywhere; terminals (mintty, PuTTY, the console, Windows Terminal,
// ConEmu) type a literal ^V on it and paste on Shift+Insert instead. The Dart side may name the
// chord itself.
//
// A held Shift would make Ctrl+V Ctrl+Shift+V (another command in many editors), a held Alt
// Ctrl+Alt+V (AltGr+V on many layouts), a held Win a system shortcut. So every held modifier
// (left and right Shift, Ctrl, Alt, Win) is released first, the chord's own modifiers are the
// only ones down with its key, and after the chord each released modifier is pressed again, in
// the same batch: a hotkey held through the paste goes on, and its letter's auto-repeat types
// nothing. Which modifiers the user holds comes from the keyboard hook, which sees each of the
// user's events before anyone: the system's key state changes only after every hook has returned,
// so a modifier whose key-up is still on its way would read as down and be pressed again for good.
// Before the first Alt or Win release goes the mask key, so that the lone release opens
// neither the menu bar nor Start; after an Alt or Win pressed again it goes once more, so that
// the user's own release later does not either. Every record carries the shell's own-input
// signature and its scan code (platform/own_input.h). Portable; the paste thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/keyboard.h"
#include "platform/platform.h"

namespace paste {

// Unassigned; any key between the Alt/Win press and its release keeps the release inert.
inline constexpr WORD kMaskVk = 0xE8;

enum class PasteChord { CtrlV, ShiftInsert, CtrlShiftV };

// The chord a "keys" argument names: "Ctrl + V", "Shift + Insert" or "Ctrl + Shift + V", exactly;
// nothing for any other text.
std::optional<PasteChord> pasteChordFromLabel(std::string_view label);

// The chord that pastes into a window of `className`: Shift+Insert for the terminals, Ctrl+V
// everywhere else.
PasteChord pasteChordForWindowClass(std::u16string_view className);

// The modifiers the user holds, one bit each in the order of platform::UserKeyboard::kModifierVks:
// what the keyboard hook saw while it is installed, else the system's key state.
std::uint8_t heldModifiers(platform::Platform& platform);

// The one SendInput batch for `chord` with the modifiers `held` released around it.
std::vector<INPUT> pasteKeys(platform::Keyboard& keyboard, std::uint8_t held, PasteChord chord);

// The two halves around keys of ours, appended to `keys`: the modifiers `held` released (mask key
// first where needed), and pressed again (mask key last). Typing spreads its batches between them.
void releaseModifiers(platform::Keyboard& keyboard, std::uint8_t held, std::vector<INPUT>& keys);
void pressModifiersAgain(platform::Keyboard& keyboard, std::uint8_t held, std::vector<INPUT>& keys);

}  // namespace paste
