#include "platform/win32/win32_platform.h"

#include "platform/user_keyboard.h"

namespace platform {

UserKeyboard& Win32UserKeyboard() {
  static auto* userKeyboard = new UserKeyboard;  // never destroyed: see win32_platform.h
  return *userKeyboard;
}

Platform& Win32Platform() {
  static Platform aggregate = [] {
    Platform p;
    p.keyboard = &Win32Keyboard();
    p.timers = &Win32Timers();
    p.clock = &Win32Clock();
    p.debug = &Win32DebugOutput();
    p.windows = &Win32WindowSystem();
    p.gdi = &Win32Gdi();
    p.clipboard = &Win32Clipboard();
    p.mediaFoundation = &Win32MediaFoundation();
    p.shell = &Win32Shell();
    p.processes = &Win32Processes();
    p.trace = &Win32Trace();
    p.userKeyboard = &Win32UserKeyboard();
    return p;
  }();
  return aggregate;
}

}  // namespace platform
