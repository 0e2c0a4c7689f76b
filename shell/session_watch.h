// SessionWatch: asks Windows to tell the top-level window about session changes (lock, unlock,
// console and remote connect/disconnect) for as long as it lives. The window passes them, and the
// power events every top-level window receives, to the hotkey controller, which ends a hold whose
// release went to the secure desktop and re-installs the hook afterwards. Main thread; owned by
// the engine host window.
#pragma once

#include <windows.h>

class SessionWatch {
 public:
  explicit SessionWatch(HWND window);
  ~SessionWatch();
  SessionWatch(const SessionWatch&) = delete;
  SessionWatch& operator=(const SessionWatch&) = delete;

 private:
  HWND window_;
  bool registered_;
};
