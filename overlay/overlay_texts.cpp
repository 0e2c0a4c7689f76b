#include "overlay/overlay_texts.h"

#include <cstring>
#include <optional>

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

namespace {

// One code point from the lead byte and what follows it, or nullopt for an ill-formed sequence.
// `p` is left after the bytes the sequence consumed. This is the platform's way: continuation
// bytes are consumed while the value can still be valid, and an overlong, surrogate or
// out-of-range value is refused once enough bytes show it, so e.g. E0 80 is one replacement.
std::optional<char32_t> decode(unsigned char lead, const unsigned char*& p,
                               const unsigned char* end) {
  int trail = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    trail = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail = 2;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail = 3;
  } else {
    return std::nullopt;
  }
  constexpr unsigned char kLeadMask[] = {0x7F, 0x1F, 0x0F, 0x07};
  char32_t cp = lead & kLeadMask[trail];
  const auto continuation = [&]() -> bool {
    if (p == end || (*p & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (*p & 0x3F);
    return true;
  };
  if (trail == 3) {
    if (!continuation()) return std::nullopt;
    ++p;
    if (cp < 0x10) return std::nullopt;  // overlong four-byte form
  }
  if (trail >= 2) {
    if (!continuation()) return std::nullopt;
    if (cp >= (0x110000 >> 6)) return std::nullopt;  // above U+10FFFF; byte not consumed
    ++p;
    if (cp < 0x20) return std::nullopt;  // overlong three-byte form
    if (cp >= (0xD800 >> 6) && cp <= (0xDFFF >> 6)) return std::nullopt;  // surrogate
  }
  if (!continuation()) return std::nullopt;
  ++p;
  if (cp < 0x80) return std::nullopt;  // overlong two-byte form
  return cp;
}

}  // namespace

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
    const std::optional<char32_t> cp = decode(lead, p, end);
    if (cp) {
      appendCodePoint(out, *cp);
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
