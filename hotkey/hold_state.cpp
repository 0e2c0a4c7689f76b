#include "hotkey/hold_state.h"

#include "platform/clock.h"

// The common path of a key event (a key that changes nothing) reads at most two key states and
// never allocates, logs or touches windows. Window work and events happen only on a transition.
namespace {

constexpr double tapThresholdSeconds = 0.3;
constexpr UINT maxHoldMs = 600000;

}  // namespace

KeyEvent keyEventFrom(const platform::HookedKey& key) {
  return KeyEvent{key.vkCode, key.message == WM_KEYDOWN || key.message == WM_SYSKEYDOWN,
                  key.message == WM_KEYUP || key.message == WM_SYSKEYUP, key.timeNs,
                  key.foreground};
}

HoldState::HoldState(platform::Platform& platform, Transitions& transitions,
                     TIMERPROC maxDurationProc, TIMERPROC releasePollProc)
    : transitions_(transitions),
      maxDurationTimer(*platform.timers, maxHoldMs, maxDurationProc),
      releasePoll(*platform.timers, releasePollProc) {}

void HoldState::reset() {
  isHeld = false;
  cancelledByButton = false;
  isRecording = false;
  primaryDown = false;
  secondDown = false;
  maxDurationTimer.stop();
  releasePoll.stop();
}

void HoldState::handleKeyEvent(const KeySpec& keys, const KeyEvent& event,
                               const KeyStates& states) {
  const std::uint32_t vk = event.vk;
  const bool down = event.down;
  const bool up = event.up;
  const std::uint32_t primaryVk = keys.primaryVk;
  const std::uint32_t secondVk = keys.secondVk;
  const std::uint32_t comboVk = keys.comboVk;

  // The hotkey's own keys are exempt from the foreign-key cancel: a key outside the modifiers
  // ("Fn") would otherwise cancel its own hold at its first auto-repeat.
  const bool foreignKey = !isModifier(vk) && vk != primaryVk && vk != secondVk && vk != comboVk;

  if (comboVk != 0) {
    // Modifier + key: no exclusivity; other keys are ignored, except that typing cancels a
    // modifier + button hold as it does any other mouse hold.
    const bool button = isMouseButton(comboVk);
    if (vk == primaryVk) {
      primaryDown = down;
      if (up && isHeld) {
        transitions_.log("[GlobalHotkey] Combo modifier released\n");
        handleHotkeyUp(event.timeNs);
      }
    } else if (vk == comboVk) {
      // The hook's view of the modifier at this event; for a key also its key-down remembered (a
      // key-up the hook missed leaves the first set). A button's copy is judged on the hook's view
      // alone, as the hook judged it when it swallowed the button.
      const bool modifierDown = states.isDown(primaryVk) && (button || primaryDown);
      if (down && modifierDown && !isHeld) {
        transitions_.log("[GlobalHotkey] Combo DOWN\n");
        handleHotkeyDown(event.foreground, event.timeNs);
      } else if (up && isHeld) {
        transitions_.log("[GlobalHotkey] Combo UP\n");
        handleHotkeyUp(event.timeNs);
      }
    } else if (button && down && isHeld && foreignKey) {
      transitions_.log(
          "[GlobalHotkey] Non-modifier key during hotkey hold \xE2\x80\x94 cancelling\n");
      handleHotkeyCancel();
    }
    return;
  }

  if (secondVk != 0) {
    // Two modifiers, judged on every event: the event's own key from the event, the other from
    // the key state, which inside the hook still shows the state before this event.
    primaryDown = vk == primaryVk ? down : states.isDown(primaryVk);
    secondDown = vk == secondVk ? down : states.isDown(secondVk);
    const bool bothDown = primaryDown && secondDown;
    if (bothDown && !isHeld) {
      if (!otherModifierDown(states, primaryVk, secondVk)) {
        transitions_.log("[GlobalHotkey] Multi-modifier DOWN\n");
        handleHotkeyDown(event.foreground, event.timeNs);
      }
    } else if (!bothDown && isHeld) {
      transitions_.log("[GlobalHotkey] Multi-modifier UP\n");
      handleHotkeyUp(event.timeNs);
    }
    if (down && isHeld && foreignKey) {
      transitions_.log(
          "[GlobalHotkey] Non-modifier key during multi-mod hold \xE2\x80\x94 cancelling\n");
      handleHotkeyCancel();
    }
    return;
  }

  if (vk == primaryVk) {
    if (down && !isHeld) {
      if (!otherModifierDown(states, primaryVk, primaryVk)) {
        transitions_.log("[GlobalHotkey] Hotkey DOWN\n");
        handleHotkeyDown(event.foreground, event.timeNs);
      }
    } else if (up && isHeld) {
      transitions_.log("[GlobalHotkey] Hotkey UP\n");
      handleHotkeyUp(event.timeNs);
    }
  }
  if (down && isHeld && foreignKey) {
    transitions_.log(
        "[GlobalHotkey] Non-modifier key during hotkey hold \xE2\x80\x94 cancelling\n");
    handleHotkeyCancel();
  }
}

