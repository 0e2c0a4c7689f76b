// The shell's own synthesised input: one signature in dwExtraInfo on every SendInput record the
// shell sends (paste keys, mask keys, modifier releases and presses), so the keyboard hook can
// tell the shell's keys from the user's and pass them on without judging them.
//
// Every sender builds its records with ownKeyInput; nothing else sets dwExtraInfo. Each record
// also carries the key's scan code and, for an extended key, KEYEVENTF_EXTENDEDKEY: remote
// desktop, Citrix and virtual-machine clients forward scan codes, not virtual keys, so a record
// without them arrives there as nothing or as another key. Input that other programs inject
// (remote desktop, remapping tools) carries no signature and still counts. Portable; any thread.
#pragma once

#include "platform/keyboard.h"
#include "platform/win_types.h"

namespace platform {

// "MRMY" in ASCII: arbitrary, but unlikely to collide with another program's marker.
inline constexpr ULONG_PTR kOwnInputSignature = 0x4D524D59;

// Keys whose scan code Windows prefixes with E0: right Ctrl and Alt, the Win and menu keys and
// the navigation block. The layout's scan code (MAPVK_VK_TO_VSC) never says so itself.
constexpr bool isExtendedKey(WORD vk) {
  switch (vk) {
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      return true;
    default:
      return false;
  }
}

// A keyboard record for `vk` with `flags` (0 or KEYEVENTF_KEYUP) and `scan`, the extended flag
// where the key has one, and the signature.
inline INPUT ownKeyInput(WORD vk, WORD scan, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = scan;
  input.ki.dwFlags = flags | (isExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  input.ki.dwExtraInfo = kOwnInputSignature;
  return input;
}

// The same with the key's scan code in the active layout.
inline INPUT ownKeyInput(Keyboard& keyboard, WORD vk, DWORD flags) {
  return ownKeyInput(vk, static_cast<WORD>(keyboard.MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), flags);
}

// A record that types one UTF-16 unit whatever the layout (KEYEVENTF_UNICODE; the target sees
// VK_PACKET and the unit as a character), with the signature.
inline INPUT ownUnicodeInput(WCHAR unit, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = static_cast<WORD>(unit);
  input.ki.dwFlags = flags | KEYEVENTF_UNICODE;
  input.ki.dwExtraInfo = kOwnInputSignature;
  return input;
}

inline bool isOwnInput(ULONG_PTR extraInfo) { return extraInfo == kOwnInputSignature; }

}  // namespace platform
