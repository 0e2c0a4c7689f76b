#include "paste/paste_keys.h"

#include <algorithm>
#include <iterator>

#include "platform/own_input.h"

namespace paste {
namespace {

constexpr WORD kVkV = 0x56;

struct Modifier {
  WORD vk;
  bool needsMask;  // Alt and Win: a lone release or press-and-release of them does something
};

constexpr Modifier kModifiers[] = {
    {VK_LSHIFT, false}, {VK_RSHIFT, false}, {VK_LCONTROL, false}, {VK_RCONTROL, false},
    {VK_LMENU, true},   {VK_RMENU, true},   {VK_LWIN, true},      {VK_RWIN, true},
};

struct ChordKeys {
  PasteChord chord;
  std::string_view label;
  WORD modifiers[2];  // 0 where unused
  WORD key;
};

constexpr ChordKeys kChords[] = {
    {PasteChord::CtrlV, "Ctrl + V", {VK_LCONTROL, 0}, kVkV},
    {PasteChord::ShiftInsert, "Shift + Insert", {VK_LSHIFT, 0}, VK_INSERT},
    {PasteChord::CtrlShiftV, "Ctrl + Shift + V", {VK_LCONTROL, VK_LSHIFT}, kVkV},
};

// mintty (Git Bash, MSYS2, Cygwin), PuTTY, the console host, Windows Terminal, ConEmu.
constexpr std::u16string_view kTerminalClasses[] = {u"mintty", u"PuTTY", u"ConsoleWindowClass",
                                                    u"CASCADIA_HOSTING_WINDOW_CLASS",
                                                    u"VirtualConsoleClass"};

void append(std::vector<INPUT>& keys, platform::Keyboard& keyboard, WORD vk, DWORD flags) {
  keys.push_back(platform::ownKeyInput(keyboard, vk, flags));
}

void appendMask(std::vector<INPUT>& keys, platform::Keyboard& keyboard) {
  append(keys, keyboard, kMaskVk, 0);
  append(keys, keyboard, kMaskVk, KEYEVENTF_KEYUP);
}

}  // namespace

std::optional<PasteChord> pasteChordFromLabel(std::string_view label) {
  for (const ChordKeys& chord : kChords) {
    if (chord.label == label) return chord.chord;
  }
  return std::nullopt;
}

PasteChord pasteChordForWindowClass(std::u16string_view className) {
  const bool terminal = std::find(std::begin(kTerminalClasses), std::end(kTerminalClasses),
                                  className) != std::end(kTerminalClasses);
  return terminal ? PasteChord::ShiftInsert : PasteChord::CtrlV;
}

HeldModifiers::HeldModifiers(platform::Keyboard& keyboard) : keyboard_(keyboard) {
  for (const Modifier& modifier : kModifiers) {
    if ((keyboard.GetAsyncKeyState(modifier.vk) & 0x8000) == 0) continue;
    held_.push_back(modifier.vk);
    masked_ = masked_ || modifier.needsMask;
  }
}

void HeldModifiers::release(std::vector<INPUT>& keys) const {
  if (masked_) appendMask(keys, keyboard_);
  for (const WORD vk : held_) append(keys, keyboard_, vk, KEYEVENTF_KEYUP);
}

void HeldModifiers::pressAgain(std::vector<INPUT>& keys) const {
  for (const WORD vk : held_) append(keys, keyboard_, vk, 0);
  if (masked_) appendMask(keys, keyboard_);
}

std::vector<INPUT> pasteKeys(platform::Keyboard& keyboard, PasteChord chord) {
  const HeldModifiers held(keyboard);
  const ChordKeys& keys =
      *std::find_if(std::begin(kChords), std::end(kChords),
                    [chord](const ChordKeys& candidate) { return candidate.chord == chord; });

  std::vector<INPUT> batch;
  held.release(batch);
  for (const WORD modifier : keys.modifiers) {
    if (modifier != 0) append(batch, keyboard, modifier, 0);
  }
  append(batch, keyboard, keys.key, 0);
  append(batch, keyboard, keys.key, KEYEVENTF_KEYUP);
  for (auto modifier = std::rbegin(keys.modifiers); modifier != std::rend(keys.modifiers);
       ++modifier) {
    if (*modifier != 0) append(batch, keyboard, *modifier, KEYEVENTF_KEYUP);
  }
  held.pressAgain(batch);
  return batch;
}

}  // namespace paste
