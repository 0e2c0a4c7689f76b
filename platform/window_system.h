// Windows: foreground and active window, lookup by class, window classes and creation, a window's
// user data, showing, placement, layered attributes, invalidation and painting, and the screen
// metrics and the
// monitors' work areas.
//
// Used by the hotkey controller (focus check, application window), the overlays and the paste
// (the paste target's class). The fake keeps
// windows as records (class, styles, position, visibility, layered key and alpha, user data) and
// lets a test send messages to their window procedures.
#pragma once

#include "platform/win_types.h"

namespace platform {

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  virtual HWND GetForegroundWindow() = 0;
  // The thread that created `window` (its keyboard layout is the one typing goes through).
  virtual DWORD GetWindowThreadProcessId(HWND window, DWORD* processId) = 0;
  virtual HWND GetActiveWindow() = 0;
  virtual HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) = 0;
  // The window's class name, cut to `capacity` - 1 units; the length copied, 0 on failure.
  virtual int GetClassNameW(HWND window, LPWSTR name, int capacity) = 0;
  virtual HMODULE GetModuleHandleW(LPCWSTR moduleName) = 0;
  virtual HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR cursorName) = 0;
  virtual WORD RegisterClassExW(const WNDCLASSEXW* windowClass) = 0;
  virtual HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                               int x, int y, int width, int height, HWND parent, HMENU menu,
                               HINSTANCE instance, LPVOID param) = 0;
  virtual BOOL DestroyWindow(HWND window) = 0;
  virtual LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) = 0;
  virtual LONG_PTR GetWindowLongPtrW(HWND window, int index) = 0;
  virtual BOOL ShowWindow(HWND window, int command) = 0;
  virtual BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                            UINT flags) = 0;
  virtual BOOL SetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags) = 0;
  virtual BOOL GetLayeredWindowAttributes(HWND window, COLORREF* key, BYTE* alpha,
                                          DWORD* flags) = 0;
  virtual BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) = 0;
  virtual BOOL UpdateWindow(HWND window) = 0;
  virtual BOOL GetClientRect(HWND window, RECT* rect) = 0;
  virtual HDC BeginPaint(HWND window, PAINTSTRUCT* paint) = 0;
  virtual BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) = 0;
  virtual HDC GetDC(HWND window) = 0;
  virtual int ReleaseDC(HWND window, HDC dc) = 0;
  virtual LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual int GetSystemMetrics(int index) = 0;
  virtual HMONITOR MonitorFromPoint(POINT point, DWORD flags) = 0;
  virtual BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) = 0;
};

}  // namespace platform
