#include "shell/win32_window.h"

#include <dwmapi.h>

#include "engine_client/engine_library.h"

namespace {

constexpr int kIconResource = 101;
// DWMWA_USE_IMMERSIVE_DARK_MODE; older SDK headers lack the name.
constexpr DWORD kDarkModeAttribute = 20;
constexpr const wchar_t* kThemeKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

int liveWindowCount = 0;

// Whether "FLUTTER_RUNNER_WIN32_WINDOW" is registered; created on first use.
class WindowClassRegistration {
 public:
  static WindowClassRegistration& Instance() {
    static WindowClassRegistration registration;
    return registration;
  }

  void Register(WNDPROC procedure) {
    if (registered) return;
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(kIconResource));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = Win32Window::kClassName;
    RegisterClassW(&windowClass);
    registered = true;
  }

  void Unregister() {
    UnregisterClassW(Win32Window::kClassName, nullptr);
    registered = false;
  }

 private:
  bool registered = false;
};

// Scales the non-client area with the monitor's DPI where the system offers it (Windows 10
// 1607 has it; with PerMonitorV2 from the manifest it is automatic, but harmless).
void EnableNonClientDpiScalingIfOffered(HWND window) {
  HMODULE user32 = LoadLibraryA("User32.dll");
  if (user32 == nullptr) return;
  using EnableFn = BOOL(WINAPI*)(HWND);
  auto enable = reinterpret_cast<EnableFn>(
      reinterpret_cast<void*>(GetProcAddress(user32, "EnableNonClientDpiScaling")));
  if (enable != nullptr) enable(window);
  FreeLibrary(user32);
}

}  // namespace

Win32Window::Win32Window() { ++liveWindowCount; }

Win32Window::~Win32Window() {
  --liveWindowCount;
  Destroy();
}

int Win32Window::LiveWindowCount() { return liveWindowCount; }

bool Win32Window::Create(const wchar_t* title, Origin origin, Size size) {
  Destroy();
  WindowClassRegistration::Instance().Register(WindowProcedure);

  HMONITOR monitor = MonitorFromPoint(POINT{origin.x, origin.y}, MONITOR_DEFAULTTONEAREST);
  const double scale = FlutterDesktopGetDpiForMonitor(monitor) / 96.0;
  HWND window = CreateWindowExW(
      0, kClassName, title, WS_OVERLAPPEDWINDOW, static_cast<int>(origin.x * scale),
      static_cast<int>(origin.y * scale), static_cast<int>(size.width * scale),
      static_cast<int>(size.height * scale), nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (window == nullptr) return false;
  ApplyTheme(window);
  return OnCreated();
}

bool Win32Window::Show() { return ShowWindow(windowHandle, SW_SHOWNORMAL) != 0; }

void Win32Window::Destroy() {
  // Reached from the destructor too, where the subclass is gone and the base's runs.
  OnDestroyed();  // NOLINT(clang-analyzer-optin.cplusplus.VirtualCall)
  if (windowHandle != nullptr) {
    DestroyWindow(windowHandle);
    windowHandle = nullptr;
  }
  if (liveWindowCount == 0) WindowClassRegistration::Instance().Unregister();
}

void Win32Window::SetContent(HWND content) {
  childContent = content;
  SetParent(content, windowHandle);
  const RECT area = ClientArea();
  MoveWindow(content, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  SetFocus(content);
}

RECT Win32Window::ClientArea() {
  RECT area{};
  GetClientRect(windowHandle, &area);
  return area;
}

void Win32Window::SetQuitWhenClosed(bool quit) { quitWhenClosed = quit; }

bool Win32Window::OnCreated() { return true; }

void Win32Window::OnDestroyed() {}

LRESULT CALLBACK Win32Window::WindowProcedure(HWND hwnd, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<Win32Window*>(create->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    EnableNonClientDpiScalingIfOffered(hwnd);
    self->windowHandle = hwnd;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self != nullptr) return self->HandleMessage(hwnd, message, wparam, lparam);
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT Win32Window::HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DESTROY:
      windowHandle = nullptr;
      Destroy();
      if (quitWhenClosed) PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      if (childContent != nullptr) {
        const RECT area = ClientArea();
        MoveWindow(childContent, area.left, area.top, area.right - area.left,
                   area.bottom - area.top, TRUE);
      }
      return 0;
    case WM_ACTIVATE:
      if (childContent != nullptr) SetFocus(childContent);
      return 0;
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_DWMCOLORIZATIONCOLORCHANGED:
      ApplyTheme(hwnd);
      return 0;
    default:
      // The stored handle, not hwnd: null once WM_DESTROY has run.
      return DefWindowProcW(windowHandle, message, wparam, lparam);
  }
}

void Win32Window::ApplyTheme(HWND window) {
  DWORD light = 0;
  DWORD size = sizeof(light);
  if (RegGetValueW(HKEY_CURRENT_USER, kThemeKey, L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr,
                   &light, &size) != ERROR_SUCCESS) {
    return;
  }
  BOOL dark = light == 0 ? TRUE : FALSE;
  DwmSetWindowAttribute(window, kDarkModeAttribute, &dark, sizeof(dark));
}
