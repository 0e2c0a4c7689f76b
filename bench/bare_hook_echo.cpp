// A bare low-level keyboard hook on the main thread of a program that does nothing else: it prints
// "down <vk>" at each key-down, at once. bench/hotkey_latency.py runs it beside murmurly, so the
// system's own cost from an X key event to a hook shows next to the shell's figures.
#include <windows.h>

#include <cstdio>

namespace {

LRESULT CALLBACK echo(int code, WPARAM message, LPARAM event) {
  if (code == HC_ACTION && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)) {
    std::printf("down %lu\n", reinterpret_cast<const KBDLLHOOKSTRUCT*>(event)->vkCode);
    std::fflush(stdout);
  }
  return CallNextHookEx(nullptr, code, message, event);
}

}  // namespace

int main() {
  const HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, echo, GetModuleHandleW(nullptr), 0);
  if (hook == nullptr) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  UnhookWindowsHookEx(hook);
  return 0;
}
