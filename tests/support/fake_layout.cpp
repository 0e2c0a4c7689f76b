#include "tests/support/fake_layout.h"

#include <string_view>

namespace fake {
namespace {

// The letters' scan codes in the US order a..z; German differs only in Y and Z.
constexpr WORD kLetterScans[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                   0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                   0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

FakeLayout withLettersAndDigits(bool swapYZ, std::vector<FakeLayoutKey> more) {
  FakeLayout layout;
  for (int i = 0; i < 26; ++i) {
    WORD scan = kLetterScans[i];
    if (swapYZ && i >= 24) scan = kLetterScans[i == 24 ? 25 : 24];
    const auto vk = static_cast<BYTE>('A' + i);
    layout.keys.push_back({static_cast<char16_t>(u'a' + i), vk, 0, scan});
    layout.keys.push_back({static_cast<char16_t>(u'A' + i), vk, 1, scan});
  }
  for (int i = 0; i < 10; ++i) {
    layout.keys.push_back({static_cast<char16_t>(u'0' + i), static_cast<BYTE>('0' + i), 0,
                           static_cast<WORD>(i == 0 ? 0x0B : 0x01 + i)});
  }
  layout.keys.push_back({u' ', 0x20, 0, 0x39});
  layout.keys.push_back({u',', 0xBC, 0, 0x33});
  layout.keys.push_back({u'.', 0xBE, 0, 0x34});
  layout.keys.insert(layout.keys.end(), more.begin(), more.end());
  return layout;
}

}  // namespace

const FakeLayout& usLayout() {
  static const FakeLayout layout = withLettersAndDigits(false, {{u'^', '6', 1, 0x07}});
  return layout;
}

const FakeLayout& germanLayout() {
  static const FakeLayout layout = withLettersAndDigits(true, {{u'\u00DF', 0xDB, 0, 0x0C},
                                                               {u'\u00E4', 0xDE, 0, 0x28},
                                                               {u'^', 0xDC, 0, 0x29, true},
                                                               {u'\u00B0', 0xDC, 1, 0x29, true},
                                                               {u'\u20AC', 'E', 6, 0x12},
                                                               {u'@', 'Q', 6, 0x10}});
  return layout;
}

}  // namespace fake
