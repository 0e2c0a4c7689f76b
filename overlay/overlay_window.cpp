#include "overlay/overlay_window.h"

#include "platform/gdi_objects.h"

namespace overlay {

void registerClassOnce(platform::WindowSystem& windows, bool& attempted, const char16_t* name,
                       WNDPROC proc) {
  if (attempted) return;
  attempted = true;
  const HINSTANCE module = windows.GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = module;
  windowClass.hCursor = windows.LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = platform::W(name);
  windows.RegisterClassExW(&windowClass);
}

HWND createOverlayWindow(platform::WindowSystem& windows, const char16_t* className, int x,
                         int width, int height) {
  return windows.CreateWindowExW(kExStyle, platform::W(className), platform::W(u""), WS_POPUP, x,
                                 kTop, width, height, nullptr, nullptr,
                                 windows.GetModuleHandleW(nullptr), nullptr);
}

int topCentreX(platform::WindowSystem& windows, int width) {
  return (windows.GetSystemMetrics(SM_CXSCREEN) - width) / 2;
}

void setOpacity(platform::WindowSystem& windows, HWND window, BYTE alpha) {
  windows.SetLayeredWindowAttributes(window, kColourKey, alpha, LWA_COLORKEY | LWA_ALPHA);
}

LRESULT handleOverlayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, PaintFn paint,
                             ClickFn click) {
  GlobalHotkey* hotkey = GlobalHotkey::currentInstance;
  platform::Platform* platform =
      hotkey != nullptr ? &hotkey->platform() : GlobalHotkey::fallbackPlatform();
  if (platform == nullptr || platform->windows == nullptr) return 0;
  platform::WindowSystem& windows = *platform->windows;
  switch (message) {
    case WM_PAINT: {
      const platform::PaintSession session(windows, window);
      RECT client{};
      windows.GetClientRect(window, &client);
      if (hotkey != nullptr) paint(*hotkey, session.dc(), client);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel; erasing first would flicker
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;  // the dictation target keeps the focus
    case WM_LBUTTONDOWN:
      if (hotkey != nullptr) click(*hotkey, window, static_cast<short>(LOWORD(lParam)));
      return 0;
    default:
      return windows.DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace overlay
