#include "overlay/hint_overlay.h"
#include "overlay/hint_overlay_fonts.h"
#include "text/label_template.h"

namespace overlay {

void HintOverlay::paint(HDC target, const RECT& client) {
  platform::Gdi& gdi = *platform_.gdi;
  const int w = client.right - client.left;
  const int h = client.bottom - client.top;
  OffscreenCanvas canvas(gdi, target, w, h);
  const HDC dc = canvas.dc();
  constexpr COLORREF kWhite = RGB(255, 255, 255);

  fillSolid(gdi, dc, RECT{0, 0, w, h}, kColourKey);
  fillRounded(gdi, dc, RECT{0, 0, w, h}, kCorner, kHintPanelColour);
  // Filled anew each paint: the texts may have changed since the hint was measured.
  const std::u16string first = text::formatWithLabel(texts_.dontTap(), label_);
  const std::u16string second = text::formatWithLabel(texts_.holdDown(), label_);
  drawText(gdi, dc, u"\u26A0", RECT{12, 14, 36, 42}, DT_SINGLELINE, RGB(255, 255, 0),
           kHintSignFont);
  drawText(gdi, dc, first, RECT{40, 8, w - 40, 28}, DT_SINGLELINE | DT_VCENTER, kWhite,
           kHintFirstLineFont);
  drawText(gdi, dc, second, RECT{40, 30, w - 40, 50}, DT_SINGLELINE | DT_VCENTER, kWhite,
           kHintSecondLineFont);
  drawText(gdi, dc, u"\u2715", RECT{w - kHintCloseAreaWidth, 14, w - 8, 42},
           DT_SINGLELINE | DT_VCENTER | DT_CENTER, kWhite, kHintCloseFont);
  canvas.present();
}

}  // namespace overlay
