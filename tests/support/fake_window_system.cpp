#include "tests/support/fake_window_system.h"

#include <algorithm>

namespace fake {
namespace {

std::u16string text(LPCWSTR s) {
  return s != nullptr ? std::u16string(platform::U(s)) : std::u16string();
}

constexpr int kShowNormal = 1;
constexpr int kShow = 5;

}  // namespace

FakeWindow* FakeWindowSystem::window(HWND handle) {
  for (auto& w : windows_) {
    if (w->handle == handle) return w.get();
  }
  return nullptr;
}

FakeWindow* FakeWindowSystem::findLive(const std::u16string& className) {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if (!(*it)->destroyed && (*it)->className == className) return it->get();
  }
  return nullptr;
}

std::vector<FakeWindow*> FakeWindowSystem::liveWindows() {
  std::vector<FakeWindow*> live;
  for (auto& w : windows_) {
    if (!w->destroyed) live.push_back(w.get());
  }
  return live;
}

std::map<std::u16string, FakeWindowSystem::RegisteredClass>& FakeWindowSystem::classes() {
  static std::map<std::u16string, RegisteredClass> registered;
  return registered;
}

int FakeWindowSystem::registrationsOf(const std::u16string& className) {
  const auto it = classes().find(className);
  return it != classes().end() ? it->second.registrations : 0;
}

WNDPROC FakeWindowSystem::classProc(const std::u16string& className) const {
  const auto it = classes().find(className);
  return it != classes().end() ? it->second.proc : nullptr;
}

HWND FakeWindowSystem::FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  return FindWindowExW(nullptr, nullptr, className, windowName);
}

HWND FakeWindowSystem::FindWindowExW(HWND parent, HWND childAfter, LPCWSTR className,
                                     LPCWSTR windowName) {
  bool after = childAfter == nullptr;
  for (auto& w : windows_) {
    if (!after) {
      after = w->handle == childAfter;
      continue;
    }
    if (w->destroyed || w->parent != parent) continue;
    if (className != nullptr && w->className != platform::U(className)) continue;
    if (windowName != nullptr && w->title != platform::U(windowName)) continue;
    return w->handle;
  }
  return nullptr;
}

int FakeWindowSystem::GetClassNameW(HWND handle, LPWSTR name, int capacity) {
  const FakeWindow* w = window(handle);
  if (w == nullptr || w->destroyed || capacity <= 0) return 0;
  const int length = std::min(static_cast<int>(w->className.size()), capacity - 1);
  std::copy_n(w->className.begin(), length, name);
  name[length] = 0;
  return length;
}

HMODULE FakeWindowSystem::GetModuleHandleW(LPCWSTR moduleName) {
  return moduleName == nullptr ? reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x400000))
                               : nullptr;
}

HCURSOR FakeWindowSystem::LoadCursorW(HINSTANCE, LPCWSTR) {
  return reinterpret_cast<HCURSOR>(static_cast<std::uintptr_t>(0xC0C0));
}

WORD FakeWindowSystem::RegisterClassExW(const WNDCLASSEXW* windowClass) {
  ++registrations;
  if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXW) ||
      windowClass->lpszClassName == nullptr || windowClass->lpfnWndProc == nullptr) {
    return 0;
  }
  const std::u16string name = platform::U(windowClass->lpszClassName);
  RegisteredClass& registered = classes()[name];
  if (registered.proc != nullptr) return 0;  // ERROR_CLASS_ALREADY_EXISTS
  registered.proc = windowClass->lpfnWndProc;
  ++registered.registrations;
  return static_cast<WORD>(0xC000 + classes().size());
}

HWND FakeWindowSystem::CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName,
                                       DWORD style, int x, int y, int width, int height,
                                       HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  const std::u16string name = text(className);
  const WNDPROC proc = classProc(name);
  if (failCreateWindow || proc == nullptr) return nullptr;
  auto w = std::make_unique<FakeWindow>();
  nextHandle_ += 0x10;
  w->handle = reinterpret_cast<HWND>(nextHandle_);
  w->className = name;
  w->title = text(windowName);
  w->style = style;
  w->exStyle = exStyle;
  w->x = x;
  w->y = y;
  w->width = width;
  w->height = height;
  w->parent = parent;
  w->proc = proc;
  w->visible = (style & WS_VISIBLE) != 0;
  w->topmost = (exStyle & WS_EX_TOPMOST) != 0;
  const HWND handle = w->handle;
  windows_.push_back(std::move(w));
  CREATESTRUCTW create{
      param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
      windowName, className, exStyle};
  if (sendMessage(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == FALSE) {
    window(handle)->destroyed = true;
    return nullptr;
  }
  return handle;
}

