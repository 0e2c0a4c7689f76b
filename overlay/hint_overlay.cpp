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

}  // namespace

HintOverlay::Frame::Frame(platform::Gdi& gdi)
    : signFont(createFont(gdi, kHintSignFont)),
      firstFont(createFont(gdi, kHintFirstLineFont)),
      secondFont(createFont(gdi, kHintSecondLineFont)),
      closeFont(createFont(gdi, kHintCloseFont)),
      key(createBrush(gdi, kColourKey)),
      panel(createBrush(gdi, kHintPanelColour)),
      nullPen(createNullPen(gdi)) {}

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
  platform::Gdi& gdi = *platform_.gdi;
  const Frame& frame = frame_.emplace(gdi);
  const std::u16string first = filled(texts_.dontTap());
  const std::u16string second = filled(texts_.holdDown());
  int widest = 0;
  {
    const platform::WindowDc screen(windows, nullptr);
    const int firstWidth = textWidth(gdi, screen.get(), first, frame.firstFont.get());
    widest = std::max(firstWidth, textWidth(gdi, screen.get(), second, frame.secondFont.get()));
  }
  // The window is cut to the work area; the lines then end in "...".
  hintOverlay.create(kHintClassName, hintClassAttempted, widest + kHintExtraWidth, kHintHeight);
  if (hintOverlay) {
    hintOverlay.setOpacity(kHintAlpha);
    hintOverlay.show();
    windows.InvalidateRect(hintOverlay.handle(), nullptr, TRUE);
  } else {
    frame_.reset();
  }
  hintTimer.start();
}

void HintOverlay::close() {
  hintTimer.stop();
  hintOverlay.destroy();
  frame_.reset();
}

void HintOverlay::onAutoClose() { close(); }

std::u16string HintOverlay::filled(const std::u16string& tmpl) const {
  // A unit takes at most three bytes and a sequence cut at the end changes only the last unit, so
  // this prefix gives the first kMaxFilledLineUnits + 1 units exactly, however long the label.
  constexpr std::size_t kLabelBytes = 3 * (text::kMaxFilledLineUnits + 2);
  return text::formatWithLabel(tmpl, label_.substr(0, kLabelBytes));
}

void HintOverlay::click(int x) {
  RECT client{};
  platform_.windows->GetClientRect(hintOverlay.handle(), &client);
  if (x >= client.right - kHintCloseAreaWidth) close();
}

}  // namespace overlay
