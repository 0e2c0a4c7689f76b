#include "text/utf8_to_utf16.h"

#include <cstring>
#include <optional>

namespace text {
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

std::u16string convert(const unsigned char* p, const unsigned char* const end) {
  std::u16string out;
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

}  // namespace

std::u16string toWide(const std::string& utf8) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.c_str());
  return convert(bytes, bytes + std::strlen(utf8.c_str()));
}

std::u16string toWideWhole(const std::string& utf8) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  return convert(bytes, bytes + utf8.size());
}

std::u16string toWideTail(const std::string& utf8, std::size_t maxUnits) {
  // No unit takes more than three bytes, so the last 3 * maxUnits bytes hold the last maxUnits
  // units; three more hold whole sequences, and what a start inside one decodes to is cut off.
  const std::size_t from = utf8.size() > 3 * maxUnits + 3 ? utf8.size() - 3 * maxUnits - 3 : 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  std::u16string out = convert(bytes + from, bytes + utf8.size());
  if (out.size() <= maxUnits) return out;
  std::size_t cut = out.size() - maxUnits;
  if (out[cut] >= 0xDC00 && out[cut] < 0xE000) ++cut;
  return out.substr(cut);
}

}  // namespace text
