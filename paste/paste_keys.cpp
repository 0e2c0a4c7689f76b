#include "paste/paste_keys.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

#include "platform/own_input.h"
#include "platform/user_keyboard.h"

namespace paste {
namespace {

constexpr WORD kVkV = 0x56;

constexpr auto& kModifierVks = platform::UserKeyboard::kModifierVks;
// Alt and Win, the last four: a lone release or press-and-release of them does something.
constexpr std::uint8_t kNeedMask = 0xF0;

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

// Appends records to a batch being built.
class Batch {
 public:
  Batch(platform::Keyboard& keyboard, std::vector<INPUT>& keys)
      : keyboard_(keyboard), keys_(keys) {}
  void press(WORD vk) { keys_.push_back(platform::ownKeyInput(keyboard_, vk, 0)); }
  void release(WORD vk) { keys_.push_back(platform::ownKeyInput(keyboard_, vk, KEYEVENTF_KEYUP)); }
  void mask() {
    press(kMaskVk);
    release(kMaskVk);
  }

 private:
  platform::Keyboard& keyboard_;
  std::vector<INPUT>& keys_;
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

std::uint8_t heldModifiers(platform::Platform& platform) {
  if (const auto seen = platform.userKeyboard->heldModifiers()) return *seen;
  std::uint8_t held = 0;
  for (std::size_t i = 0; i < std::size(kModifierVks); ++i) {
    if ((platform.keyboard->GetAsyncKeyState(kModifierVks[i]) & 0x8000) != 0) held |= 1u << i;
  }
  return held;
}

void releaseModifiers(platform::Keyboard& keyboard, std::uint8_t held, std::vector<INPUT>& keys) {
  Batch batch(keyboard, keys);
  if ((held & kNeedMask) != 0) batch.mask();
  for (std::size_t i = 0; i < std::size(kModifierVks); ++i) {
    if ((held & (1u << i)) != 0) batch.release(kModifierVks[i]);
  }
}

void pressModifiersAgain(platform::Keyboard& keyboard, std::uint8_t held,
                         std::vector<INPUT>& keys) {
  Batch batch(keyboard, keys);
  for (std::size_t i = 0; i < std::size(kModifierVks); ++i) {
    if ((held & (1u << i)) != 0) batch.press(kModifierVks[i]);
  }
  if ((held & kNeedMask) != 0) batch.mask();
}

std::vector<INPUT> pasteKeys(platform::Keyboard& keyboard, std::uint8_t held, PasteChord chord) {
  const ChordKeys& keys =
      *std::find_if(std::begin(kChords), std::end(kChords),
                    [chord](const ChordKeys& candidate) { return candidate.chord == chord; });

  std::vector<INPUT> records;
  releaseModifiers(keyboard, held, records);
  Batch batch(keyboard, records);
  for (const WORD modifier : keys.modifiers) {
    if (modifier != 0) batch.press(modifier);
  }
  batch.press(keys.key);
  batch.release(keys.key);
  for (auto modifier = std::rbegin(keys.modifiers); modifier != std::rend(keys.modifiers);
       ++modifier) {
    if (*modifier != 0) batch.release(*modifier);
  }
  pressModifiersAgain(keyboard, held, records);
  return records;
}

}  // namespace paste
