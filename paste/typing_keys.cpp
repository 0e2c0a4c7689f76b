#include "paste/typing_keys.h"

#include "platform/own_input.h"

namespace paste {
namespace {

constexpr SHORT kNoKey = -1;
constexpr int kShiftState = 1;
constexpr UINT kDeadKeyBit = 0x80000000;

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Caps Lock changes the case of letters, and of more than ASCII ones (ä, é on their own keys);
// every non-ASCII character is taken for one, since Unicode input is right for all.
bool capsLockChanges(char16_t unit) {
  return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') || unit >= 0x80;
}

class Typing {
 public:
  Typing(platform::Keyboard& keyboard, HKL layout) : keyboard_(keyboard), layout_(layout) {}

  void key(WORD vk, bool shift) {
    const WORD scan = static_cast<WORD>(keyboard_.MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, layout_));
    const WORD shiftScan =
        static_cast<WORD>(keyboard_.MapVirtualKeyExW(VK_LSHIFT, MAPVK_VK_TO_VSC, layout_));
    if (shift) out_.keys.push_back(platform::ownKeyInput(VK_LSHIFT, shiftScan, 0));
    out_.keys.push_back(platform::ownKeyInput(vk, scan, 0));
    out_.keys.push_back(platform::ownKeyInput(vk, scan, KEYEVENTF_KEYUP));
    if (shift) out_.keys.push_back(platform::ownKeyInput(VK_LSHIFT, shiftScan, KEYEVENTF_KEYUP));
  }
  void unicode(char16_t unit) {
    out_.keys.push_back(platform::ownUnicodeInput(unit, 0));
    out_.keys.push_back(platform::ownUnicodeInput(unit, KEYEVENTF_KEYUP));
  }
  // The key that makes `unit` alone, if there is one.
  bool layoutKey(char16_t unit) {
    const SHORT found = keyboard_.VkKeyScanExW(unit, layout_);
    if (found == kNoKey) return false;
    const auto vk = static_cast<WORD>(found & 0xFF);
    const int state = (found >> 8) & 0xFF;
    if ((state & ~kShiftState) != 0) return false;
    if ((keyboard_.MapVirtualKeyExW(vk, MAPVK_VK_TO_CHAR, layout_) & kDeadKeyBit) != 0) {
      return false;
    }
    key(vk, state == kShiftState);
    return true;
  }
  void strokeEnds(std::size_t unitsEnd) { out_.strokes.push_back({out_.keys.size(), unitsEnd}); }
  TypingKeys take() { return std::move(out_); }

 private:
  platform::Keyboard& keyboard_;
  HKL layout_;
  TypingKeys out_;
};

}  // namespace

TypingKeys typingKeys(platform::Keyboard& keyboard, HKL layout, bool capsLock, bool shiftEnter,
                      std::u16string_view text) {
  Typing typing(keyboard, layout);
  std::size_t at = 0;
  while (at < text.size()) {
    const char16_t unit = text[at++];
    // Their keys (Escape, Backspace) would act, not type.
    const bool control = unit < 0x20 || unit == 0x7F;
    if (unit == u'\r' || unit == u'\n') {
      if (unit == u'\r' && at < text.size() && text[at] == u'\n') ++at;
      typing.key(VK_RETURN, shiftEnter);
    } else if (unit == u'\t') {
      typing.key(VK_TAB, false);
    } else if (isHighSurrogate(unit) && at < text.size() && isLowSurrogate(text[at])) {
      typing.unicode(unit);
      typing.unicode(text[at++]);
    } else if (control || (capsLock && capsLockChanges(unit)) || !typing.layoutKey(unit)) {
      typing.unicode(unit);
    }
    typing.strokeEnds(at);
  }
  return typing.take();
}

}  // namespace paste
