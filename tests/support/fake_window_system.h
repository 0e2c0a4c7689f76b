// Window-system fake: windows as records a test can inspect, registered classes with their
// window procedures, and foreground/active windows the test sets.
//
// Messages reach a window procedure only when the code under test or the test sends them
// (sendMessage, paint); there is no message queue. UpdateWindow paints a visible window with a
// pending invalidation at once, as Windows does. Of the creation messages only WM_NCCREATE is sent,
// with the creation parameter, and a procedure that answers it with FALSE fails the creation.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace fake {

struct FakeWindow {
  HWND handle = nullptr;
  std::u16string className;
  std::u16string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  HWND parent = nullptr;
  WNDPROC proc = nullptr;
  bool visible = false;
  bool topmost = false;
  bool destroyed = false;
  bool layeredSet = false;
  COLORREF layeredKey = 0;
  BYTE layeredAlpha = 0;
  DWORD layeredFlags = 0;
  bool invalid = false;
  RECT invalidArea{};  // bounds of what was invalidated since the last paint
  bool eraseRequested = false;
  int invalidations = 0;
  int paints = 0;
  LONG_PTR userData = 0;
};

class FakeWindowSystem final : public platform::WindowSystem {
 public:
  HWND GetForegroundWindow() override { return foreground; }
  // Every window belongs to the one "main thread", 1.
  DWORD GetWindowThreadProcessId(HWND, DWORD* processId) override {
    if (processId != nullptr) *processId = 1;
    return 1;
  }
  HWND GetActiveWindow() override { return active; }
  HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) override;
  int GetClassNameW(HWND window, LPWSTR name, int capacity) override;
  HMODULE GetModuleHandleW(LPCWSTR moduleName) override;
  HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR cursorName) override;
  WORD RegisterClassExW(const WNDCLASSEXW* windowClass) override;
  HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                       int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                       LPVOID param) override;
  BOOL DestroyWindow(HWND window) override;
  LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) override;
  LONG_PTR GetWindowLongPtrW(HWND window, int index) override;
  BOOL ShowWindow(HWND window, int command) override;
  BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                    UINT flags) override;
  BOOL SetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags) override;
  BOOL GetLayeredWindowAttributes(HWND window, COLORREF* key, BYTE* alpha, DWORD* flags) override;
  BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) override;
  BOOL UpdateWindow(HWND window) override;
  BOOL GetClientRect(HWND window, RECT* rect) override;
  HDC BeginPaint(HWND window, PAINTSTRUCT* paint) override;
  BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) override;
  HDC GetDC(HWND window) override;
  int ReleaseDC(HWND window, HDC dc) override;
  LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  int GetSystemMetrics(int index) override;
  // One monitor, the primary: the screen, with workArea as its work area (the whole screen when
  // left empty).
  HMONITOR MonitorFromPoint(POINT point, DWORD flags) override;
  BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) override;

  // Test side.
  FakeWindow* window(HWND handle);                        // null for an unknown handle
  FakeWindow* findLive(const std::u16string& className);  // newest live window of the class
  std::vector<FakeWindow*> liveWindows();
  WNDPROC classProc(const std::u16string& className) const;
  // Calls the window's procedure directly; 0 if the window is unknown or destroyed.
  LRESULT sendMessage(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Sends WM_PAINT; the procedure's BeginPaint returns paintDc.
  LRESULT paint(HWND window);
  // Sends WM_LBUTTONDOWN at client coordinates (x, y).
  LRESULT click(HWND window, int x, int y);
  // Creates a plain top-level window record, e.g. another application's.
  HWND addWindow(const std::u16string& className, DWORD style = 0, DWORD exStyle = 0);

  HWND foreground = nullptr;
  HWND active = nullptr;
  int screenWidth = 1920;
  int screenHeight = 1080;
  RECT workArea{};
  bool failCreateWindow = false;
  // The DC BeginPaint hands out, and the one GetDC hands out (the screen's for a null window).
  HDC paintDc = reinterpret_cast<HDC>(static_cast<std::uintptr_t>(0xDC01));
  HDC windowDc = reinterpret_cast<HDC>(static_cast<std::uintptr_t>(0xDC02));
  int openPaints = 0;     // BeginPaint without EndPaint yet
  int openDcs = 0;        // GetDC without ReleaseDC yet
  int registrations = 0;  // RegisterClassExW calls made on this fake

  // Successful registrations of `className` in this process.
  static int registrationsOf(const std::u16string& className);

 private:
  struct RegisteredClass {
    WNDPROC proc = nullptr;
    int registrations = 0;
  };
  // Window classes belong to the process, as on Windows: they outlive any one fake, so code that
  // registers once per process finds its class in every test.
  static std::map<std::u16string, RegisteredClass>& classes();
  std::vector<std::unique_ptr<FakeWindow>> windows_;
  std::uintptr_t nextHandle_ = 0x10000;
};

}  // namespace fake
