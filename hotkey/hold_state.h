// The press-and-hold state machine: which key events make a press, a release, a tap or a cancel
// of the hotkey, the state of the current hold, the ten-minute limit and the release poll.
//
// Owned by the hotkey controller, which feeds it each key event the hook thread copied, with a
// reader of the key states of that moment, and is told every transition through Transitions; the
// overlays and the events to the Dart side are the controller's business. It owns its maximum-hold
// timer and its release poll, whose procedures are the controller's context-free callbacks. Main
// thread.
#pragma once

#include <cstdint>

#include "hotkey/key_spec.h"
#include "hotkey/key_states.h"
#include "hotkey/release_poll.h"
#include "platform/hook_thread.h"
#include "platform/platform.h"
#include "platform/thread_timer.h"
#include "platform/win_types.h"

// One key event as the hook saw it: the key, its direction, and when and over which foreground
// window it happened (the main thread may get to it much later).
struct KeyEvent {
  std::uint32_t vk = 0;
  bool down = false;
  bool up = false;
  std::int64_t timeNs = 0;
  HWND foreground = nullptr;
};

KeyEvent keyEventFrom(const platform::HookedKey& key);

class HoldState {
 public:
  // What a transition does outside the hold state, in this order within each transition.
  class Transitions {
   public:
    virtual void log(const char* line) = 0;
    // The focus check: `foreground` is the application's own window and the check is on.
    virtual bool appHasFocus(HWND foreground) = 0;
    virtual void pressedWhileFocused() = 0;  // "onHotkeyWhileFocused"
    virtual void recordingStarted() = 0;     // listening look, "onHotkeyDown"
    virtual void tapped() = 0;               // "onHotkeyCancelled", hint
    virtual void released() = 0;             // transcribing look, "onHotkeyUp"
    virtual void cancelled() = 0;            // fade-out, "onHotkeyCancelled"

   protected:
    ~Transitions() = default;
  };

  HoldState(platform::Platform& platform, Transitions& transitions, TIMERPROC maxDurationProc,
            TIMERPROC releasePollProc);

  // The mode logic for one key event under `keys`.
  void handleKeyEvent(const KeySpec& keys, const KeyEvent& event, const KeyStates& states);
  // `foreground` and `atNs`: of the key event (the maximum-hold timer releases at its own time).
  void handleHotkeyDown(HWND foreground, std::int64_t atNs);
  void handleHotkeyUp(std::int64_t atNs);
  void handleHotkeyCancel();
  void handleCancelAreaClick();
  // The release poll's timer, and the read after the hook was installed again: `now` is the
  // system's key state (release_poll.h). While another desktop has the input that state reads
  // every key up and the user sees nothing of ours: the hold is cancelled, not released.
  void pollRelease(const KeySpec& keys, const KeyStates& now, std::int64_t nowNs,
                   bool inputDesktopIsOurs);
  void checkReleaseAfterRepair(const KeySpec& keys, const KeyStates& now, std::int64_t nowNs);
  // Back to idle without any transition (listening stopped or restarted).
  void reset();
  // Forgets which hotkey keys were down (the hook may have missed their key-ups).
  void forgetKeyDowns() {
    primaryDown = false;
    secondDown = false;
  }

  bool held() const { return isHeld; }
  bool recording() const { return isRecording; }
  bool byButton() const { return cancelledByButton; }
  // When the hook saw the key-down that started the hold (a recording, or a press in focus).
  std::int64_t pressTime() const { return pressTimeNs; }
  bool primaryKeyDown() const { return primaryDown; }
  bool secondKeyDown() const { return secondDown; }
  const platform::ThreadTimer& maxDuration() const { return maxDurationTimer; }
  const platform::ThreadTimer& releasePollTimer() const { return releasePoll.timer(); }

 private:
  Transitions& transitions_;
  bool isHeld = false;
  bool cancelledByButton = false;
  bool isRecording = false;
  std::int64_t pressTimeNs = 0;
  platform::ThreadTimer maxDurationTimer;
  ReleasePoll releasePoll;  // runs exactly while isHeld
  bool primaryDown = false;
  bool secondDown = false;
};
