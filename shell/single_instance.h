// SingleInstance: at most one murmurly in a user's session.
//
// Two running copies would each install a keyboard hook: one hold would record twice and every
// transcript would be pasted twice. So start-up claims a mutex in the session's namespace before
// anything else; a later launch finds it held, brings the running copy's window to the front and
// exits before it creates an engine. The name is the app's identity (its binary name), not its
// path: a copy installed elsewhere, or a portable copy beside an installed one, hands over just
// the same. Owned by wWinMain for the whole process; main thread.
#pragma once

#include <windows.h>

class SingleInstance {
 public:
  SingleInstance() = default;
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Claims the app's mutex; false when another process already holds it. A mutex that cannot be
  // made at all does not stop the start.
  bool Claim();

  // Restores and brings to the front the top-level window of another process of this app (an
  // executable of the same file name, wherever it lies), if it has one yet.
  static void ActivateRunningInstance();

 private:
  HANDLE mutex = nullptr;
};
