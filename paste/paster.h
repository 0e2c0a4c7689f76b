// Paster: the pastes, one after another, as a state machine driven by the messages of the window
// that owns the clipboard during a paste (its timer, WM_RENDERFORMAT, WM_RENDERALLFORMATS,
// WM_DESTROYCLIPBOARD). It never sleeps: every wait is a timer of that window.
//
// One paste: open the clipboard (10 attempts 10 ms apart), keep a snapshot of what it holds, put
// the transcript there as a promise (delayed rendering) beside the three formats that keep it
// out of clipboard history and cloud sync, and 50 ms later send the paste keys (Ctrl+V, or
// Shift+Insert for a terminal; paste/paste_keys.h). The target's read is the
// proof that it pasted: the previous content returns 300 ms after the first render that follows
// the keys; 1 s after the keys if only a clipboard monitor read it before them; 2 s after the
// keys if nobody read it. The restore happens only while the clipboard is still ours, retried
// every 50 ms for up to 5 s while another program has it open. No keys go to a window of higher
// integrity than ours (Windows would drop them): the transcript stays for the user to paste.
//
// Owned and run by the paste thread (paste/paste_thread.h on Windows, the test on the host).
// `over` runs on that thread once per paste, in order, when it is over.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "paste/clipboard_snapshot.h"
#include "platform/platform.h"

namespace paste {

inline constexpr UINT_PTR kPasteTimerId = 1;

class Paster {
 public:
  Paster(platform::Platform& platform, HWND window, std::function<void()> over);
  ~Paster();
  Paster(const Paster&) = delete;
  Paster& operator=(const Paster&) = delete;

  // Queues a paste of the UTF-8 text behind the ones not yet over.
  void enqueue(std::string utf8);
  // A message of the owner window; true if it was the paste's.
  bool handleMessage(UINT message, WPARAM wParam);
  // The shell is closing: the user's content goes back at once if the clipboard is still ours
  // (a few quick attempts), queued pastes are dropped, and `over` is not called any more.
  void shutdown();

  bool busy() const { return step_ != Step::Idle; }

 private:
  enum class Step { Idle, Opening, BeforeKeys, AfterKeys, Restoring };

  void startNext();
  void tryOpen();
  void putTranscript();
  void sendKeys();
  void tryRestore();
  void empty();
  void putBack();
  void render();
  void onTimer();
  void onDestroyClipboard();
  void onRenderAllFormats();
  bool putExclusionFormats();
  bool ours();
  void wait(UINT ms);
  void log(const char* line);
  // One timeline phase, when the process traces.
  void mark(const char* phase);
  void finish();

  platform::Platform& platform_;
  platform::Clipboard& clipboard_;
  HWND window_;
  std::function<void()> over_;
  std::deque<std::string> queue_;
  Step step_ = Step::Idle;
  int openFailures_ = 0;
  std::int64_t restoreStartNs_ = 0;
  ClipboardSnapshot previous_;
  std::u16string next_;  // the transcript of the paste that is opening the clipboard
  // The transcript the clipboard holds as our promise until it is rendered, replaced or taken.
  std::u16string promised_;
  bool promisePending_ = false;
  bool readBeforeKeys_ = false;
  bool readAfterKeys_ = false;
  // Our own EmptyClipboard also tells us WM_DESTROYCLIPBOARD; that one is not a loss.
  bool emptying_ = false;
  const UINT excludeFromMonitors_;
  const UINT canIncludeInHistory_;
  const UINT canUploadToCloud_;
};

}  // namespace paste
