#include "paste/paste_keys.h"

#include "platform/own_input.h"

namespace paste {
namespace {

constexpr WORD kVkV = 0x56;

struct Modifier {
  WORD vk;
  DWORD flags;  // the extended-key flag of the right-hand and Win keys
  bool needsMask;
};

constexpr Modifier kModifiers[] = {
    {VK_LSHIFT, 0, false},
    {VK_RSHIFT, 0, false},
    {VK_LMENU, 0, true},
    {VK_RMENU, KEYEVENTF_EXTENDEDKEY, true},
    {VK_LWIN, KEYEVENTF_EXTENDEDKEY, true},
    {VK_RWIN, KEYEVENTF_EXTENDEDKEY, true},
};

}  // namespace

std::vector<INPUT> pasteKeys(platform::Keyboard& keyboard) {
  std::vector<INPUT> keys;
  bool masked = false;
  for (const Modifier& modifier : kModifiers) {
    if ((keyboard.GetAsyncKeyState(modifier.vk) & 0x8000) == 0) continue;
    if (modifier.needsMask && !masked) {
      keys.push_back(platform::ownKeyInput(kMaskVk, 0));
      keys.push_back(platform::ownKeyInput(kMaskVk, KEYEVENTF_KEYUP));
      masked = true;
    }
    keys.push_back(platform::ownKeyInput(modifier.vk, modifier.flags | KEYEVENTF_KEYUP));
  }
  keys.push_back(platform::ownKeyInput(VK_CONTROL, 0));
  keys.push_back(platform::ownKeyInput(kVkV, 0));
  keys.push_back(platform::ownKeyInput(kVkV, KEYEVENTF_KEYUP));
  keys.push_back(platform::ownKeyInput(VK_CONTROL, KEYEVENTF_KEYUP));
  return keys;
}

}  // namespace paste
