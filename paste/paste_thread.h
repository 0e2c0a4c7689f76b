// PasteThread: the pastes on a thread of their own, so the main thread (engine, channels, hotkey,
// overlays) never waits for the clipboard, another program or the paste target.
//
// The thread runs only its message loop and a message-only window that owns the clipboard during
// a paste and drives the Paster (paste/paster.h) with its timer and clipboard messages. The main
// thread posts it a copy of each text; the thread posts "paste over" back to a message-only
// window of the main thread, which runs that paste's `over`. Shared state: none beyond the two
// window handles, fixed before the first request is posted.
//
// The thread starts with the first paste: a process start has more urgent work than a thread
// that may never be needed.
//
// Owned by the top-level window, created and stopped on the main thread. Windows only.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>

#include "paste/paste_service.h"
#include "platform/platform.h"

namespace paste {

class PasteThread final : public PasteService {
 public:
  explicit PasteThread(platform::Platform& platform);
  // Stops the thread if stop() has not; pastes not yet over are dropped unanswered.
  ~PasteThread() override;
  PasteThread(const PasteThread&) = delete;
  PasteThread& operator=(const PasteThread&) = delete;

  void pasteText(std::string utf8, std::function<void()> over) override;

  // Ends the thread: a paste in progress puts the user's content back at once if the clipboard is
  // still ours, queued pastes are dropped. Waits at most a second for the thread, then runs the
  // `over` of every paste not yet answered, in order. Nothing the thread posted is handled later.
  void stop();

 private:
  static LRESULT CALLBACK receiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void startThread();
  void endThread();

  platform::Platform& platform_;
  bool started_ = false;     // the thread was started, or stop() came first
  HWND receiver_ = nullptr;  // main thread; "paste over" arrives here
  HANDLE thread_ = nullptr;
  HWND pasteWindow_ = nullptr;  // the paste thread's window; the main thread only posts to it
  std::deque<std::function<void()>> pending_;
};

}  // namespace paste
