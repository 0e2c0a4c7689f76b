// The text helpers: UTF-8 to UTF-16, and filling a hint template with the label.
#include <gtest/gtest.h>

#include <string>

#include "text/label_template.h"
#include "text/utf8_to_utf16.h"

namespace {

TEST(ToWide, ConvertsWellFormedUtf8IncludingSurrogatePairs) {
  EXPECT_EQ(text::toWide(""), u"");
  EXPECT_EQ(text::toWide("Left Ctrl"), u"Left Ctrl");
  EXPECT_EQ(text::toWide("caf\xC3\xA9 \xE2\x82\xAC"), u"caf\u00E9 \u20AC");
  EXPECT_EQ(text::toWide("\xF0\x9F\x8E\x99"), u"\U0001F399");
  EXPECT_EQ(text::toWide("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
  EXPECT_EQ(text::toWide(std::string("a\0b", 3)), u"a");
  EXPECT_EQ(text::toWideWhole(std::string("a\0\xC3\xA9", 4)), std::u16string(u"a\0\u00E9", 3));
}

// The same cases run against the real MultiByteToWideChar under Wine (overlay_wine_test).
TEST(ToWide, IllFormedInputBecomesReplacementsTheWayThePlatformCountsThem) {
  EXPECT_EQ(text::toWide("\xFF"), u"\uFFFD");
  EXPECT_EQ(text::toWide("\x80\x80"), u"\uFFFD\uFFFD");  // stray continuation bytes
  EXPECT_EQ(text::toWide("\xC0\xAF"), u"\uFFFD\uFFFD");  // C0 never leads a sequence
  // Continuation bytes are consumed until the value shows it is overlong, a surrogate or too big.
  EXPECT_EQ(text::toWide("\xE0\x80\x80"), u"\uFFFD\uFFFD");
  EXPECT_EQ(text::toWide("\xED\xA0\x80"), u"\uFFFD\uFFFD");
  EXPECT_EQ(text::toWide("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(text::toWide("\xE2\x82"), u"\uFFFD");  // cut short by the end
  EXPECT_EQ(text::toWide("\xE2\x82"
                         "A"),
            u"\uFFFDA");  // the byte that breaks a sequence starts the next one
  EXPECT_EQ(text::toWide("\xF0\x9F\x8E"
                         "\xC3\xA9"),
            u"\uFFFD\u00E9");
}

TEST(ToWideTail, IsTheWholeConversionsEndWithoutHalfAPair) {
  // Euros (3 bytes, 1 unit) and microphones (4 bytes, 2 units): every cut lands somewhere inside.
  const std::string euro = "\xE2\x82\xAC", mic = "\xF0\x9F\x8E\xA4";
  const std::string text = std::string(99, 'x') + euro + mic + 'b' + euro + '\0' + mic + euro + mic;
  const std::u16string whole = text::toWideWhole(text);
  for (std::size_t units = 1; units < 12; ++units) {
    std::u16string tail = whole.substr(whole.size() - units);
    if (tail[0] >= 0xDC00 && tail[0] < 0xE000) tail.erase(0, 1);
    EXPECT_EQ(text::toWideTail(text, units), tail) << units;
  }
}

TEST(FormatWithLabel, FillsTheFirstPlaceholderAndKeepsEverythingElseLiteral) {
  const std::string label = "Left Shift + Left Ctrl";
  EXPECT_EQ(text::formatWithLabel(u"Don't tap. Hold down %s.", label),
            u"Don't tap. Hold down Left Shift + Left Ctrl.");
  EXPECT_EQ(text::formatWithLabel(u"No placeholder", label), u"No placeholder");
  EXPECT_EQ(text::formatWithLabel(u"100%% %s", "  F9  "), u"100%   F9  ");
  // Nothing but the one label is ever read, whatever the template asks for.
  EXPECT_EQ(text::formatWithLabel(u"%s and %s", label), u"Left Shift + Left Ctrl and %s");
  EXPECT_EQ(text::formatWithLabel(u"%d %n %x %ls %", label), u"%d %n %x %ls %");
  EXPECT_EQ(text::formatWithLabel(u"%%s", label), u"%s");
  EXPECT_EQ(text::formatWithLabel(u"%s", "\xC3\xA9\xF0\x9F\x8E\x99"), u"\u00E9\U0001F399");
}

TEST(FormatWithLabel, OutputStopsAt511Units) {
  const std::u16string tmpl = std::u16string(500, u'a') + u"%s%%";
  const std::u16string filled = text::formatWithLabel(tmpl, std::string(50, 'b'));
  EXPECT_EQ(filled.size(), 511u);
  EXPECT_EQ(filled, std::u16string(500, u'a') + std::u16string(11, u'b'));
  EXPECT_EQ(text::formatWithLabel(std::u16string(511, u'%') + u"%", "x").size(), 256u);
}

}  // namespace