LONG_PTR FakeWindowSystem::SetWindowLongPtrW(HWND handle, int index, LONG_PTR value) {
  FakeWindow* w = window(handle);
  if (w == nullptr || w->destroyed || index != GWLP_USERDATA) return 0;
  const LONG_PTR previous = w->userData;
  w->userData = value;
  return previous;
}

LONG_PTR FakeWindowSystem::GetWindowLongPtrW(HWND handle, int index) {
  const FakeWindow* w = window(handle);
  if (w == nullptr || w->destroyed || index != GWLP_USERDATA) return 0;
  return w->userData;
}

BOOL FakeWindowSystem::DestroyWindow(HWND handle) {
  FakeWindow* w = window(handle);
  if (w == nullptr || w->destroyed) return FALSE;
  sendMessage(handle, WM_DESTROY);
  sendMessage(handle, WM_NCDESTROY);
  w->destroyed = true;
  w->visible = false;
  if (foreground == handle) foreground = nullptr;
  if (active == handle) active = nullptr;
  return TRUE;
}

BOOL FakeWindowSystem::ShowWindow(HWND handle, int command) {
  FakeWindow* w = window(handle);
  if (w == nullptr || w->destroyed) return FALSE;
  const BOOL wasVisible = w->visible ? TRUE : FALSE;
  w->visible = command != SW_HIDE;
  // Only the activating commands take the focus, and never for a no-activate window.
  if ((command == kShowNormal || command == kShow) && (w->exStyle & WS_EX_NOACTIVATE) == 0) {
    foreground = handle;
    active = handle;
  }
  return wasVisible;
}

BOOL FakeWindowSystem::SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int cx, int cy,
                                    UINT flags) {
  FakeWindow* w = window(handle);
  if (w == nullptr || w->destroyed) return FALSE;
  if ((flags & SWP_NOMOVE) == 0) {
    w->x = x;
    w->y = y;
  }
  if ((flags & SWP_NOSIZE) == 0) {
    w->width = cx;
    w->height = cy;
  }
  if ((flags & SWP_NOZORDER) == 0 && insertAfter == HWND_TOPMOST) {
    w->topmost = true;
    w->exStyle |= WS_EX_TOPMOST;
  }
  return TRUE;
}

BOOL FakeWindowSystem::SetLayeredWindowAttributes(HWND handle, COLORREF key, BYTE alpha,
                                                  DWORD flags) {
  FakeWindow* w = window(handle);
  if (w == nullptr || w->destroyed || (w->exStyle & WS_EX_LAYERED) == 0) return FALSE;
  w->layeredSet = true;
  w->layeredKey = key;
  w->layeredAlpha = alpha;
  w->layeredFlags = flags;
  return TRUE;
}

BOOL FakeWindowSystem::GetLayeredWindowAttributes(HWND handle, COLORREF* key, BYTE* alpha,
                                                  DWORD* flags) {
  FakeWindow* w = window(handle);
  if (w == nullptr || w->destroyed || !w->layeredSet) return FALSE;
  if (key != nullptr) *key = w->layeredKey;
  if (alpha != nullptr) *alpha = w->layeredAlpha;
  if (flags != nullptr) *flags = w->layeredFlags;
  return TRUE;
}

BOOL FakeWindowSystem::InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
  FakeWindow* w = window(handle);
  if (w == nullptr || w->destroyed) return FALSE;
  const RECT added = rect != nullptr ? *rect : RECT{0, 0, w->width, w->height};
  if (!w->invalid) {
    w->invalidArea = added;
  } else {
    RECT& area = w->invalidArea;
    area = RECT{std::min(area.left, added.left), std::min(area.top, added.top),
                std::max(area.right, added.right), std::max(area.bottom, added.bottom)};
  }
  w->invalid = true;
  w->eraseRequested = w->eraseRequested || erase != FALSE;
  ++w->invalidations;
  return TRUE;
}

