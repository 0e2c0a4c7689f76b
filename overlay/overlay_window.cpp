#include "overlay/overlay_window.h"

#include <algorithm>

#include "platform/gdi_objects.h"

namespace overlay {
namespace {

// The window system of the most recently created overlay: what the procedure reads the user data
// with. Platforms outlive the overlays, so it is valid whenever an overlay window exists.
platform::WindowSystem* procedureWindows = nullptr;

}  // namespace

void OverlayWindow::create(const char16_t* className, bool& classAttempted, int width, int height,
                           int top) {
  if (window_ != nullptr) return;
  procedureWindows = &windows_;
  const HINSTANCE module = windows_.GetModuleHandleW(nullptr);
  if (!classAttempted) {
    classAttempted = true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = module;
    windowClass.hCursor = windows_.LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = platform::W(className);
    windows_.RegisterClassExW(&windowClass);
  }
  const RECT at = topCentre(width, height, top);
  window_ = windows_.CreateWindowExW(kExStyle, platform::W(className), platform::W(u""), WS_POPUP,
                                     at.left, at.top, at.right, at.bottom, nullptr, nullptr, module,
                                     this);
}

void OverlayWindow::destroy() {
  if (window_ == nullptr) return;
  windows_.DestroyWindow(window_);
  window_ = nullptr;
}

void OverlayWindow::show() {
  if (window_ == nullptr) return;
  trace_.mark(platform::phase::kOverlayShown);
  firstPaintPending_ = true;
  windows_.ShowWindow(window_, SW_SHOWNOACTIVATE);
}

RECT OverlayWindow::place(int width, int height, int top) {
  const RECT at = topCentre(width, height, top);
  if (window_ != nullptr) {
    windows_.SetWindowPos(window_, HWND_TOPMOST, at.left, at.top, at.right, at.bottom,
                          SWP_NOACTIVATE);
  }
  return at;
}

RECT OverlayWindow::topCentre(int width, int height, int top) const {
  const RECT work = workArea();
  const int w = std::clamp(width, 0, static_cast<int>(work.right - work.left));
  const int h = std::clamp(height, 0, static_cast<int>(work.bottom - work.top));
  const int x = (windows_.GetSystemMetrics(SM_CXSCREEN) - w) / 2;
  return RECT{std::clamp(x, static_cast<int>(work.left), static_cast<int>(work.right) - w),
              std::clamp(top, static_cast<int>(work.top), static_cast<int>(work.bottom) - h), w, h};
}

RECT OverlayWindow::workArea() const {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  const HMONITOR primary = windows_.MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  if (primary != nullptr && windows_.GetMonitorInfoW(primary, &info)) return info.rcWork;
  return RECT{0, 0, windows_.GetSystemMetrics(SM_CXSCREEN), windows_.GetSystemMetrics(SM_CYSCREEN)};
}

void OverlayWindow::setOpacity(BYTE alpha) {
  if (window_ == nullptr) return;
  windows_.SetLayeredWindowAttributes(window_, kColourKey, alpha, LWA_COLORKEY | LWA_ALPHA);
}

LRESULT CALLBACK OverlayWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  OverlayWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<OverlayWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->windows_.SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else if (procedureWindows != nullptr) {
    self = reinterpret_cast<OverlayWindow*>(
        procedureWindows->GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  // Nothing arrives before WM_NCCREATE for a popup without a sizing frame.
  return self != nullptr ? self->handle(window, message, wParam, lParam) : 0;
}

LRESULT OverlayWindow::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      const platform::PaintSession session(windows_, window);
      RECT client{};
      windows_.GetClientRect(window, &client);
      content_.paint(session.dc(), client, session.area());
      if (firstPaintPending_) {
        firstPaintPending_ = false;
        trace_.mark(platform::phase::kFirstPaint);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel; erasing first would flicker
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;  // the dictation target keeps the focus
    case WM_LBUTTONDOWN:
      content_.click(static_cast<short>(LOWORD(lParam)));
      return 0;
    case WM_NCDESTROY:
      windows_.SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return windows_.DefWindowProcW(window, message, wParam, lParam);
    default:
      return windows_.DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace overlay
