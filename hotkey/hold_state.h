// The press-and-hold state machine: which key events make a press, a release, a tap or a cancel
// of the hotkey, the state of the current hold and the ten-minute limit.
//
// Owned by the hotkey controller, which feeds it each key event with a reader of the modifier
// keys' states and is told every transition through Transitions; the overlays and the events to
// the Dart side are the controller's business. It owns its maximum-hold timer, whose procedure is
// the controller's context-free callback. Main thread.
#pragma once

#include <cstdint>

#include "hotkey/key_spec.h"
#include "platform/platform.h"
#include "platform/thread_timer.h"
#include "platform/win_types.h"

// One key event as the hook saw it; only the key and its direction count.
struct KeyEvent {
  std::uint32_t vk = 0;
  bool down = false;
  bool up = false;
};

KeyEvent keyEventFrom(WPARAM message, const KBDLLHOOKSTRUCT& event);

// Whether a key is down, as the hook sees it: for the key of the event being judged, the state
// before that event.
class KeyStates {
 public:
  virtual bool isDown(std::uint32_t vk) const = 0;

 protected:
  ~KeyStates() = default;
};

class HoldState {
 public:
  // What a transition does outside the hold state, in this order within each transition.
  class Transitions {
   public:
    virtual void log(const char* line) = 0;
    // The focus check: the application's own window is in the foreground and the check is on.
    virtual bool appHasFocus() = 0;
    virtual void pressedWhileFocused() = 0;  // "onHotkeyWhileFocused"
    virtual void recordingStarted() = 0;     // listening look, "onHotkeyDown"
    virtual void tapped() = 0;               // "onHotkeyCancelled", hint
    virtual void released() = 0;             // transcribing look, "onHotkeyUp"
    virtual void cancelled() = 0;            // fade-out, "onHotkeyCancelled"

   protected:
    ~Transitions() = default;
  };

  HoldState(platform::Platform& platform, Transitions& transitions, TIMERPROC maxDurationProc);

  // The mode logic for one key event under `keys`.
  void handleKeyEvent(const KeySpec& keys, const KeyEvent& event, const KeyStates& states);
  void handleHotkeyDown();
  void handleHotkeyUp();
  void handleHotkeyCancel();
  void handleCancelAreaClick();
  // Back to idle without any transition (listening stopped or restarted).
  void reset();

  bool held() const { return isHeld; }
  bool recording() const { return isRecording; }
  bool byButton() const { return cancelledByButton; }
  bool primaryKeyDown() const { return primaryDown; }
  bool secondKeyDown() const { return secondDown; }
  const platform::ThreadTimer& maxDuration() const { return maxDurationTimer; }

 private:
  platform::Platform& platform_;
  Transitions& transitions_;
  bool isHeld = false;
  bool cancelledByButton = false;
  bool isRecording = false;
  std::int64_t pressTimeNs = 0;
  platform::ThreadTimer maxDurationTimer;
  bool primaryDown = false;
  bool secondDown = false;
};
