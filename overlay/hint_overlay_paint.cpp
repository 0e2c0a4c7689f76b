#include "overlay/hint_overlay.h"
#include "overlay/hint_overlay_fonts.h"

namespace overlay {

void HintOverlay::paint(HDC target, const RECT& client, const RECT& area) {
  if (!frame_) return;  // only a shown hint has a window to paint
  Frame& frame = *frame_;
  const int w = client.right - client.left;
  const int h = client.bottom - client.top;
  if (!frame.canvas || frame.canvas->width() != w || frame.canvas->height() != h) {
    frame.canvas.reset();
    frame.canvas.emplace(*platform_.gdi, target, w, h);
    frame.first.clear();
    frame.second.clear();
  }
  // Filled anew each paint: the texts may have changed since the hint was measured.
  const std::u16string first = filled(texts_.dontTap());
  const std::u16string second = filled(texts_.holdDown());
  if (frame.first.empty() || first != frame.first || second != frame.second) {
    compose(frame, first, second);
  }
  frame.canvas->present(target, area);
}

void HintOverlay::compose(Frame& frame, const std::u16string& first, const std::u16string& second) {
  platform::Gdi& gdi = *platform_.gdi;
  const HDC dc = frame.canvas->dc();
  const int w = frame.canvas->width();
  const int h = frame.canvas->height();
  constexpr COLORREF kWhite = RGB(255, 255, 255);
  constexpr UINT kLine = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;

  const RECT all{0, 0, w, h};
  gdi.FillRect(dc, &all, frame.key.get());
  fillRounded(gdi, dc, all, kCorner, frame.panel.get(), frame.nullPen.get());
  drawText(gdi, dc, u"\u26A0", RECT{12, 14, 36, 42}, DT_SINGLELINE, RGB(255, 255, 0),
           frame.signFont.get());
  drawText(gdi, dc, first, RECT{40, 8, w - 40, 28}, kLine, kWhite, frame.firstFont.get());
  drawText(gdi, dc, second, RECT{40, 30, w - 40, 50}, kLine, kWhite, frame.secondFont.get());
  drawText(gdi, dc, u"\u2715", RECT{w - kHintCloseAreaWidth, 14, w - 8, 42},
           DT_SINGLELINE | DT_VCENTER | DT_CENTER, kWhite, frame.closeFont.get());
  frame.first = first;
  frame.second = second;
}

}  // namespace overlay
