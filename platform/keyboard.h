// Keyboard input: the low-level hook and its thread, the asynchronous key state, synthesized
// input, the layouts (scan codes, characters) and whether our desktop has the input.
//
// Used by the hotkey controller (hook thread, key state) and by the paste (SendInput). The real
// implementation forwards to user32; the fake records key state only after the hook procedure
// has returned for an event and feeds SendInput through the installed hook synchronously, as
// Windows does.
#pragma once

#include <memory>

#include "platform/hook_thread.h"
#include "platform/win_types.h"

namespace platform {

class Keyboard {
 public:
  virtual ~Keyboard() = default;
  virtual HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId) = 0;
  virtual BOOL UnhookWindowsHookEx(HHOOK hook) = 0;
  virtual LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) = 0;
  // Only the most significant bit is meaningful: set = the key is down.
  virtual SHORT GetAsyncKeyState(int vk) = 0;
  virtual UINT SendInput(UINT count, INPUT* inputs, int size) = 0;
  // With MAPVK_VK_TO_VSC: the key's scan code in the active layout (without the E0 prefix), 0 for
  // a key the layout does not have.
  virtual UINT MapVirtualKeyW(UINT code, UINT mapType) = 0;
  // The layout of the thread `threadId` (0: the calling thread's).
  virtual HKL GetKeyboardLayout(DWORD threadId) = 0;
  // Up to `count` installed layouts into `list`; the number written.
  virtual int GetKeyboardLayoutList(int count, HKL* list) = 0;
  // The key and shift state (high byte: 1 Shift, 2 Ctrl, 4 Alt) typing `ch` in `layout`, or -1.
  virtual SHORT VkKeyScanExW(WCHAR ch, HKL layout) = 0;
  // False while another desktop has the input (the secure desktop of a UAC prompt or the lock
  // screen), where the key state reads every key up and the user sees none of our windows.
  virtual bool InputDesktopIsOurs() = 0;
  // Starts a hook thread (see hook_thread.h); called on the thread that will receive the sink's
  // calls. Both must outlive the returned object. Null if the thread could not start.
  virtual std::unique_ptr<HookThread> StartHookThread(HookFilter& filter, HookSink& sink) = 0;
};

}  // namespace platform
