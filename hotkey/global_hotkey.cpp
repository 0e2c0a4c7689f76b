#include "hotkey/global_hotkey.h"

#include "hotkey/key_states.h"

#include "engine_client/method_channel.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/keyboard.h"
#include "platform/trace.h"
#include "platform/window_system.h"

namespace {

const char* const kReinstallFailedLine =
    "[GlobalHotkey] Failed to re-install keyboard hook, retrying at the next key\n";

}  // namespace

GlobalHotkey* GlobalHotkey::currentInstance = nullptr;
platform::Platform* GlobalHotkey::callbackPlatform = nullptr;

GlobalHotkey::GlobalHotkey(platform::Platform& platform)
    : platform_(platform),
      hintOverlay(platform, overlayTexts, keySpec.label, onHintTimer),
      recordingOverlay(platform, overlayTexts, {onPulseTimer, onSpinnerTimer, onFadeTimer},
                       [this] { holdState.handleCancelAreaClick(); }),
      holdState(platform, *this, onMaxDurationTimer, onReleasePollTimer) {
  currentInstance = this;
  callbackPlatform = &platform;
}

GlobalHotkey::~GlobalHotkey() {
  stopListening();
  hookThread.reset();
  if (currentInstance == this) currentInstance = nullptr;
}

bool GlobalHotkey::noteWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM) {
  if (appWindow == nullptr && message == WM_ACTIVATE) appWindow = window;
  if (message == WM_WTSSESSION_CHANGE) handleSessionChange(wParam);
  if (message == WM_POWERBROADCAST) handlePowerEvent(wParam);
  return false;
}

void GlobalHotkey::startListening() {
  stopListening();
  if (appWindow == nullptr) {
    appWindow = platform_.windows->GetActiveWindow();
    if (appWindow == nullptr) {
      appWindow =
          platform_.windows->FindWindowW(platform::W(u"FLUTTER_RUNNER_WIN32_WINDOW"), nullptr);
    }
  }
  hookFilter.configure(keySpec);
  if (hookThread == nullptr)
    hookThread = platform_.keyboard->StartHookThread(hookFilter, hookEvents);
  keyboardHook = hookThread != nullptr ? hookThread->Install() : nullptr;
  if (keyboardHook != nullptr) {
    log("[GlobalHotkey] Started listening\n");
    return;
  }
  if (hookThread != nullptr) hookThread->Remove();  // not listening: nothing tries again
  log("[GlobalHotkey] Failed to install keyboard hook\n");
}

void GlobalHotkey::stopListening() {
  if (keyboardHook != nullptr) {
    hookThread->Remove();
    keyboardHook = nullptr;
  }
  holdState.reset();
  recordingOverlay.hide();
  log("[GlobalHotkey] Stopped listening\n");
}

void GlobalHotkey::applyHotkeyFromLabel(const std::string& newLabel) {
  log(("[GlobalHotkey] applyHotkeyFromLabel: " + newLabel + "\n").c_str());
  keySpec = keySpecFromLabel(newLabel, *platform_.debug);
  if (keyboardHook != nullptr) startListening();
  log(("[GlobalHotkey] Hotkey set: vk=" + std::to_string(keySpec.primaryVk) + " second=" +
       std::to_string(keySpec.secondVk) + " combo=" + std::to_string(keySpec.comboVk) + "\n")
          .c_str());
}

void GlobalHotkey::handleSessionChange(WPARAM change) {
  switch (change) {
    case WTS_SESSION_LOCK:
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT:
      if (holdState.held()) {
        log("[GlobalHotkey] Session locked or disconnected during hold \xE2\x80\x94 cancelling\n");
        holdState.handleHotkeyCancel();
      }
      break;
    case WTS_SESSION_UNLOCK:
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT:
      reinstallHook("[GlobalHotkey] Session back, keyboard hook re-installed\n");
      break;
    default:
      break;
  }
}

void GlobalHotkey::handlePowerEvent(WPARAM event) {
  if (event == PBT_APMSUSPEND && holdState.held()) {
    log("[GlobalHotkey] Suspending during hold \xE2\x80\x94 cancelling\n");
    holdState.handleHotkeyCancel();
  } else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) {
    reinstallHook("[GlobalHotkey] Resumed, keyboard hook re-installed\n");
  }
}

// Still listening if the install fails: the hook thread tries again at the next key.
void GlobalHotkey::reinstallHook(const char* why) {
  if (keyboardHook == nullptr) return;
  hookThread->Remove();
  holdState.forgetKeyDowns();
  if (hookThread->Install() == nullptr) {
    log(kReinstallFailedLine);
    return;
  }
  log(why);
  checkReleaseAfterRepair();
}

void GlobalHotkey::checkReleaseAfterRepair() {
  holdState.checkReleaseAfterRepair(keySpec,
                                    AsyncKeyStates(*platform_.keyboard, hookFilter.button()),
                                    platform_.clock->SteadyNowNs());
}

