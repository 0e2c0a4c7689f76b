#include "platform/win32/message_window.h"

namespace platform {

HWND CreateMessageWindow(const wchar_t* className, WNDPROC proc, void* self) {
  const HINSTANCE module = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = module;
  windowClass.lpszClassName = className;
  ::RegisterClassExW(&windowClass);  // fails harmlessly when already registered
  const HWND window =
      ::CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
  if (window != nullptr)
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  return window;
}

}  // namespace platform
