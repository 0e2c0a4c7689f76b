#include "overlay/overlay_texts.h"

#include <cstring>

#include "hotkey/global_hotkey.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void appendCodePoint(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
    return;
  }
  cp -= 0x10000;
  out += static_cast<char16_t>(0xD800 + (cp >> 10));
  out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
}

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
  std::u16string wide = toWide(utf8);
  field = isTemplate ? withPrintfPlaceholders(std::move(wide)) : std::move(wide);
}

}  // namespace

void setLocalizedStrings(GlobalHotkey& hotkey, const EncodableValueMap& strings) {
  replaceIfGiven(hotkey.listeningText, strings, "listening", false);
  replaceIfGiven(hotkey.transcribingText, strings, "transcribing", false);
  replaceIfGiven(hotkey.dontTapText, strings, "dontTap", true);
  replaceIfGiven(hotkey.holdDownText, strings, "holdDown", true);
}

std::u16string toWide(const std::string& utf8) {
  std::u16string out;
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.c_str());
  const unsigned char* const end = p + std::strlen(utf8.c_str());
  out.reserve(static_cast<std::size_t>(end - p));
  while (p < end) {
    const unsigned char lead = *p++;
    if (lead < 0x80) {
      out += static_cast<char16_t>(lead);
      continue;
    }
    // Well-formed sequences after Unicode's table 3-7: the second byte's range depends on the
    // lead (no overlongs, no surrogates, nothing above U+10FFFF).
    int trail = 0;
    char32_t cp = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      trail = 1;
      cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      trail = 2;
      cp = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      trail = 3;
      cp = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      out += kReplacement;
      continue;
    }
    bool complete = true;
    for (int i = 0; i < trail; ++i) {
      if (p == end || *p < low || *p > high) {
        complete = false;  // the offending byte starts the next sequence
        break;
      }
      cp = (cp << 6) | (*p++ & 0x3F);
      low = 0x80;
      high = 0xBF;
    }
    if (complete) {
      appendCodePoint(out, cp);
    } else {
      out += kReplacement;
    }
  }
  return out;
}

std::u16string formatWithLabel(const std::u16string& tmpl, const std::string& label) {
  const std::u16string wideLabel = toWide(label);
  std::u16string out;
  bool labelPlaced = false;
  for (std::size_t i = 0; i < tmpl.size() && out.size() < kMaxFilledLineUnits;) {
    if (tmpl[i] == u'%' && i + 1 < tmpl.size()) {
      if (tmpl[i + 1] == u'%') {
        out += u'%';
        i += 2;
        continue;
      }
      if (tmpl[i + 1] == u's' && !labelPlaced) {
        out += wideLabel;
        labelPlaced = true;
        i += 2;
        continue;
      }
    }
    out += tmpl[i++];
  }
  if (out.size() > kMaxFilledLineUnits) out.resize(kMaxFilledLineUnits);
  return out;
}
