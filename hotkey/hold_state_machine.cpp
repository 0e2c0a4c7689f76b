// The press-and-hold state machine, fed on the main thread with the key events the hook thread
// copied (with the key states and foreground window of their moment).
//
// Window work and events happen only on a transition.
#include <cstdint>

#include "hotkey/global_hotkey.h"
#include "hotkey/key_states.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/timers.h"
#include "platform/window_system.h"

namespace {

constexpr double tapThresholdSeconds = 0.3;
constexpr UINT maxHoldMs = 600000;
constexpr UINT_PTR maxDurationTimerId = 10001;

bool isKeyDownMessage(WPARAM message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }
bool isKeyUpMessage(WPARAM message) { return message == WM_KEYUP || message == WM_SYSKEYUP; }

}  // namespace

void GlobalHotkey::handleKeyEvent(const platform::HookedKey& key) {
  const std::uint32_t vk = key.vkCode;
  const bool down = isKeyDownMessage(key.message);
  const bool up = isKeyUpMessage(key.message);
  const KeyStates before(key.keysDown, primaryVk, secondVk);

  if (comboVk != 0) {
    // Modifier + key: no exclusivity and no foreign-key cancel; other keys are ignored.
    if (vk == primaryVk) {
      primaryDown = down;
      if (up && isHeld) {
        log("[GlobalHotkey] Combo modifier released\n");
        handleHotkeyUp(key.timeNs);
      }
    } else if (vk == comboVk) {
      if (down && primaryDown && !isHeld) {
        log("[GlobalHotkey] Combo DOWN\n");
        handleHotkeyDown(key.foreground, key.timeNs);
      } else if (up && isHeld) {
        log("[GlobalHotkey] Combo UP\n");
        handleHotkeyUp(key.timeNs);
      }
    }
    return;
  }

  // The hotkey's own keys are exempt from the foreign-key cancel: a key outside the modifiers
  // ("Fn") would otherwise cancel its own hold at its first auto-repeat.
  const bool foreignKey = !isModifier(vk) && vk != primaryVk && vk != secondVk;

  if (secondVk != 0) {
    // Two modifiers, judged on every event: the event's own key from the event, the other from
    // the key states the hook took before this event.
    primaryDown = vk == primaryVk ? down : before.isDown(primaryVk);
    secondDown = vk == secondVk ? down : before.isDown(secondVk);
    const bool bothDown = primaryDown && secondDown;
    if (bothDown && !isHeld) {
      if (!before.otherModifierDown(primaryVk, secondVk)) {
        log("[GlobalHotkey] Multi-modifier DOWN\n");
        handleHotkeyDown(key.foreground, key.timeNs);
      }
    } else if (!bothDown && isHeld) {
      log("[GlobalHotkey] Multi-modifier UP\n");
      handleHotkeyUp(key.timeNs);
    }
    if (down && isHeld && foreignKey) {
      log("[GlobalHotkey] Non-modifier key during multi-mod hold \xE2\x80\x94 cancelling\n");
      handleHotkeyCancel();
    }
    return;
  }

  if (vk == primaryVk) {
    if (down && !isHeld) {
      if (!before.otherModifierDown(primaryVk, primaryVk)) {
        log("[GlobalHotkey] Hotkey DOWN\n");
        handleHotkeyDown(key.foreground, key.timeNs);
      }
    } else if (up && isHeld) {
      log("[GlobalHotkey] Hotkey UP\n");
      handleHotkeyUp(key.timeNs);
    }
  }
  if (down && isHeld && foreignKey) {
    log("[GlobalHotkey] Non-modifier key during hotkey hold \xE2\x80\x94 cancelling\n");
    handleHotkeyCancel();
  }
}

void GlobalHotkey::handleHotkeyDown(HWND foreground, std::int64_t atNs) {
  if (isHeld) return;
  cancelledByButton = false;
  isHeld = true;

  if (focusCheckEnabled && appWindow != nullptr && foreground == appWindow) {
    log("[GlobalHotkey] App is in focus, notifying Flutter\n");
    sendEvent("onHotkeyWhileFocused");
    return;
  }

  isRecording = true;
  pressTimeNs = atNs;
  if (overlayEnabled) showListeningLook();
  sendEvent("onHotkeyDown");
  stopTimer(maxDurationTimer);
  maxDurationTimer =
      platform_.timers->SetTimer(nullptr, maxDurationTimerId, maxHoldMs, onMaxDurationTimer);
  log("[GlobalHotkey] Started max duration timer\n");
}

void GlobalHotkey::handleHotkeyUp(std::int64_t atNs) {
  isHeld = false;
  primaryDown = false;
  secondDown = false;
  stopTimer(maxDurationTimer);

  if (cancelledByButton) {
    cancelledByButton = false;
    log("[GlobalHotkey] Ignoring key release \xE2\x80\x94 cancelled via button\n");
    return;
  }
  if (!isRecording) return;  // a press while the app had the focus
  isRecording = false;

  const double heldSeconds = static_cast<double>(atNs - pressTimeNs) / 1'000'000'000.0;
  if (heldSeconds < tapThresholdSeconds) {
    sendEvent("onHotkeyCancelled");
    showHintOverlay();
    return;
  }
  if (overlayEnabled) showTranscribingLook();
  sendEvent("onHotkeyUp");
}

void GlobalHotkey::handleHotkeyCancel() {
  isHeld = false;
  isRecording = false;
  primaryDown = false;
  secondDown = false;
  stopTimer(maxDurationTimer);
  fadeOutRecordingOverlay();
  sendEvent("onHotkeyCancelled");
}

void GlobalHotkey::handleCancelAreaClick() {
  if (isHeld) {
    cancelledByButton = true;
    isRecording = false;
  }
  stopTimer(maxDurationTimer);
  fadeOutRecordingOverlay();
  sendEvent("onHotkeyCancelled");
}

void CALLBACK GlobalHotkey::onMaxDurationTimer(HWND, UINT, UINT_PTR, DWORD) {
  platform::Platform* platform =
      currentInstance != nullptr ? &currentInstance->platform() : callbackPlatform;
  if (platform != nullptr && platform->debug != nullptr) {
    platform->debug->OutputDebugStringA("[GlobalHotkey] Max duration timer fired\n");
  }
  if (currentInstance != nullptr) {
    currentInstance->handleHotkeyUp(currentInstance->platform_.clock->SteadyNowNs());
  }
}
