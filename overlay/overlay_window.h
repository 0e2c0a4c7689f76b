// What the two overlay windows have in common: layered, topmost, never activated, top centre of
// the primary screen, and one message table in which only painting and the left click differ.
#pragma once

#include "hotkey/global_hotkey.h"
#include "platform/win_types.h"
#include "platform/window_system.h"

namespace overlay {

inline constexpr COLORREF kColourKey = RGB(255, 0, 255);
inline constexpr DWORD kExStyle =
    WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE;
inline constexpr int kTop = 8;
inline constexpr int kCorner = 24;

// Registers the class on the first call for `attempted`, the caller's process-wide flag, which is
// set whatever the result: window classes live as long as the process. The result is not
// checked; creating the window is what fails if registration did.
void registerClassOnce(platform::WindowSystem& windows, bool& attempted, const char16_t* name,
                       WNDPROC proc);

HWND createOverlayWindow(platform::WindowSystem& windows, const char16_t* className, int x,
                         int width, int height);

// Left edge that centres `width` on the primary screen.
int topCentreX(platform::WindowSystem& windows, int width);

void setOpacity(platform::WindowSystem& windows, HWND window, BYTE alpha);

using PaintFn = void (*)(GlobalHotkey&, HDC, const RECT&);
using ClickFn = void (*)(GlobalHotkey&, HWND, int x);

// The overlays' window procedure body: paints through `paint`, refuses erasing and activation,
// hands a left click's x to `click` when a controller exists.
LRESULT handleOverlayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, PaintFn paint,
                             ClickFn click);

}  // namespace overlay
