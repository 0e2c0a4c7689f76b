#include "overlay/recording_overlay.h"

#include "overlay/overlay_window.h"
#include "platform/timers.h"
#include "platform/window_system.h"

namespace {

constexpr UINT_PTR kFadeTimerId = 10003;
constexpr UINT_PTR kPulseTimerId = 10004;
constexpr UINT_PTR kSpinnerTimerId = 10005;
constexpr UINT kFadeMs = 20;
constexpr UINT kPulseMs = 50;
constexpr UINT kSpinnerMs = 30;
constexpr BYTE kFadeStep = 20;

bool recordingClassAttempted = false;

void onRecordingClick(GlobalHotkey& hotkey, HWND, int x) {
  if (x >= overlay::kCancelAreaLeft) hotkey.handleCancelAreaClick();
}

void restartTimer(GlobalHotkey& hotkey, UINT_PTR& timer, UINT_PTR id, UINT ms, TIMERPROC proc) {
  hotkey.stopTimer(timer);
  timer = hotkey.platform().timers->SetTimer(nullptr, id, ms, proc);
}

}  // namespace

void GlobalHotkey::createRecordingOverlay() {
  if (recordingOverlay != nullptr) return;
  platform::WindowSystem& windows = *platform_.windows;
  overlay::registerClassOnce(windows, recordingClassAttempted, overlay::kRecordingClassName,
                             recordingOverlayProc);
  recordingOverlay = overlay::createOverlayWindow(
      windows, overlay::kRecordingClassName, overlay::topCentreX(windows, overlay::kRecordingWidth),
      overlay::kRecordingWidth, overlay::kRecordingHeight);
  if (recordingOverlay != nullptr) overlay::setOpacity(windows, recordingOverlay, 255);
}

void GlobalHotkey::placeRecordingOverlay() {
  if (recordingOverlay == nullptr) return;
  platform::WindowSystem& windows = *platform_.windows;
  windows.SetWindowPos(recordingOverlay, HWND_TOPMOST,
                       overlay::topCentreX(windows, overlay::kRecordingWidth), overlay::kTop,
                       overlay::kRecordingWidth, overlay::kRecordingHeight, SWP_NOACTIVATE);
}

void GlobalHotkey::destroyRecordingOverlay() {
  stopTimer(pulseTimer);
  stopTimer(spinnerTimer);
  if (recordingOverlay != nullptr) {
    platform_.windows->DestroyWindow(recordingOverlay);
    recordingOverlay = nullptr;
  }
}

void GlobalHotkey::showListeningLook() {
  // A fade still running from a cancel would otherwise dim and hide the new recording's pill.
  stopTimer(fadeTimer);
  destroyRecordingOverlay();
  showSpinner = false;
  pulseLevel = 1.0f;
  pulseFalling = true;
  createRecordingOverlay();
  placeRecordingOverlay();
  if (recordingOverlay != nullptr) {
    platform::WindowSystem& windows = *platform_.windows;
    overlay::setOpacity(windows, recordingOverlay, overlay::kListeningAlpha);
    windows.InvalidateRect(recordingOverlay, nullptr, TRUE);
    windows.UpdateWindow(recordingOverlay);
    windows.ShowWindow(recordingOverlay, SW_SHOWNOACTIVATE);
  }
  restartTimer(*this, pulseTimer, kPulseTimerId, kPulseMs, onPulseTimer);
}

void GlobalHotkey::showTranscribingLook() {
  stopTimer(fadeTimer);
  showSpinner = true;
  if (recordingOverlay == nullptr) createRecordingOverlay();
  stopTimer(pulseTimer);
  spinnerAngle = 0.0f;
  restartTimer(*this, spinnerTimer, kSpinnerTimerId, kSpinnerMs, onSpinnerTimer);
  placeRecordingOverlay();
  if (recordingOverlay != nullptr) {
    platform::WindowSystem& windows = *platform_.windows;
    overlay::setOpacity(windows, recordingOverlay, overlay::kTranscribingAlpha);
    windows.ShowWindow(recordingOverlay, SW_SHOWNOACTIVATE);
    windows.InvalidateRect(recordingOverlay, nullptr, TRUE);
  }
}

void GlobalHotkey::fadeOutRecordingOverlay() {
  stopTimer(pulseTimer);
  stopTimer(spinnerTimer);
  if (recordingOverlay == nullptr) return;
  restartTimer(*this, fadeTimer, kFadeTimerId, kFadeMs, onFadeTimer);
}

void GlobalHotkey::hideRecordingOverlay() {
  stopTimer(pulseTimer);
  stopTimer(spinnerTimer);
  stopTimer(fadeTimer);
  if (recordingOverlay != nullptr) platform_.windows->ShowWindow(recordingOverlay, SW_HIDE);
}

void CALLBACK GlobalHotkey::onPulseTimer(HWND, UINT, UINT_PTR, DWORD) {
  GlobalHotkey* hotkey = currentInstance;
  if (hotkey == nullptr || hotkey->recordingOverlay == nullptr || hotkey->showSpinner) return;
  if (hotkey->pulseFalling) {
    hotkey->pulseLevel -= 0.1f;
    if (hotkey->pulseLevel <= 0.2f) {
      hotkey->pulseLevel = 0.2f;
      hotkey->pulseFalling = false;
    }
  } else {
    hotkey->pulseLevel += 0.1f;
    if (hotkey->pulseLevel >= 1.0f) {
      hotkey->pulseLevel = 1.0f;
      hotkey->pulseFalling = true;
    }
  }
  hotkey->platform_.windows->InvalidateRect(hotkey->recordingOverlay, nullptr, FALSE);
}

void CALLBACK GlobalHotkey::onSpinnerTimer(HWND, UINT, UINT_PTR, DWORD) {
  GlobalHotkey* hotkey = currentInstance;
  if (hotkey == nullptr || hotkey->recordingOverlay == nullptr) return;
  hotkey->spinnerAngle += 12.0f;
  if (hotkey->spinnerAngle >= 360.0f) hotkey->spinnerAngle -= 360.0f;
  hotkey->platform_.windows->InvalidateRect(hotkey->recordingOverlay, nullptr, FALSE);
}

void CALLBACK GlobalHotkey::onFadeTimer(HWND, UINT, UINT_PTR timerId, DWORD) {
  GlobalHotkey* hotkey = currentInstance;
  if (hotkey == nullptr || hotkey->recordingOverlay == nullptr) {
    platform::Platform* platform = hotkey != nullptr ? &hotkey->platform_ : fallbackPlatform();
    if (platform != nullptr) platform->timers->KillTimer(nullptr, timerId);
    if (hotkey != nullptr) hotkey->fadeTimer = 0;
    return;
  }
  platform::WindowSystem& windows = *hotkey->platform_.windows;
  BYTE alpha = 0;
  if (!windows.GetLayeredWindowAttributes(hotkey->recordingOverlay, nullptr, &alpha, nullptr)) {
    alpha = 0;
  }
  if (alpha > kFadeStep) {
    overlay::setOpacity(windows, hotkey->recordingOverlay, static_cast<BYTE>(alpha - kFadeStep));
    return;
  }
  hotkey->platform_.timers->KillTimer(nullptr, timerId);
  hotkey->fadeTimer = 0;
  windows.ShowWindow(hotkey->recordingOverlay, SW_HIDE);
}

LRESULT CALLBACK GlobalHotkey::recordingOverlayProc(HWND window, UINT message, WPARAM wParam,
                                                    LPARAM lParam) {
  return overlay::handleOverlayMessage(window, message, wParam, lParam, paintRecordingOverlay,
                                       onRecordingClick);
}
