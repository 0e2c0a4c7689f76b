#include "overlay/hint_overlay.h"
#include "overlay/hint_overlay_fonts.h"
#include "overlay/overlay_texts.h"
#include "overlay/overlay_window.h"

void paintHintOverlay(GlobalHotkey& hotkey, HDC target, const RECT& client) {
  platform::Gdi& gdi = *hotkey.platform().gdi;
  const int w = client.right - client.left;
  const int h = client.bottom - client.top;
  overlay::OffscreenCanvas canvas(gdi, target, w, h);
  const HDC dc = canvas.dc();
  constexpr COLORREF kWhite = RGB(255, 255, 255);

  overlay::fillSolid(gdi, dc, RECT{0, 0, w, h}, overlay::kColourKey);
  overlay::fillRounded(gdi, dc, RECT{0, 0, w, h}, overlay::kCorner, overlay::kHintPanelColour);
  // Filled anew each paint: the texts may have changed since the hint was measured.
  const std::u16string first = formatWithLabel(hotkey.dontTapText, hotkey.label);
  const std::u16string second = formatWithLabel(hotkey.holdDownText, hotkey.label);
  overlay::drawText(gdi, dc, u"\u26A0", RECT{12, 14, 36, 42}, DT_SINGLELINE, RGB(255, 255, 0),
                    overlay::kHintSignFont);
  overlay::drawText(gdi, dc, first, RECT{40, 8, w - 40, 28}, DT_SINGLELINE | DT_VCENTER, kWhite,
                    overlay::kHintFirstLineFont);
  overlay::drawText(gdi, dc, second, RECT{40, 30, w - 40, 50}, DT_SINGLELINE | DT_VCENTER, kWhite,
                    overlay::kHintSecondLineFont);
  overlay::drawText(gdi, dc, u"\u2715", RECT{w - overlay::kHintCloseAreaWidth, 14, w - 8, 42},
                    DT_SINGLELINE | DT_VCENTER | DT_CENTER, kWhite, overlay::kHintCloseFont);
  canvas.present();
}
