// Drawing steps both overlays share: an off-screen canvas copied to the window in one BitBlt,
// solid and rounded fills, and one line of text in a kept font, cut to what its rectangle can show.
//
// The objects are the caller's: an overlay creates its canvas, brushes, pens and fonts when it is
// shown and keeps them from one frame to the next until it is hidden. Every selection made here is
// undone before the call returns, so a kept object can be deleted whenever its owner goes.
#pragma once

#include <cstddef>
#include <string>

#include "platform/gdi.h"
#include "platform/gdi_objects.h"

namespace overlay {

struct FontStyle {
  int height;  // negative: character height in pixels
  int weight;
  const char16_t* face;
};

// A memory DC with a bitmap of the target's format selected. present() copies the part of it a
// paint covers to the target (copying the whole picture for a 20-pixel animation step cost a
// fifth of the step's time under Wine); destruction re-selects the DC's original bitmap and deletes
// the bitmap, then the DC.
class OffscreenCanvas {
 public:
  OffscreenCanvas(platform::Gdi& gdi, HDC target, int width, int height);
  OffscreenCanvas(const OffscreenCanvas&) = delete;
  OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  void present(HDC target, const RECT& area) const;

 private:
  platform::Gdi& gdi_;
  int width_;
  int height_;
  platform::UniqueMemoryDc dc_;
  platform::UniqueGdiObject<HBITMAP> bitmap_;
  platform::SelectionGuard selected_;
};

platform::UniqueGdiObject<HBRUSH> createBrush(platform::Gdi& gdi, COLORREF colour);
platform::UniqueGdiObject<HPEN> createNullPen(platform::Gdi& gdi);
platform::UniqueGdiObject<HFONT> createFont(platform::Gdi& gdi, const FontStyle& style);

// A rounded rectangle filled with `brush`, drawn with `pen` (a null pen: no outline).
void fillRounded(platform::Gdi& gdi, HDC dc, const RECT& rect, int corner, HBRUSH brush, HPEN pen);

// Pixel width of `length` units from `text` in `font` on `dc`.
int textWidth(platform::Gdi& gdi, HDC dc, const char16_t* text, std::size_t length, HFONT font);
inline int textWidth(platform::Gdi& gdi, HDC dc, const std::u16string& text, HFONT font) {
  return textWidth(gdi, dc, text.c_str(), text.size(), font);
}

// Transparent background, `colour`, `font`: DrawTextW(text, -1, rect, format). Only the units the
// rectangle could show are handed over (a visible glyph is at least a pixel wide), so an overlong
// text costs no more than one that fills the rectangle; with DT_END_ELLIPSIS it still ends in
// "...".
void drawText(platform::Gdi& gdi, HDC dc, const std::u16string& text, RECT rect, UINT format,
              COLORREF colour, HFONT font);

}  // namespace overlay
