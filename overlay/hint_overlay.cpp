#include "overlay/hint_overlay.h"

#include <algorithm>

#include "overlay/hint_overlay_fonts.h"
#include "platform/gdi_objects.h"
#include "platform/window_system.h"
#include "text/label_template.h"

namespace overlay {
namespace {

constexpr UINT kHintMs = 6000;

bool hintClassAttempted = false;

// Pixel width of `text` in `style` on `dc`.
int measure(platform::Gdi& gdi, HDC dc, const std::u16string& text, const FontStyle& style) {
  const platform::UniqueGdiObject<HFONT> font = createFont(gdi, style);
  const platform::SelectionGuard selected(gdi, dc, font.get());
  SIZE size{};
  gdi.GetTextExtentPoint32W(dc, platform::W(text.c_str()), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace

HintOverlay::HintOverlay(platform::Platform& platform, const OverlayTexts& texts,
                         const std::string& label, TIMERPROC autoCloseProc)
    : platform_(platform),
      texts_(texts),
      label_(label),
      hintOverlay(*platform.windows, *platform.trace, *this),
      hintTimer(*platform.timers, kHintMs, autoCloseProc) {}

void HintOverlay::show() {
  close();
  platform::WindowSystem& windows = *platform_.windows;
  const std::u16string first = text::formatWithLabel(texts_.dontTap(), label_);
  const std::u16string second = text::formatWithLabel(texts_.holdDown(), label_);
  int widest = 0;
  {
    const platform::WindowDc screen(windows, nullptr);
    const int firstWidth = measure(*platform_.gdi, screen.get(), first, kHintFirstLineFont);
    const int secondWidth = measure(*platform_.gdi, screen.get(), second, kHintSecondLineFont);
    widest = std::max(firstWidth, secondWidth);
  }
  const int width = widest + kHintExtraWidth;

  hintOverlay.create(kHintClassName, hintClassAttempted, width, kHintHeight);
  if (hintOverlay) {
    hintOverlay.setOpacity(kHintAlpha);
    hintOverlay.show();
    windows.InvalidateRect(hintOverlay.handle(), nullptr, TRUE);
  }
  hintTimer.start();
}

void HintOverlay::close() {
  hintTimer.stop();
  hintOverlay.destroy();
}

void HintOverlay::onAutoClose() { close(); }

void HintOverlay::click(int x) {
  RECT client{};
  platform_.windows->GetClientRect(hintOverlay.handle(), &client);
  if (x >= client.right - kHintCloseAreaWidth) close();
}

}  // namespace overlay
