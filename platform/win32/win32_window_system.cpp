#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "platform/window_system.h"

namespace platform {
namespace {

class RealWindowSystem final : public WindowSystem {
 public:
  HWND GetForegroundWindow() override { return ::GetForegroundWindow(); }
  DWORD GetWindowThreadProcessId(HWND window, DWORD* processId) override {
    return ::GetWindowThreadProcessId(window, processId);
  }
  HWND GetActiveWindow() override { return ::GetActiveWindow(); }
  HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) override {
    return ::FindWindowW(className, windowName);
  }
  int GetClassNameW(HWND window, LPWSTR name, int capacity) override {
    return ::GetClassNameW(window, name, capacity);
  }
  HMODULE GetModuleHandleW(LPCWSTR moduleName) override { return ::GetModuleHandleW(moduleName); }
  HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR cursorName) override {
    return ::LoadCursorW(instance, cursorName);
  }
  WORD RegisterClassExW(const WNDCLASSEXW* windowClass) override {
    return ::RegisterClassExW(windowClass);
  }
  HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                       int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                       LPVOID param) override {
    return ::CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent,
                             menu, instance, param);
  }
  BOOL DestroyWindow(HWND window) override { return ::DestroyWindow(window); }
  LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) override {
    return ::SetWindowLongPtrW(window, index, value);
  }
  LONG_PTR GetWindowLongPtrW(HWND window, int index) override {
    return ::GetWindowLongPtrW(window, index);
  }
  BOOL ShowWindow(HWND window, int command) override { return ::ShowWindow(window, command); }
  BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                    UINT flags) override {
    return ::SetWindowPos(window, insertAfter, x, y, cx, cy, flags);
  }
  BOOL SetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags) override {
    return ::SetLayeredWindowAttributes(window, key, alpha, flags);
  }
  BOOL GetLayeredWindowAttributes(HWND window, COLORREF* key, BYTE* alpha, DWORD* flags) override {
    return ::GetLayeredWindowAttributes(window, key, alpha, flags);
  }
  BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) override {
    return ::InvalidateRect(window, rect, erase);
  }
  BOOL UpdateWindow(HWND window) override { return ::UpdateWindow(window); }
  BOOL GetClientRect(HWND window, RECT* rect) override { return ::GetClientRect(window, rect); }
  HDC BeginPaint(HWND window, PAINTSTRUCT* paint) override { return ::BeginPaint(window, paint); }
  BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) override {
    return ::EndPaint(window, paint);
  }
  HDC GetDC(HWND window) override { return ::GetDC(window); }
  int ReleaseDC(HWND window, HDC dc) override { return ::ReleaseDC(window, dc); }
  LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  int GetSystemMetrics(int index) override { return ::GetSystemMetrics(index); }
  HMONITOR MonitorFromPoint(POINT point, DWORD flags) override {
    return ::MonitorFromPoint(point, flags);
  }
  BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) override {
    return ::GetMonitorInfoW(monitor, info);
  }
};

}  // namespace

WindowSystem& Win32WindowSystem() {
  static RealWindowSystem windows;
  return windows;
}

}  // namespace platform
