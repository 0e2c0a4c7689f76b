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

class Batch {
 public:
  explicit Batch(platform::Keyboard& keyboard) : keyboard_(keyboard) {}
  void press(WORD vk) { keys_.push_back(platform::ownKeyInput(keyboard_, vk, 0)); }
  void release(WORD vk) { keys_.push_back(platform::ownKeyInput(keyboard_, vk, KEYEVENTF_KEYUP)); }
  void mask() {
    press(kMaskVk);
    release(kMaskVk);
  }
  std::vector<INPUT> take() { return std::move(keys_); }

 private:
  platform::Keyboard& keyboard_;
  std::vector<INPUT> keys_;
};

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

std::vector<INPUT> pasteKeys(platform::Keyboard& keyboard, PasteChord chord) {
  std::vector<const Modifier*> held;
  for (const Modifier& modifier : kModifiers) {
    if ((keyboard.GetAsyncKeyState(modifier.vk) & 0x8000) != 0) held.push_back(&modifier);
  }
  const bool masked =
      std::any_of(held.begin(), held.end(), [](const Modifier* m) { return m->needsMask; });
  const ChordKeys& keys =
      *std::find_if(std::begin(kChords), std::end(kChords),
                    [chord](const ChordKeys& candidate) { return candidate.chord == chord; });

  Batch batch(keyboard);
  if (masked) batch.mask();
  for (const Modifier* modifier : held) batch.release(modifier->vk);
  for (const WORD modifier : keys.modifiers) {
    if (modifier != 0) batch.press(modifier);
  }
  batch.press(keys.key);
  batch.release(keys.key);
  for (auto modifier = std::rbegin(keys.modifiers); modifier != std::rend(keys.modifiers);
       ++modifier) {
    if (*modifier != 0) batch.release(*modifier);
  }
  for (const Modifier* modifier : held) batch.press(modifier->vk);
  if (masked) batch.mask();
  return batch.take();
}

}  // namespace paste
