#include "overlay/overlay_drawing.h"

namespace overlay {

OffscreenCanvas::OffscreenCanvas(platform::Gdi& gdi, HDC target, int width, int height)
    : gdi_(gdi),
      target_(target),
      width_(width),
      height_(height),
      dc_(gdi, gdi.CreateCompatibleDC(target)),
      bitmap_(gdi, gdi.CreateCompatibleBitmap(target, width, height)),
      selected_(gdi, dc_.get(), bitmap_.get()) {}

void OffscreenCanvas::present() {
  gdi_.BitBlt(target_, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
}

void fillSolid(platform::Gdi& gdi, HDC dc, const RECT& rect, COLORREF colour) {
  const platform::UniqueGdiObject<HBRUSH> brush(gdi, gdi.CreateSolidBrush(colour));
  gdi.FillRect(dc, &rect, brush.get());
}

void fillRounded(platform::Gdi& gdi, HDC dc, const RECT& rect, int corner, COLORREF colour) {
  const platform::UniqueGdiObject<HBRUSH> brush(gdi, gdi.CreateSolidBrush(colour));
  const platform::UniqueGdiObject<HPEN> pen(gdi, gdi.CreatePen(PS_NULL, 0, 0));
  const platform::SelectionGuard brushSelected(gdi, dc, brush.get());
  const platform::SelectionGuard penSelected(gdi, dc, pen.get());
  gdi.RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner, corner);
}

platform::UniqueGdiObject<HFONT> createFont(platform::Gdi& gdi, const FontStyle& style) {
  return {gdi,
          gdi.CreateFontW(style.height, 0, 0, 0, style.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          0, 0, CLEARTYPE_QUALITY, 0, platform::W(style.face))};
}

void drawText(platform::Gdi& gdi, HDC dc, const std::u16string& text, RECT rect, UINT format,
              COLORREF colour, const FontStyle& style) {
  gdi.SetBkMode(dc, TRANSPARENT);
  gdi.SetTextColor(dc, colour);
  const platform::UniqueGdiObject<HFONT> font = createFont(gdi, style);
  const platform::SelectionGuard selected(gdi, dc, font.get());
  gdi.DrawTextW(dc, platform::W(text.c_str()), -1, &rect, format);
}

}  // namespace overlay
