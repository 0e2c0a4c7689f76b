// The conversion of command-line arguments: whatever cannot be UTF-8 becomes empty, never a
// truncated or replacement-character string.
#include <gtest/gtest.h>

#include "shell/entrypoint_arguments.h"

TEST(WideToUtf8, ConvertsEveryPlaneExactly) {
  EXPECT_EQ(WideToUtf8(L"plain"), "plain");
  EXPECT_EQ(WideToUtf8(L"h\u00e9llo w\u00f6rld"), "h\xc3\xa9llo w\xc3\xb6rld");
  // U+1F3A4 as a surrogate pair: four UTF-8 bytes, not two three-byte halves.
  EXPECT_EQ(WideToUtf8(L"\xd83c\xdfa4!"), "\xf0\x9f\x8e\xa4!");
}

TEST(WideToUtf8, NullEmptyAndUnpairedSurrogatesGiveEmpty) {
  EXPECT_EQ(WideToUtf8(nullptr), "");
  EXPECT_EQ(WideToUtf8(L""), "");
  EXPECT_EQ(WideToUtf8(L"ab\xd800"
                       L"cd"),
            "");
  EXPECT_EQ(WideToUtf8(L"\xdc00"), "");
}
