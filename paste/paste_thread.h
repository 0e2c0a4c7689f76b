// PasteThread: the pastes on a thread of their own, so the main thread (engine, channels, hotkey,
// overlays) never waits for the clipboard, another program or the paste target.
//
// The thread runs only its message loop and a message-only window that owns the clipboard during
// a paste and drives the Paster (paste/paster.h) with its timer and clipboard messages. The main
// thread posts it a copy of each request; the thread posts a copy of each report back to a
// message-only window of the main thread, which runs that paste's `over`. Shared state: the two
// window handles, fixed before the first request is posted, and the stop flag, which the thread
// co-owns so that a thread left behind at exit never reads freed memory.
//
// The thread starts when the shell asks, once its window is on screen: before that a process
// start has more urgent work, and a first paste that started it would hold the main thread for
// the thread's and its window's creation (7 ms under Wine). A paste finds it started, or starts
// it. A start that fails is one diagnostic line, and the paste that needed it is answered at once
// (clipboard busy); the next paste tries again.
//
// Owned by the top-level window, created and stopped on the main thread. Windows only.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <map>
#include <memory>

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

  void pasteText(PasteRequest request, PasteOver over) override;

  // Starts the thread now if it has not started (nor stopped); false if it could not.
  bool start();

  // The app is closing (WM_CLOSE): queued pastes are over at once, cancelled, with no keys sent;
  // the paste under way goes on to its restore. Later pastes are cancelled at once.
  void closeQueue();

  // Ends the thread: a paste in progress puts the user's content back at once if the clipboard is
  // still ours, queued pastes are cancelled. Waits at most a second for the thread, then answers
  // every paste not yet answered, in order: with the report the thread sent, else cancelled.
  // Nothing the thread posted is handled later.
  void stop();

 private:
  enum class State { NotStarted, Running, Stopped };

  static LRESULT CALLBACK receiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void endThread();
  void answer(std::size_t paste, const PasteReport& report);

  platform::Platform& platform_;
  State state_ = State::NotStarted;
  bool closing_ = false;
  // Set once by stop(); the paste thread checks it before it empties the clipboard.
  std::shared_ptr<std::atomic<bool>> stopping_ = std::make_shared<std::atomic<bool>>(false);
  HWND receiver_ = nullptr;  // main thread; reports arrive here
  HANDLE thread_ = nullptr;
  HWND pasteWindow_ = nullptr;  // the paste thread's window; the main thread only posts to it
  // The pastes not yet answered, by their number in the order posted (the Paster's numbers).
  std::map<std::size_t, PasteOver> pending_;
  std::size_t posted_ = 0;
};

}  // namespace paste
