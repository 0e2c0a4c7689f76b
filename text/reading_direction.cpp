#include "text/reading_direction.h"

#include <algorithm>
#include <iterator>

namespace text {
namespace {

enum class Strong { Left, Right };

struct Block {
  char32_t first;
  char32_t last;
  Strong direction;
};

// Blocks of strong characters in ascending order; everything between them is neutral (digits,
// punctuation, symbols, spaces, marks, emoji) and so is skipped.
constexpr Block kBlocks[] = {
    {U'A', U'Z', Strong::Left},       {U'a', U'z', Strong::Left},
    {0xAA, 0xAA, Strong::Left},       {0xB5, 0xB5, Strong::Left},
    {0xBA, 0xBA, Strong::Left},       {0xC0, 0xD6, Strong::Left},
    {0xD8, 0xF6, Strong::Left},       {0xF8, 0x2B8, Strong::Left},
    {0x370, 0x58F, Strong::Left},     // Greek, Cyrillic, Armenian
    {0x590, 0x8FF, Strong::Right},    // Hebrew, Arabic, Syriac, Thaana, N'Ko, ...
    {0x900, 0x1FFF, Strong::Left},    // Indic, South-East Asian, Georgian, Hangul Jamo, ...
    {0x2C00, 0x2DFF, Strong::Left},   // Glagolitic, Coptic, Tifinagh, Ethiopic
    {0x3040, 0xD7FF, Strong::Left},   // kana, CJK, Yi, Hangul
    {0xF900, 0xFB1C, Strong::Left},   // CJK compatibility, Latin and Armenian ligatures
    {0xFB1D, 0xFDFF, Strong::Right},  // Hebrew and Arabic presentation forms
    {0xFE70, 0xFEFE, Strong::Right},  // Arabic presentation forms B
    {0xFF21, 0xFF3A, Strong::Left},   {0xFF41, 0xFF5A, Strong::Left},
    {0xFF66, 0xFFDC, Strong::Left},  // half-width kana and Hangul
    {0x10000, 0x107FF, Strong::Left}, {0x10800, 0x10FFF, Strong::Right},
    {0x11000, 0x1E7FF, Strong::Left}, {0x1E800, 0x1EFFF, Strong::Right},
    {0x20000, 0x3FFFF, Strong::Left},  // CJK extensions
};

const Block* blockOf(char32_t cp) {
  const auto* end = std::end(kBlocks);
  const auto* block = std::lower_bound(std::begin(kBlocks), end, cp,
                                       [](const Block& b, char32_t c) { return b.last < c; });
  return block != end && block->first <= cp ? block : nullptr;
}

}  // namespace

bool startsRightToLeft(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (const Block* block = blockOf(cp)) return block->direction == Strong::Right;
  }
  return false;
}

}  // namespace text
