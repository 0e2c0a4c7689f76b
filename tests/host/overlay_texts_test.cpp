// Overlay texts: replacing them, UTF-8 to UTF-16, and filling a template with the label.
#include <gtest/gtest.h>

#include <string>

#include "hotkey/global_hotkey.h"
#include "overlay/overlay_texts.h"
#include "tests/support/fake_platform.h"

namespace {

EncodableValueMap strings(std::initializer_list<std::pair<const char*, EncodableValue>> entries) {
  EncodableValueMap map;
  for (const auto& [key, value] : entries) map[EncodableValue(std::string(key))] = value;
  return map;
}

class OverlayTextsTest : public ::testing::Test {
 protected:
  fake::FakePlatform fake;
  GlobalHotkey hotkey{fake.platform()};
};

TEST_F(OverlayTextsTest, OnlyTheGivenNonEmptyStringsReplaceTexts) {
  setLocalizedStrings(hotkey,
                      strings({{"transcribing", EncodableValue(std::string("Transkribiere"))},
                               {"listening", EncodableValue(std::string())},
                               {"dontTap", EncodableValue(int32_t{5})}}));
  EXPECT_EQ(hotkey.transcribingText, u"Transkribiere");
  EXPECT_EQ(hotkey.listeningText, u"Listening...");
  EXPECT_EQ(hotkey.dontTapText, u"Don't tap. Hold down %s.");
  EXPECT_EQ(hotkey.holdDownText, u"Hold down %s while speaking, release to see text.");
}

TEST_F(OverlayTextsTest, DartPlaceholdersBecomePrintfOnesInTheHintTemplatesOnly) {
  setLocalizedStrings(hotkey,
                      strings({{"listening", EncodableValue(std::string("Ich h\xC3\xB6re %@"))},
                               {"dontTap", EncodableValue(std::string("Nicht tippen: %@."))},
                               {"holdDown", EncodableValue(std::string("%@%@ %%@"))}}));
  EXPECT_EQ(hotkey.listeningText, u"Ich h\u00F6re %@");
  EXPECT_EQ(hotkey.dontTapText, u"Nicht tippen: %s.");
  EXPECT_EQ(hotkey.holdDownText, u"%s%s %%s");
  EXPECT_EQ(formatWithLabel(hotkey.dontTapText, hotkey.label),
            u"Nicht tippen: Left Shift + Left Ctrl.");
}

TEST_F(OverlayTextsTest, AValueIsCutAtItsFirstZeroByte) {
  setLocalizedStrings(hotkey, strings({{"listening", EncodableValue(std::string("Ab\0cd", 5))}}));
  EXPECT_EQ(hotkey.listeningText, u"Ab");
}

TEST(ToWide, ConvertsWellFormedUtf8IncludingSurrogatePairs) {
  EXPECT_EQ(toWide(""), u"");
  EXPECT_EQ(toWide("Left Ctrl"), u"Left Ctrl");
  EXPECT_EQ(toWide("caf\xC3\xA9 \xE2\x82\xAC"), u"caf\u00E9 \u20AC");
  EXPECT_EQ(toWide("\xF0\x9F\x8E\x99"), u"\U0001F399");
  EXPECT_EQ(toWide("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
  EXPECT_EQ(toWide(std::string("a\0b", 3)), u"a");
}

// The same cases run against the real MultiByteToWideChar under Wine (overlay_wine_test).
TEST(ToWide, IllFormedInputBecomesReplacementsTheWayThePlatformCountsThem) {
  EXPECT_EQ(toWide("\xFF"), u"\uFFFD");
  EXPECT_EQ(toWide("\x80\x80"), u"\uFFFD\uFFFD");  // stray continuation bytes
  EXPECT_EQ(toWide("\xC0\xAF"), u"\uFFFD\uFFFD");  // C0 never leads a sequence
  // Continuation bytes are consumed until the value shows it is overlong, a surrogate or too big.
  EXPECT_EQ(toWide("\xE0\x80\x80"), u"\uFFFD\uFFFD");
  EXPECT_EQ(toWide("\xED\xA0\x80"), u"\uFFFD\uFFFD");
  EXPECT_EQ(toWide("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(toWide("\xE2\x82"), u"\uFFFD");  // cut short by the end
  EXPECT_EQ(toWide("\xE2\x82"
                   "A"),
            u"\uFFFDA");  // the byte that breaks a sequence starts the next one
  EXPECT_EQ(toWide("\xF0\x9F\x8E"
                   "\xC3\xA9"),
            u"\uFFFD\u00E9");
}

TEST(FormatWithLabel, FillsTheFirstPlaceholderAndKeepsEverythingElseLiteral) {
  const std::string label = "Left Shift + Left Ctrl";
  EXPECT_EQ(formatWithLabel(u"Don't tap. Hold down %s.", label),
            u"Don't tap. Hold down Left Shift + Left Ctrl.");
  EXPECT_EQ(formatWithLabel(u"No placeholder", label), u"No placeholder");
  EXPECT_EQ(formatWithLabel(u"100%% %s", "  F9  "), u"100%   F9  ");
  // Nothing but the one label is ever read, whatever the template asks for.
  EXPECT_EQ(formatWithLabel(u"%s and %s", label), u"Left Shift + Left Ctrl and %s");
  EXPECT_EQ(formatWithLabel(u"%d %n %x %ls %", label), u"%d %n %x %ls %");
  EXPECT_EQ(formatWithLabel(u"%%s", label), u"%s");
  EXPECT_EQ(formatWithLabel(u"%s", "\xC3\xA9\xF0\x9F\x8E\x99"), u"\u00E9\U0001F399");
}

TEST(FormatWithLabel, OutputStopsAt511Units) {
  const std::u16string tmpl = std::u16string(500, u'a') + u"%s%%";
  const std::u16string filled = formatWithLabel(tmpl, std::string(50, 'b'));
  EXPECT_EQ(filled.size(), 511u);
  EXPECT_EQ(filled, std::u16string(500, u'a') + std::u16string(11, u'b'));
  EXPECT_EQ(formatWithLabel(std::u16string(511, u'%') + u"%", "x").size(), 256u);
}

}  // namespace