void HoldState::handleHotkeyDown(HWND foreground, std::int64_t atNs) {
  if (isHeld) return;
  cancelledByButton = false;
  isHeld = true;
  pressTimeNs = atNs;
  releasePoll.start();

  if (transitions_.appHasFocus(foreground)) {
    transitions_.log("[GlobalHotkey] App is in focus, notifying Flutter\n");
    transitions_.pressedWhileFocused();
    return;
  }

  isRecording = true;
  transitions_.recordingStarted();
  maxDurationTimer.start();
  transitions_.log("[GlobalHotkey] Started max duration timer\n");
}

void HoldState::handleHotkeyUp(std::int64_t atNs) {
  isHeld = false;
  primaryDown = false;
  secondDown = false;
  maxDurationTimer.stop();
  releasePoll.stop();

  if (cancelledByButton) {
    cancelledByButton = false;
    transitions_.log("[GlobalHotkey] Ignoring key release \xE2\x80\x94 cancelled via button\n");
    return;
  }
  if (!isRecording) return;  // a press while the app had the focus
  isRecording = false;

  const double heldSeconds = static_cast<double>(atNs - pressTimeNs) / 1'000'000'000.0;
  if (heldSeconds < tapThresholdSeconds) {
    transitions_.tapped();
    return;
  }
  transitions_.released();
}

void HoldState::handleHotkeyCancel() {
  isHeld = false;
  isRecording = false;
  primaryDown = false;
  secondDown = false;
  maxDurationTimer.stop();
  releasePoll.stop();
  transitions_.cancelled();
}

void HoldState::handleCancelAreaClick() {
  if (isHeld) {
    cancelledByButton = true;
    isRecording = false;
  }
  maxDurationTimer.stop();
  transitions_.cancelled();
}

void HoldState::pollRelease(const KeySpec& keys, const KeyStates& now, std::int64_t nowNs,
                            bool inputDesktopIsOurs) {
  if (!isHeld) {
    releasePoll.stop();
    return;
  }
  if (!inputDesktopIsOurs) {
    transitions_.log(
        "[GlobalHotkey] Another desktop has the input during hold \xE2\x80\x94 cancelling\n");
    handleHotkeyCancel();
    return;
  }
  if (releasePoll.read(keys, now, nowNs) != ReleasePoll::Read::Released) return;
  transitions_.log(
      releasePoll.foundAfterRepair()
          ? "[GlobalHotkey] Hotkey keys found up after the hook re-install \xE2\x80\x94 "
            "releasing\n"
          : "[GlobalHotkey] Hotkey keys found up by the key-state poll \xE2\x80\x94 "
            "releasing\n");
  handleHotkeyUp(releasePoll.releasedAtNs());
}

void HoldState::checkReleaseAfterRepair(const KeySpec& keys, const KeyStates& now,
                                        std::int64_t nowNs) {
  if (isHeld) releasePoll.readAfterRepair(keys, now, nowNs);
}
