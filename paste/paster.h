// Paster: the pastes, one after another, as a state machine driven by the messages of the window
// that owns the clipboard during a paste (its timer, WM_RENDERFORMAT, WM_RENDERALLFORMATS,
// WM_DESTROYCLIPBOARD). It never sleeps: every wait is a timer of that window.
//
// A typing ("method": "type") waits in the same queue and runs through the Typist
// (paste/typist.h), which shares this window for its timer and never opens the clipboard.
//
// One paste: open the clipboard (10 attempts 10 ms apart), keep a snapshot of what it holds, put
// the transcript there as a promise (delayed rendering) beside the three formats that keep it
// out of clipboard history and cloud sync, and 50 ms later send the paste keys (Ctrl+V, or
// Shift+Insert for a terminal; paste/paste_keys.h). The target's read is the proof that it
// pasted: the previous content returns 300 ms after the target reads. Only the target's read
// counts: the reader's window (GetOpenClipboardWindow inside WM_RENDERFORMAT) must belong to the
// process of the foreground window at the keys (for a UWP app, whose frame window belongs to
// ApplicationFrameHost, the process of the frame's CoreWindow). A reader that opened the
// clipboard without a window (PuTTY does) cannot be told apart: its read after the keys counts as
// the target's unless another program read first. Clipboard managers, remote-desktop clipboard sync
// and sync tools read every change, often after a short debounce; their reads are served but
// start nothing, and a target that reads late (a busy editor, a browser tab) still finds the
// transcript, since without the target's read the previous content returns only 2 s after the
// keys. The restore happens only while the clipboard is still ours, retried every 50 ms for up
// to 60 s while another program has it open (a target inserting a long text keeps it open for
// seconds); a paste that has waited more than 3 s behind such a restore is over, clipboard busy,
// without keys: they would go to whatever window is in front by then. No keys go to a window of
// higher integrity than ours (Windows would drop them): the transcript stays for the user to paste.
//
// Owned and run by the paste thread (paste/paste_thread.h on Windows, the test on the host).
// `over` runs on that thread once per paste with the paste's number (counted from 0 in the order
// enqueued) and its report: in order, except that pastes cancelled from the queue, or over after
// waiting too long behind a restore, are over before the one under way. The one thing shared with
// another thread is `stopping`, set by the main thread when the shell exits: a thread left behind
// then may be ended at any moment, so it empties the clipboard no more.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "paste/clipboard_snapshot.h"
#include "paste/paste_service.h"
#include "paste/typist.h"
#include "platform/platform.h"

namespace paste {

inline constexpr UINT_PTR kPasteTimerId = 1;

class Paster {
 public:
  using Over = std::function<void(std::size_t paste, const PasteReport& report)>;

  Paster(platform::Platform& platform, HWND window, const std::atomic<bool>& stopping, Over over);
  ~Paster();
  Paster(const Paster&) = delete;
  Paster& operator=(const Paster&) = delete;

  // Queues a paste behind the ones not yet over.
  void enqueue(PasteRequest request);
  // A message of the owner window; true if it was the paste's.
  bool handleMessage(UINT message, WPARAM wParam);
  // The app is closing: every queued paste is over at once, cancelled, with no keys sent; the
  // paste under way goes on to its restore, a typing under way stops (cancelled).
  void closeQueue();
  // The shell is going away: the user's content goes back at once if the clipboard is still ours
  // (a few quick attempts); the paste under way is over with what it achieved, the queued ones
  // cancelled, and `over` is not called any more.
  void shutdown();

 private:
  enum class Step { Idle, Opening, BeforeKeys, AfterKeys, Restoring, Typing };

  void startNext();
  // Every queued paste that has waited too long behind a restore still retrying is over.
  void dropStale();
  void tryOpen();
  void putTranscript();
  void sendKeys();
  void tryRestore();
  void empty();
  void putBack();
  void render();
  bool readByTarget();
  void onTimer();
  void onDestroyClipboard();
  void onRenderAllFormats();
  bool putExclusionFormats();
  bool ours();
  // What the paste achieved: Pasted once the target has read it, else `unread`.
  PasteOutcome outcomeSoFar(PasteOutcome unread) const;
  // ReadByOther or NotRead, unless the target has read it.
  PasteOutcome readOutcome() const;
  void wait(UINT ms);
  void log(const char* line);
  // One timeline phase, when the process traces.
  void mark(const char* phase);
  void finish(PasteOutcome outcome);

  platform::Platform& platform_;
  platform::Clipboard& clipboard_;
  HWND window_;
  const std::atomic<bool>& stopping_;
  Over over_;
  struct Queued {
    std::size_t paste;  // its number
    PasteRequest request;
    std::int64_t sinceNs;  // enqueued, on the steady clock
  };
  std::deque<Queued> queue_;
  std::size_t enqueued_ = 0;
  std::size_t current_ = 0;  // the number of the paste under way
  Step step_ = Step::Idle;
  int openFailures_ = 0;
  std::int64_t restoreStartNs_ = 0;
  ClipboardSnapshot previous_;
  std::u16string next_;  // the transcript of the paste that is opening the clipboard
  std::optional<PasteChord> chord_;
  // The transcript the clipboard holds as our promise until it is rendered, replaced or taken.
  std::u16string promised_;
  bool promisePending_ = false;
  DWORD targetProcess_ = 0;  // of the foreground window at the keys; 0 before them or unknown
  std::string target_;
  std::optional<std::size_t> typed_;  // for a typing: the units it sent
  bool targetRead_ = false;
  bool otherRead_ = false;
  // Our own EmptyClipboard also tells us WM_DESTROYCLIPBOARD; that one is not a loss.
  bool emptying_ = false;
  const UINT excludeFromMonitors_;
  const UINT canIncludeInHistory_;
  const UINT canUploadToCloud_;
  Typist typist_;
};

}  // namespace paste
