#include <windows.h>

#include "platform/keyboard.h"
#include "platform/win32/win32_platform.h"

namespace platform {
namespace {

class RealKeyboard final : public Keyboard {
 public:
  HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId) override {
    return ::SetWindowsHookExW(idHook, proc, module, threadId);
  }
  BOOL UnhookWindowsHookEx(HHOOK hook) override { return ::UnhookWindowsHookEx(hook); }
  LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) override {
    return ::CallNextHookEx(hook, code, wParam, lParam);
  }
  SHORT GetAsyncKeyState(int vk) override { return ::GetAsyncKeyState(vk); }
  UINT SendInput(UINT count, INPUT* inputs, int size) override {
    return ::SendInput(count, inputs, size);
  }
  UINT MapVirtualKeyW(UINT code, UINT mapType) override { return ::MapVirtualKeyW(code, mapType); }
  HKL GetKeyboardLayout(DWORD threadId) override { return ::GetKeyboardLayout(threadId); }
  int GetKeyboardLayoutList(int count, HKL* list) override {
    return ::GetKeyboardLayoutList(count, list);
  }
  SHORT VkKeyScanExW(WCHAR ch, HKL layout) override { return ::VkKeyScanExW(ch, layout); }
  // The secure desktop refuses to be opened by the user's programs; another desktop of the
  // user's differs from ours by name.
  bool InputDesktopIsOurs() override {
    const HDESK input = ::OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
    if (input == nullptr) return false;
    wchar_t inputName[256] = {};
    wchar_t ourName[256] = {};
    const BOOL named =
        ::GetUserObjectInformationW(input, UOI_NAME, inputName, sizeof inputName, nullptr) &&
        ::GetUserObjectInformationW(::GetThreadDesktop(::GetCurrentThreadId()), UOI_NAME, ourName,
                                    sizeof ourName, nullptr);
    ::CloseDesktop(input);
    return !named || ::lstrcmpiW(inputName, ourName) == 0;
  }
  std::unique_ptr<HookThread> StartHookThread(HookFilter& filter, HookSink& sink) override {
    return StartWin32HookThread(filter, sink);
  }
};

}  // namespace

Keyboard& Win32Keyboard() {
  static RealKeyboard keyboard;
  return keyboard;
}

}  // namespace platform
