#include "overlay/hint_overlay.h"

#include <algorithm>

#include "overlay/hint_overlay_fonts.h"
#include "overlay/overlay_texts.h"
#include "overlay/overlay_window.h"
#include "platform/gdi_objects.h"
#include "platform/timers.h"
#include "platform/window_system.h"

namespace {

constexpr UINT_PTR kHintTimerId = 10002;
constexpr UINT kHintMs = 6000;

bool hintClassAttempted = false;

// Pixel width of `text` in `style` on `dc`.
int measure(platform::Gdi& gdi, HDC dc, const std::u16string& text,
            const overlay::FontStyle& style) {
  const platform::UniqueGdiObject<HFONT> font = overlay::createFont(gdi, style);
  const platform::SelectionGuard selected(gdi, dc, font.get());
  SIZE size{};
  gdi.GetTextExtentPoint32W(dc, platform::W(text.c_str()), static_cast<int>(text.size()), &size);
  return size.cx;
}

void onHintClick(GlobalHotkey& hotkey, HWND window, int x) {
  RECT client{};
  hotkey.platform().windows->GetClientRect(window, &client);
  if (x >= client.right - overlay::kHintCloseAreaWidth) hotkey.closeHintOverlay();
}

}  // namespace

void GlobalHotkey::showHintOverlay() {
  if (!overlayEnabled) return;
  hideRecordingOverlay();
  closeHintOverlay();
  platform::WindowSystem& windows = *platform_.windows;
  overlay::registerClassOnce(windows, hintClassAttempted, overlay::kHintClassName, hintOverlayProc);

  const std::u16string first = formatWithLabel(dontTapText, label);
  const std::u16string second = formatWithLabel(holdDownText, label);
  int widest = 0;
  {
    const platform::WindowDc screen(windows, nullptr);
    const int firstWidth =
        measure(*platform_.gdi, screen.get(), first, overlay::kHintFirstLineFont);
    const int secondWidth =
        measure(*platform_.gdi, screen.get(), second, overlay::kHintSecondLineFont);
    widest = std::max(firstWidth, secondWidth);
  }
  const int width = widest + overlay::kHintExtraWidth;

  hintOverlay = overlay::createOverlayWindow(windows, overlay::kHintClassName,
                                             overlay::topCentreX(windows, width), width,
                                             overlay::kHintHeight);
  if (hintOverlay != nullptr) {
    overlay::setOpacity(windows, hintOverlay, overlay::kHintAlpha);
    windows.ShowWindow(hintOverlay, SW_SHOWNOACTIVATE);
    windows.InvalidateRect(hintOverlay, nullptr, TRUE);
  }
  hintTimer = platform_.timers->SetTimer(nullptr, kHintTimerId, kHintMs, onHintTimer);
}

void GlobalHotkey::closeHintOverlay() {
  stopTimer(hintTimer);
  if (hintOverlay != nullptr) {
    platform_.windows->DestroyWindow(hintOverlay);
    hintOverlay = nullptr;
  }
}

void CALLBACK GlobalHotkey::onHintTimer(HWND, UINT, UINT_PTR timerId, DWORD) {
  GlobalHotkey* hotkey = currentInstance;
  platform::Platform* platform = hotkey != nullptr ? &hotkey->platform_ : fallbackPlatform();
  if (platform != nullptr) platform->timers->KillTimer(nullptr, timerId);
  if (hotkey == nullptr) return;
  hotkey->hintTimer = 0;
  hotkey->closeHintOverlay();
}

LRESULT CALLBACK GlobalHotkey::hintOverlayProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  return overlay::handleOverlayMessage(window, message, wParam, lParam, paintHintOverlay,
                                       onHintClick);
}