void GlobalHotkey::handleDesktopSwitch(std::int64_t atNs) {
  if (!holdState.held() || atNs < holdState.pressTime()) return;
  log("[GlobalHotkey] Desktop switched during hold \xE2\x80\x94 cancelling\n");
  holdState.handleHotkeyCancel();
}

void GlobalHotkey::HookEvents::onHookReinstalled() {
  owner_.log("[GlobalHotkey] Keyboard hook was removed by the system, re-installed\n");
  owner_.checkReleaseAfterRepair();
}

void GlobalHotkey::HookEvents::onHookReinstallFailed() { owner_.log(kReinstallFailedLine); }

void GlobalHotkey::HookEvents::onDesktopSwitched(std::int64_t atNs) {
  owner_.handleDesktopSwitch(atNs);
}

void GlobalHotkey::setOverlayEnabled(bool enabled) {
  overlayEnabled = enabled;
  if (!enabled) recordingOverlay.fadeOut();
}

void GlobalHotkey::setFocusCheckEnabled(bool enabled) { focusCheckEnabled = enabled; }

void GlobalHotkey::setLocalizedStrings(const EncodableValueMap& strings) {
  overlayTexts.setLocalizedStrings(strings);
}

void GlobalHotkey::hideOverlay() { recordingOverlay.hide(); }

void GlobalHotkey::setOverlayTranscript(const std::string& utf8) {
  if (overlayEnabled) recordingOverlay.setTranscript(utf8);
}

void GlobalHotkey::showHintOverlay() {
  if (!overlayEnabled) return;
  recordingOverlay.hide();
  hintOverlay.show();
}

void GlobalHotkey::setChannel(std::unique_ptr<MethodChannel> newChannel) {
  channel = std::move(newChannel);
}

void GlobalHotkey::detachChannel() { channel.reset(); }

void GlobalHotkey::handleKeyEvent(const platform::HookedKey& key) {
  holdState.handleKeyEvent(keySpec, keyEventFrom(key), HookedKeyStates(key.keysDown, keySpec));
}

// A timer that fires while no controller is current belongs to a live controller that is not the
// current one (the teardown of a controller stops its timers); it is left to that owner, whose id
// would otherwise go stale.
void CALLBACK GlobalHotkey::onMaxDurationTimer(HWND, UINT, UINT_PTR, DWORD) {
  platform::Platform* platform =
      currentInstance != nullptr ? &currentInstance->platform_ : callbackPlatform;
  if (platform != nullptr && platform->debug != nullptr) {
    platform->debug->OutputDebugStringA("[GlobalHotkey] Max duration timer fired\n");
  }
  if (currentInstance != nullptr) {
    currentInstance->holdState.handleHotkeyUp(currentInstance->platform_.clock->SteadyNowNs());
  }
}

void CALLBACK GlobalHotkey::onReleasePollTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (currentInstance == nullptr) return;
  platform::Platform& p = currentInstance->platform_;
  currentInstance->holdState.pollRelease(
      currentInstance->keySpec, AsyncKeyStates(*p.keyboard, currentInstance->hookFilter.button()),
      p.clock->SteadyNowNs(), p.keyboard->InputDesktopIsOurs());
}

void CALLBACK GlobalHotkey::onPulseTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (currentInstance != nullptr) currentInstance->recordingOverlay.onPulse();
}

void CALLBACK GlobalHotkey::onSpinnerTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (currentInstance != nullptr) currentInstance->recordingOverlay.onSpinner();
}

void CALLBACK GlobalHotkey::onFadeTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (currentInstance != nullptr) currentInstance->recordingOverlay.onFade();
}

void CALLBACK GlobalHotkey::onHintTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (currentInstance != nullptr) currentInstance->hintOverlay.onAutoClose();
}

void GlobalHotkey::log(const char* line) { platform_.debug->OutputDebugStringA(line); }

bool GlobalHotkey::appHasFocus(HWND foreground) {
  return focusCheckEnabled && appWindow != nullptr && foreground == appWindow;
}

void GlobalHotkey::pressedWhileFocused() { sendEvent("onHotkeyWhileFocused"); }

// The event first: the Dart side starts recording at it, and the look's window costs
// milliseconds.
void GlobalHotkey::recordingStarted() {
  if (platform_.trace != nullptr) {
    platform_.trace->markAt(platform::phase::kHookKeyDown, holdState.pressTime());
  }
  sendEvent("onHotkeyDown");
  if (platform_.trace != nullptr) platform_.trace->mark(platform::phase::kEventSent);
  if (overlayEnabled) recordingOverlay.showListeningLook();
}

void GlobalHotkey::tapped() {
  sendEvent("onHotkeyCancelled");
  showHintOverlay();
}

// The event first, as at the press: the Dart side stops recording at it.
void GlobalHotkey::released() {
  sendEvent("onHotkeyUp");
  if (overlayEnabled) recordingOverlay.showTranscribingLook();
}

void GlobalHotkey::cancelled() {
  recordingOverlay.fadeOut();
  sendEvent("onHotkeyCancelled");
}

void GlobalHotkey::sendEvent(const char* event) {
  if (channel != nullptr) channel->InvokeMethod(event, nullptr);
}
