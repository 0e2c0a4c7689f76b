// Drawing steps both overlays share: an off-screen canvas copied to the window in one BitBlt,
// solid and rounded fills, and one line of text in a font of the overlays' family.
//
// Every object is created, used and deleted within the call, and selections are undone before
// the deletion; nothing survives a paint.
#pragma once

#include <string>

#include "platform/gdi.h"
#include "platform/gdi_objects.h"

namespace overlay {

struct FontStyle {
  int height;  // negative: character height in pixels
  int weight;
  const char16_t* face;
};

// A memory DC with a bitmap of the target's format selected. present() copies it to the target;
// destruction re-selects the DC's original bitmap and deletes the bitmap, then the DC.
class OffscreenCanvas {
 public:
  OffscreenCanvas(platform::Gdi& gdi, HDC target, int width, int height);
  OffscreenCanvas(const OffscreenCanvas&) = delete;
  OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

  HDC dc() const { return dc_.get(); }
  void present();

 private:
  platform::Gdi& gdi_;
  HDC target_;
  int width_;
  int height_;
  platform::UniqueMemoryDc dc_;
  platform::UniqueGdiObject<HBITMAP> bitmap_;
  platform::SelectionGuard selected_;
};

void fillSolid(platform::Gdi& gdi, HDC dc, const RECT& rect, COLORREF colour);

// A rounded rectangle in `colour` without an outline.
void fillRounded(platform::Gdi& gdi, HDC dc, const RECT& rect, int corner, COLORREF colour);

platform::UniqueGdiObject<HFONT> createFont(platform::Gdi& gdi, const FontStyle& style);

// Transparent background, `colour`, `style`: DrawTextW(text, -1, rect, format).
void drawText(platform::Gdi& gdi, HDC dc, const std::u16string& text, RECT rect, UINT format,
              COLORREF colour, const FontStyle& style);

}  // namespace overlay
