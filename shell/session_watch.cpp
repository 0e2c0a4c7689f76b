#include "shell/session_watch.h"

#include <wtsapi32.h>

SessionWatch::SessionWatch(HWND window)
    : window_(window),
      registered_(::WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION) != FALSE) {
  if (!registered_) ::OutputDebugStringA("[FlutterWindow] Session notifications unavailable\n");
}

SessionWatch::~SessionWatch() {
  if (registered_) ::WTSUnRegisterSessionNotification(window_);
}
