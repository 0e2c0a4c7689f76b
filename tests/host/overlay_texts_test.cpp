// Overlay texts: replacing them from the Dart side.
#include <gtest/gtest.h>

#include <string>

#include "overlay/overlay_texts.h"
#include "text/label_template.h"

namespace {

EncodableValueMap strings(std::initializer_list<std::pair<const char*, EncodableValue>> entries) {
  EncodableValueMap map;
  for (const auto& [key, value] : entries) map[EncodableValue(std::string(key))] = value;
  return map;
}

class OverlayTextsTest : public ::testing::Test {
 protected:
  overlay::OverlayTexts texts;
};

TEST_F(OverlayTextsTest, OnlyTheGivenNonEmptyStringsReplaceTexts) {
  texts.setLocalizedStrings(strings({{"transcribing", EncodableValue(std::string("Transkribiere"))},
                                     {"listening", EncodableValue(std::string())},
                                     {"dontTap", EncodableValue(int32_t{5})}}));
  EXPECT_EQ(texts.transcribing(), u"Transkribiere");
  EXPECT_EQ(texts.listening(), u"Listening...");
  EXPECT_EQ(texts.dontTap(), u"Don't tap. Hold down %s.");
  EXPECT_EQ(texts.holdDown(), u"Hold down %s while speaking, release to see text.");
}

TEST_F(OverlayTextsTest, DartPlaceholdersBecomePrintfOnesInTheHintTemplatesOnly) {
  texts.setLocalizedStrings(
      strings({{"listening", EncodableValue(std::string("Ich h\xC3\xB6re %@"))},
               {"dontTap", EncodableValue(std::string("Nicht tippen: %@."))},
               {"holdDown", EncodableValue(std::string("%@%@ %%@"))}}));
  EXPECT_EQ(texts.listening(), u"Ich h\u00F6re %@");
  EXPECT_EQ(texts.dontTap(), u"Nicht tippen: %s.");
  EXPECT_EQ(texts.holdDown(), u"%s%s %%s");
  EXPECT_EQ(text::formatWithLabel(texts.dontTap(), "Left Shift + Left Ctrl"),
            u"Nicht tippen: Left Shift + Left Ctrl.");
}

TEST_F(OverlayTextsTest, AValueIsCutAtItsFirstZeroByte) {
  texts.setLocalizedStrings(strings({{"listening", EncodableValue(std::string("Ab\0cd", 5))}}));
  EXPECT_EQ(texts.listening(), u"Ab");
}

}  // namespace
