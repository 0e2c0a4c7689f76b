// SingleInstance: at most one murmurly per installation in a user's session.
//
// Two running copies would each install a keyboard hook: one hold would record twice and two
// pastes would race. So start-up claims a mutex in the session's namespace before anything
// else; a second launch of the same executable finds it held, brings the running copy's window
// to the front and exits before it creates an engine. The name comes from the executable's
// full path, so copies installed in different places do not block each other. Owned by
// wWinMain for the whole process; main thread.
#pragma once

#include <windows.h>

class SingleInstance {
 public:
  SingleInstance() = default;
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Claims the mutex of this executable; false when another process already holds it. A mutex
  // that cannot be made at all does not stop the start.
  bool Claim();

  // Restores and brings to the front the top-level window of another process started from the
  // same executable, if it has one yet.
  static void ActivateRunningInstance();

 private:
  HANDLE mutex = nullptr;
};
