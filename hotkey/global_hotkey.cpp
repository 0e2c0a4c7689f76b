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

bool GlobalHotkey::noteWindowMessage(HWND window, UINT message, WPARAM, LPARAM) {
  if (appWindow == nullptr && message == WM_ACTIVATE) appWindow = window;
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
  keyboardHook = platform_.keyboard->SetWindowsHookExW(
      WH_KEYBOARD_LL, keyboardHookProc, platform_.windows->GetModuleHandleW(nullptr), 0);
  log(keyboardHook != nullptr ? "[GlobalHotkey] Started listening\n"
                              : "[GlobalHotkey] Failed to install keyboard hook\n");
}

void GlobalHotkey::stopListening() {
  if (keyboardHook != nullptr) {
    platform_.keyboard->UnhookWindowsHookEx(keyboardHook);
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
