// The yardstick for murmurly's start-up: a Win32 program that registers a class, creates one
// window and shows it. At its first paint it writes "visible" on standard output, the moment
// the timing script compares with murmurly's `top-level-visible`, and exits. With
// MURMURLY_TRACE=1 it writes murmurly's start-up phases too, so the timelines line up.
#include <windows.h>

#include "platform/trace.h"
#include "platform/win32/win32_platform.h"

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "visible\n", 8, &written, nullptr);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int APIENTRY wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int) {
  platform::TraceProcessStart();
  platform::Trace& trace = platform::Win32Trace();
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"MinimalWindow";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, L"MinimalWindow", L"minimal", WS_OVERLAPPEDWINDOW, 360, 165,
                                1200, 750, nullptr, nullptr, instance, nullptr);
  trace.mark(platform::phase::kWindowCreated);
  ShowWindow(window, SW_SHOWNORMAL);
  trace.mark(platform::phase::kWindowVisible);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  DestroyWindow(window);
  return 0;
}
