#include "overlay/recording_overlay.h"

#include <utility>

#include "platform/window_system.h"

namespace overlay {
namespace {

constexpr UINT kFadeMs = 20;
constexpr UINT kPulseMs = 50;
constexpr UINT kSpinnerMs = 30;
constexpr BYTE kFadeStep = 20;

bool recordingClassAttempted = false;

}  // namespace

RecordingOverlay::RecordingOverlay(platform::Platform& platform, const OverlayTexts& texts,
                                   TimerProcs procs, std::function<void()> cancelAreaClicked)
    : platform_(platform),
      texts_(texts),
      cancelAreaClicked_(std::move(cancelAreaClicked)),
      recordingOverlay(*platform.windows, *platform.trace, *this),
      pulseTimer(*platform.timers, kPulseMs, procs.pulse),
      spinnerTimer(*platform.timers, kSpinnerMs, procs.spinner),
      fadeTimer(*platform.timers, kFadeMs, procs.fade),
      caption_(platform) {}

void RecordingOverlay::create() {
  if (recordingOverlay) return;
  recordingOverlay.create(kRecordingClassName, recordingClassAttempted, kRecordingWidth,
                          kRecordingHeight);
  setOpacity(255);
}

void RecordingOverlay::place() {
  const RECT at = recordingOverlay.place(kRecordingWidth, kRecordingHeight);
  caption_.follow(at.top + at.bottom);
}

void RecordingOverlay::destroy() {
  pulseTimer.stop();
  spinnerTimer.stop();
  showing_ = false;
  frame_.reset();
  caption_.destroy();
  recordingOverlay.destroy();
}

void RecordingOverlay::setOpacity(BYTE alpha) {
  recordingOverlay.setOpacity(alpha);
  caption_.setOpacity(alpha);
}

void RecordingOverlay::showListeningLook() {
  // A fade still running from a cancel would otherwise dim and hide the new recording's pill.
  fadeTimer.stop();
  destroy();
  showSpinner = false;
  pulseLevel = 1.0f;
  pulseFalling = true;
  create();
  place();
  if (recordingOverlay) {
    platform::WindowSystem& windows = *platform_.windows;
    setOpacity(kListeningAlpha);
    windows.InvalidateRect(recordingOverlay.handle(), nullptr, TRUE);
    windows.UpdateWindow(recordingOverlay.handle());
    recordingOverlay.show();
    showing_ = true;
  }
  pulseTimer.start();
}

void RecordingOverlay::showTranscribingLook() {
  fadeTimer.stop();
  showSpinner = true;
  create();
  pulseTimer.stop();
  spinnerAngle = 0.0f;
  spinnerTimer.start();
  place();
  if (recordingOverlay) {
    platform::WindowSystem& windows = *platform_.windows;
    setOpacity(kTranscribingAlpha);
    recordingOverlay.show();
    windows.InvalidateRect(recordingOverlay.handle(), nullptr, TRUE);
    showing_ = true;
    // Back from a fade that dropped the text: no old words come back with the pill.
    if (!caption_.hasText()) caption_.hide();
  }
}

void RecordingOverlay::fadeOut() {
  pulseTimer.stop();
  spinnerTimer.stop();
  showing_ = false;
  caption_.dropText();
  if (!recordingOverlay) return;
  fadeTimer.start();
}

void RecordingOverlay::hide() {
  pulseTimer.stop();
  spinnerTimer.stop();
  fadeTimer.stop();
  showing_ = false;
  frame_.reset();
  caption_.hide();
  if (recordingOverlay) platform_.windows->ShowWindow(recordingOverlay.handle(), SW_HIDE);
}

void RecordingOverlay::setTranscript(const std::string& utf8) {
  if (showing_) caption_.setText(utf8);
}

void RecordingOverlay::onPulse() {
  if (!recordingOverlay || showSpinner) return;
  if (pulseFalling) {
    pulseLevel -= 0.1f;
    if (pulseLevel <= 0.2f) {
      pulseLevel = 0.2f;
      pulseFalling = false;
    }
  } else {
    pulseLevel += 0.1f;
    if (pulseLevel >= 1.0f) {
      pulseLevel = 1.0f;
      pulseFalling = true;
    }
  }
  const RECT changed = animationRect();
  platform_.windows->InvalidateRect(recordingOverlay.handle(), &changed, FALSE);
}

void RecordingOverlay::onSpinner() {
  if (!recordingOverlay) return;
  spinnerAngle += 12.0f;
  if (spinnerAngle >= 360.0f) spinnerAngle -= 360.0f;
  const RECT changed = animationRect();
  platform_.windows->InvalidateRect(recordingOverlay.handle(), &changed, FALSE);
}

void RecordingOverlay::onFade() {
  if (!recordingOverlay) {
    fadeTimer.stop();
    return;
  }
  platform::WindowSystem& windows = *platform_.windows;
  BYTE alpha = 0;
  if (!windows.GetLayeredWindowAttributes(recordingOverlay.handle(), nullptr, &alpha, nullptr)) {
    alpha = 0;
  }
  if (alpha > kFadeStep) {
    setOpacity(static_cast<BYTE>(alpha - kFadeStep));
    return;
  }
  fadeTimer.stop();
  frame_.reset();
  caption_.hide();
  windows.ShowWindow(recordingOverlay.handle(), SW_HIDE);
}

void RecordingOverlay::click(int x) {
  if (x >= kCancelAreaLeft) cancelAreaClicked_();
}

}  // namespace overlay
