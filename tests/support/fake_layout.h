// Keyboard layouts for the keyboard fake, as VkKeyScanExW and MapVirtualKeyExW read them: which
// key and shift state make each character, each key's scan code and whether it is a dead key.
// US and German (QWERTZ: Y and Z swapped, ß on a key of its own, € on AltGr, ^ a dead key), only
// the characters the tests type.
#pragma once

#include <vector>

#include "platform/win_types.h"

namespace fake {

struct FakeLayoutKey {
  char16_t ch;
  BYTE vk;
  BYTE shiftState;  // 1 Shift, 6 AltGr (Ctrl+Alt)
  WORD scan;
  bool dead = false;
};

using FakeLayout = std::vector<FakeLayoutKey>;

const FakeLayout& usLayout();
const FakeLayout& germanLayout();

}  // namespace fake
