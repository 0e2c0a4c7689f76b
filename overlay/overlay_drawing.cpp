#include "overlay/overlay_drawing.h"

#include <algorithm>

namespace overlay {

OffscreenCanvas::OffscreenCanvas(platform::Gdi& gdi, HDC target, int width, int height)
    : gdi_(gdi),
      width_(width),
      height_(height),
      dc_(gdi, gdi.CreateCompatibleDC(target)),
      bitmap_(gdi, gdi.CreateCompatibleBitmap(target, width, height)),
      selected_(gdi, dc_.get(), bitmap_.get()) {}

void OffscreenCanvas::present(HDC target, const RECT& area) const {
  const LONG left = std::max(area.left, LONG{0});
  const LONG top = std::max(area.top, LONG{0});
  const LONG right = std::min(area.right, static_cast<LONG>(width_));
  const LONG bottom = std::min(area.bottom, static_cast<LONG>(height_));
  if (right <= left || bottom <= top) return;
  gdi_.BitBlt(target, left, top, right - left, bottom - top, dc_.get(), left, top, SRCCOPY);
}

platform::UniqueGdiObject<HBRUSH> createBrush(platform::Gdi& gdi, COLORREF colour) {
  return {gdi, gdi.CreateSolidBrush(colour)};
}

platform::UniqueGdiObject<HPEN> createNullPen(platform::Gdi& gdi) {
  return {gdi, gdi.CreatePen(PS_NULL, 0, 0)};
}

platform::UniqueGdiObject<HFONT> createFont(platform::Gdi& gdi, const FontStyle& style) {
  return {gdi,
          gdi.CreateFontW(style.height, 0, 0, 0, style.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          0, 0, CLEARTYPE_QUALITY, 0, platform::W(style.face))};
}

void fillRounded(platform::Gdi& gdi, HDC dc, const RECT& rect, int corner, HBRUSH brush, HPEN pen) {
  const platform::SelectionGuard brushSelected(gdi, dc, brush);
  const platform::SelectionGuard penSelected(gdi, dc, pen);
  gdi.RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner, corner);
}

int textWidth(platform::Gdi& gdi, HDC dc, const char16_t* text, std::size_t length, HFONT font) {
  const platform::SelectionGuard selected(gdi, dc, font);
  SIZE size{};
  gdi.GetTextExtentPoint32W(dc, platform::W(text), static_cast<int>(length), &size);
  return size.cx;
}

void drawText(platform::Gdi& gdi, HDC dc, const std::u16string& text, RECT rect, UINT format,
              COLORREF colour, HFONT font) {
  gdi.SetBkMode(dc, TRANSPARENT);
  gdi.SetTextColor(dc, colour);
  const platform::SelectionGuard selected(gdi, dc, font);
  // One unit more than the pixels across, so that a cut text still overflows and gets its ellipsis.
  std::size_t shown = static_cast<std::size_t>(rect.right > rect.left ? rect.right - rect.left : 0);
  ++shown;
  if (text.size() <= shown) {
    gdi.DrawTextW(dc, platform::W(text.c_str()), -1, &rect, format);
    return;
  }
  // Never half a surrogate pair.
  if (text[shown - 1] >= 0xD800 && text[shown - 1] < 0xDC00) --shown;
  const std::u16string cut = text.substr(0, shown);
  gdi.DrawTextW(dc, platform::W(cut.c_str()), -1, &rect, format);
}

}  // namespace overlay
