// The shell's own synthesised input: one signature in dwExtraInfo on every SendInput record the
// shell sends (paste keys, mask keys, modifier releases), so the keyboard hook can tell the
// shell's keys from the user's and pass them on without judging them.
//
// Every sender builds its records with ownKeyInput; nothing else sets dwExtraInfo. Input that
// other programs inject (remote desktop, remapping tools) carries no signature and still counts.
// Portable; any thread.
#pragma once

#include "platform/win_types.h"

namespace platform {

// "MRMY" in ASCII: arbitrary, but unlikely to collide with another program's marker.
inline constexpr ULONG_PTR kOwnInputSignature = 0x4D524D59;

// A keyboard record for `vk` with `flags` (0 or KEYEVENTF_KEYUP, ...), carrying the signature.
inline INPUT ownKeyInput(WORD vk, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.dwFlags = flags;
  input.ki.dwExtraInfo = kOwnInputSignature;
  return input;
}

inline bool isOwnInput(ULONG_PTR extraInfo) { return extraInfo == kOwnInputSignature; }

}  // namespace platform
