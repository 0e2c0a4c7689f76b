// The keyboard hook and the press-and-hold state machine.
//
// The hook procedure sits in the input path of every application: on the common path (a key that
// changes nothing) it reads at most two key states and never allocates, logs or touches windows.
// Window work and events happen only on a transition.
#include <array>
#include <cstdint>

#include "hotkey/global_hotkey.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/keyboard.h"
#include "platform/timers.h"
#include "platform/window_system.h"

namespace {

// Left/Right Shift, Ctrl, Alt, Windows, in the order the exclusivity test walks them. Any other
// key, the side-less codes 16-18 included, is a foreign key.
constexpr std::array<std::uint32_t, 8> modifierKeys = {160, 161, 162, 163, 164, 165, 91, 92};
constexpr double tapThresholdSeconds = 0.3;
constexpr UINT maxHoldMs = 600000;
constexpr UINT_PTR maxDurationTimerId = 10001;

bool isModifier(std::uint32_t vk) {
  for (const std::uint32_t m : modifierKeys) {
    if (m == vk) return true;
  }
  return false;
}

bool isKeyDownMessage(WPARAM message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }
bool isKeyUpMessage(WPARAM message) { return message == WM_KEYUP || message == WM_SYSKEYUP; }

bool asyncDown(platform::Keyboard& keyboard, std::uint32_t vk) {
  return (keyboard.GetAsyncKeyState(static_cast<int>(vk)) & 0x8000) != 0;
}

// True when a modifier other than the hotkey's own keys is down (the exclusivity test).
bool otherModifierDown(platform::Keyboard& keyboard, std::uint32_t first, std::uint32_t second) {
  for (const std::uint32_t m : modifierKeys) {
    if (m == first || m == second) continue;
    if (asyncDown(keyboard, m)) return true;
  }
  return false;
}

}  // namespace

LRESULT CALLBACK GlobalHotkey::keyboardHookProc(int code, WPARAM message, LPARAM event) {
  if (code == HC_ACTION && currentInstance != nullptr) {
    currentInstance->handleKeyEvent(message, *reinterpret_cast<const KBDLLHOOKSTRUCT*>(event));
  }
  platform::Keyboard* keyboard = callbackPlatform != nullptr ? callbackPlatform->keyboard : nullptr;
  return keyboard != nullptr ? keyboard->CallNextHookEx(nullptr, code, message, event) : 0;
}

void GlobalHotkey::handleKeyEvent(WPARAM message, const KBDLLHOOKSTRUCT& event) {
  const std::uint32_t vk = event.vkCode;
  const bool down = isKeyDownMessage(message);
  const bool up = isKeyUpMessage(message);
  platform::Keyboard& keyboard = *platform_.keyboard;

  if (comboVk != 0) {
    // Modifier + key: no exclusivity and no foreign-key cancel; other keys are ignored.
    if (vk == primaryVk) {
      primaryDown = down;
      if (up && isHeld) {
        log("[GlobalHotkey] Combo modifier released\n");
        handleHotkeyUp();
      }
    } else if (vk == comboVk) {
      if (down && primaryDown && !isHeld) {
        log("[GlobalHotkey] Combo DOWN\n");
        handleHotkeyDown();
      } else if (up && isHeld) {
        log("[GlobalHotkey] Combo UP\n");
        handleHotkeyUp();
      }
    }
    return;
  }

  // The hotkey's own keys are exempt from the foreign-key cancel: a key outside the modifiers
  // ("Fn") would otherwise cancel its own hold at its first auto-repeat.
  const bool foreignKey = !isModifier(vk) && vk != primaryVk && vk != secondVk;

  if (secondVk != 0) {
    // Two modifiers, judged on every event: the event's own key from the event, the other from
    // the key state, which inside the hook still shows the state before this event.
    primaryDown = vk == primaryVk ? down : asyncDown(keyboard, primaryVk);
    secondDown = vk == secondVk ? down : asyncDown(keyboard, secondVk);
    const bool bothDown = primaryDown && secondDown;
    if (bothDown && !isHeld) {
      if (!otherModifierDown(keyboard, primaryVk, secondVk)) {
        log("[GlobalHotkey] Multi-modifier DOWN\n");
        handleHotkeyDown();
      }
    } else if (!bothDown && isHeld) {
      log("[GlobalHotkey] Multi-modifier UP\n");
      handleHotkeyUp();
    }
    if (down && isHeld && foreignKey) {
      log("[GlobalHotkey] Non-modifier key during multi-mod hold \xE2\x80\x94 cancelling\n");
      handleHotkeyCancel();
    }
    return;
  }

  if (vk == primaryVk) {
    if (down && !isHeld) {
      if (!otherModifierDown(keyboard, primaryVk, primaryVk)) {
        log("[GlobalHotkey] Hotkey DOWN\n");
        handleHotkeyDown();
      }
    } else if (up && isHeld) {
      log("[GlobalHotkey] Hotkey UP\n");
      handleHotkeyUp();
    }
  }
  if (down && isHeld && foreignKey) {
    log("[GlobalHotkey] Non-modifier key during hotkey hold \xE2\x80\x94 cancelling\n");
    handleHotkeyCancel();
  }
}

void GlobalHotkey::handleHotkeyDown() {
  if (isHeld) return;
  cancelledByButton = false;
  isHeld = true;

  if (focusCheckEnabled && appWindow != nullptr &&
      platform_.windows->GetForegroundWindow() == appWindow) {
    log("[GlobalHotkey] App is in focus, notifying Flutter\n");
    sendEvent("onHotkeyWhileFocused");
    return;
  }

  isRecording = true;
  pressTimeNs = platform_.clock->SteadyNowNs();
  if (overlayEnabled) showListeningLook();
  sendEvent("onHotkeyDown");
  stopTimer(maxDurationTimer);
  maxDurationTimer =
      platform_.timers->SetTimer(nullptr, maxDurationTimerId, maxHoldMs, onMaxDurationTimer);
  log("[GlobalHotkey] Started max duration timer\n");
}

void GlobalHotkey::handleHotkeyUp() {
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

  const double heldSeconds =
      static_cast<double>(platform_.clock->SteadyNowNs() - pressTimeNs) / 1'000'000'000.0;
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
  if (currentInstance != nullptr) currentInstance->handleHotkeyUp();
}
