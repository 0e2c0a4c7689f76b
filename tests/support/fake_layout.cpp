#include "tests/support/fake_layout.h"

namespace fake {
namespace {

// The letters' scan codes in the US order a..z; German swaps those of Y and Z.
constexpr WORD kLetterScans[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                   0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                   0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

FakeLayout withLetters(bool german, std::vector<FakeLayoutKey> keys) {
  for (int i = 0; i < 26; ++i) {
    const WORD scan = kLetterScans[german && i >= 24 ? 49 - i : i];
    const auto vk = static_cast<BYTE>('A' + i);
    keys.push_back({static_cast<char16_t>(u'a' + i), vk, 0, scan});
    keys.push_back({static_cast<char16_t>(u'A' + i), vk, 1, scan});
  }
  keys.push_back({u'1', '1', 0, 0x02});
  keys.push_back({u' ', 0x20, 0, 0x39});
  return keys;
}

}  // namespace

const FakeLayout& usLayout() {
  static const FakeLayout layout = withLetters(
      false,
      {{u'6', '6', 0, 0x07}, {u'^', '6', 1, 0x07}, {u'2', '2', 0, 0x03}, {u'@', '2', 1, 0x03}});
  return layout;
}

const FakeLayout& germanLayout() {
  static const FakeLayout layout = withLetters(true, {{u'\u00DF', 0xDB, 0, 0x0C},
                                                      {u'^', 0xDC, 0, 0x29, true},
                                                      {u'\u00B0', 0xDC, 1, 0x29, true},
                                                      {u'\u20AC', 'E', 6, 0x12}});
  return layout;
}

}  // namespace fake
