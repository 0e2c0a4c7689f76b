#include "overlay/overlay_texts.h"

#include "text/utf8_to_utf16.h"

namespace overlay {
namespace {

// The text of `key` if it is a non-empty string, else empty.
std::string stringValue(const EncodableValueMap& strings, const char* key) {
  const auto it = strings.find(EncodableValue(std::string(key)));
  if (it == strings.end()) return {};
  const auto* text = std::get_if<std::string>(&it->second);
  return text != nullptr ? *text : std::string();
}

// "%@" (the Dart side's placeholder) becomes "%s"; scanning resumes after each replacement.
std::u16string withPrintfPlaceholders(std::u16string text) {
  for (std::size_t at = text.find(u"%@"); at != std::u16string::npos;
       at = text.find(u"%@", at + 2)) {
    text[at + 1] = u's';
  }
  return text;
}

void replaceIfGiven(std::u16string& field, const EncodableValueMap& strings, const char* key,
                    bool isTemplate) {
  const std::string utf8 = stringValue(strings, key);
  if (utf8.empty()) return;
  std::u16string wide = text::toWide(utf8);
  field = isTemplate ? withPrintfPlaceholders(std::move(wide)) : std::move(wide);
}

}  // namespace

void OverlayTexts::setLocalizedStrings(const EncodableValueMap& strings) {
  replaceIfGiven(listeningText, strings, "listening", false);
  replaceIfGiven(transcribingText, strings, "transcribing", false);
  replaceIfGiven(dontTapText, strings, "dontTap", true);
  replaceIfGiven(holdDownText, strings, "holdDown", true);
}

}  // namespace overlay