BOOL FakeWindowSystem::UpdateWindow(HWND handle) {
  FakeWindow* w = window(handle);
  if (w == nullptr || w->destroyed) return FALSE;
  if (w->visible && w->invalid) paint(handle);
  return TRUE;
}

BOOL FakeWindowSystem::GetClientRect(HWND handle, RECT* rect) {
  FakeWindow* w = window(handle);
  if (w == nullptr || w->destroyed || rect == nullptr) return FALSE;
  *rect = RECT{0, 0, w->width, w->height};
  return TRUE;
}

HDC FakeWindowSystem::BeginPaint(HWND handle, PAINTSTRUCT* paint) {
  FakeWindow* w = window(handle);
  if (w == nullptr || w->destroyed || paint == nullptr) return nullptr;
  *paint = PAINTSTRUCT{};
  paint->hdc = paintDc;
  paint->fErase = w->eraseRequested ? TRUE : FALSE;
  // A paint nobody asked for (a test sending WM_PAINT) covers the whole window.
  paint->rcPaint = w->invalid ? w->invalidArea : RECT{0, 0, w->width, w->height};
  w->invalid = false;
  w->eraseRequested = false;
  ++w->paints;
  ++openPaints;
  return paintDc;
}

BOOL FakeWindowSystem::EndPaint(HWND, const PAINTSTRUCT* paint) {
  if (paint == nullptr || openPaints == 0) return FALSE;
  --openPaints;
  return TRUE;
}

HDC FakeWindowSystem::GetDC(HWND handle) {
  if (handle != nullptr && window(handle) == nullptr) return nullptr;
  ++openDcs;
  return windowDc;
}

int FakeWindowSystem::ReleaseDC(HWND, HDC dc) {
  if (dc != windowDc || openDcs == 0) return 0;
  --openDcs;
  return 1;
}

LRESULT FakeWindowSystem::DefWindowProcW(HWND, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_NCHITTEST:
      return HTCLIENT;
    default:
      return 0;
  }
}

int FakeWindowSystem::GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
      return screenWidth;
    case SM_CYSCREEN:
      return screenHeight;
    default:
      return 0;
  }
}

LRESULT FakeWindowSystem::sendMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  FakeWindow* w = window(handle);
  if (w == nullptr || w->destroyed || w->proc == nullptr) return 0;
  return w->proc(handle, message, wParam, lParam);
}

LRESULT FakeWindowSystem::paint(HWND handle) { return sendMessage(handle, WM_PAINT); }

LRESULT FakeWindowSystem::click(HWND handle, int x, int y) {
  return sendMessage(handle, WM_LBUTTONDOWN, 0, MAKELPARAM(x, y));
}

HWND FakeWindowSystem::addWindow(const std::u16string& className, DWORD style, DWORD exStyle) {
  auto w = std::make_unique<FakeWindow>();
  nextHandle_ += 0x10;
  w->handle = reinterpret_cast<HWND>(nextHandle_);
  w->className = className;
  w->style = style;
  w->exStyle = exStyle;
  w->visible = (style & WS_VISIBLE) != 0;
  windows_.push_back(std::move(w));
  return windows_.back()->handle;
}

HMONITOR FakeWindowSystem::MonitorFromPoint(POINT, DWORD) {
  return reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(0x3001));
}

BOOL FakeWindowSystem::GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) {
  if (monitor != MonitorFromPoint(POINT{}, 0) || info == nullptr ||
      info->cbSize != sizeof(MONITORINFO)) {
    return FALSE;
  }
  info->rcMonitor = RECT{0, 0, screenWidth, screenHeight};
  const bool empty = workArea.right <= workArea.left || workArea.bottom <= workArea.top;
  info->rcWork = empty ? info->rcMonitor : workArea;
  info->dwFlags = 1;  // MONITORINFOF_PRIMARY
  return TRUE;
}

}  // namespace fake
