#include "hotkey/global_hotkey.h"

#include "engine_client/method_channel.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/keyboard.h"
#include "platform/timers.h"
#include "platform/window_system.h"

GlobalHotkey* GlobalHotkey::currentInstance = nullptr;
platform::Platform* GlobalHotkey::callbackPlatform = nullptr;

GlobalHotkey::GlobalHotkey(platform::Platform& platform) : platform_(platform) {
  currentInstance = this;
  callbackPlatform = &platform;
}

GlobalHotkey::~GlobalHotkey() {
  stopListening();
  hookThread_.reset();
  stopTimer(pulseTimer);
  stopTimer(spinnerTimer);
  if (recordingOverlay != nullptr) {
    platform_.windows->DestroyWindow(recordingOverlay);
    recordingOverlay = nullptr;
  }
  stopTimer(hintTimer);
  if (hintOverlay != nullptr) {
    platform_.windows->DestroyWindow(hintOverlay);
    hintOverlay = nullptr;
  }
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
  hookFilter_.configure(primaryVk, secondVk, comboVk);
  if (hookThread_ == nullptr)
    hookThread_ = platform_.keyboard->StartHookThread(hookFilter_, hookEvents_);
  keyboardHook = hookThread_ != nullptr ? hookThread_->Install() : nullptr;
  log(keyboardHook != nullptr ? "[GlobalHotkey] Started listening\n"
                              : "[GlobalHotkey] Failed to install keyboard hook\n");
}

void GlobalHotkey::stopListening() {
  if (keyboardHook != nullptr) {
    hookThread_->Remove();
    keyboardHook = nullptr;
  }
  isHeld = false;
  cancelledByButton = false;
  isRecording = false;
  primaryDown = false;
  secondDown = false;
  stopTimer(maxDurationTimer);
  hideRecordingOverlay();
  log("[GlobalHotkey] Stopped listening\n");
}

void GlobalHotkey::handleSessionChange(WPARAM change) {
  switch (change) {
    case WTS_SESSION_LOCK:
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT:
      if (isHeld) {
        log("[GlobalHotkey] Session locked or disconnected during hold \xE2\x80\x94 cancelling\n");
        handleHotkeyCancel();
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
  if (event == PBT_APMSUSPEND && isHeld) {
    log("[GlobalHotkey] Suspending during hold \xE2\x80\x94 cancelling\n");
    handleHotkeyCancel();
  } else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) {
    reinstallHook("[GlobalHotkey] Resumed, keyboard hook re-installed\n");
  }
}

void GlobalHotkey::reinstallHook(const char* why) {
  if (keyboardHook == nullptr) return;
  hookThread_->Remove();
  primaryDown = false;
  secondDown = false;
  keyboardHook = hookThread_->Install();
  log(keyboardHook != nullptr ? why : "[GlobalHotkey] Failed to install keyboard hook\n");
}

void GlobalHotkey::HookEvents::onHookReinstalled() {
  owner_.log("[GlobalHotkey] Keyboard hook was removed by the system, re-installed\n");
}

void GlobalHotkey::setOverlayEnabled(bool enabled) {
  overlayEnabled = enabled;
  if (!enabled) fadeOutRecordingOverlay();
}

void GlobalHotkey::setFocusCheckEnabled(bool enabled) { focusCheckEnabled = enabled; }

void GlobalHotkey::hideOverlay() { hideRecordingOverlay(); }

void GlobalHotkey::sendEvent(const char* event) {
  if (channel != nullptr) channel->InvokeMethod(event, nullptr);
}

void GlobalHotkey::detachChannel() { channel.reset(); }

void GlobalHotkey::log(const char* line) { platform_.debug->OutputDebugStringA(line); }

void GlobalHotkey::stopTimer(UINT_PTR& timerId) {
  if (timerId == 0) return;
  platform_.timers->KillTimer(nullptr, timerId);
  timerId = 0;
}
