// GlobalHotkey: the one push-to-talk controller.
//
// It holds all push-to-talk state: the key specification and its label, the low-level keyboard
// hook (on a thread of its own, platform/hook_thread.h), the current hold, five thread timers, the
// two overlay windows with their animation state, the four overlay texts and the application's own
// window for the focus check. The engine host window owns exactly one, by value. Everything here
// runs on the main thread; only the hook filter runs on the hook thread, which posts each key event
// to the main thread as a copy. The context-free callbacks (timer and overlay window procedures)
// find the controller through currentInstance.
//
// The operations are implemented by subsystem: hotkey/global_hotkey.cpp (lifetime, listening),
// hotkey/hotkey_label.cpp (labels), hotkey/hold_state_machine.cpp (key events, holds),
// overlay/recording_overlay.cpp and overlay/hint_overlay.cpp. The text operations
// (setLocalizedStrings, formatWithLabel) live in overlay/overlay_texts.h and the paste in
// paste/paste_text.h, as functions of the controller.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hotkey/hotkey_hook_filter.h"
#include "platform/hook_thread.h"
#include "platform/platform.h"
#include "platform/win_types.h"

class MethodChannel;

class GlobalHotkey {
 public:
  explicit GlobalHotkey(platform::Platform& platform);
  ~GlobalHotkey();
  GlobalHotkey(const GlobalHotkey&) = delete;
  GlobalHotkey& operator=(const GlobalHotkey&) = delete;

  // The most recently constructed controller; cleared by its teardown.
  static GlobalHotkey* currentInstance;

  platform::Platform& platform() { return platform_; }
  // What a context-free callback uses when no controller is current (null before the first one).
  static platform::Platform* fallbackPlatform() { return callbackPlatform; }

  // Lifetime and listening.
  bool noteWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void startListening();
  void stopListening();
  void applyHotkeyFromLabel(const std::string& newLabel);
  void setOverlayEnabled(bool enabled);
  void setFocusCheckEnabled(bool enabled);
  void hideOverlay();

  // Key events, as the hook thread copied them, and the hold state machine.
  void handleKeyEvent(const platform::HookedKey& key);
  // `foreground` and `atNs`: the foreground window and the time of the key event, which a busy
  // main thread may handle well after it happened.
  void handleHotkeyDown(HWND foreground, std::int64_t atNs);
  void handleHotkeyUp(std::int64_t atNs);
  void handleHotkeyCancel();
  void handleCancelAreaClick();
  static void CALLBACK onMaxDurationTimer(HWND, UINT, UINT_PTR, DWORD);

  // Recording overlay.
  void createRecordingOverlay();
  void placeRecordingOverlay();
  void destroyRecordingOverlay();
  void showListeningLook();
  void showTranscribingLook();
  void fadeOutRecordingOverlay();
  void hideRecordingOverlay();
  static LRESULT CALLBACK recordingOverlayProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam);
  static void CALLBACK onPulseTimer(HWND, UINT, UINT_PTR, DWORD);
  static void CALLBACK onSpinnerTimer(HWND, UINT, UINT_PTR, DWORD);
  static void CALLBACK onFadeTimer(HWND, UINT, UINT_PTR timerId, DWORD);

  // Hint overlay.
  void showHintOverlay();
  void closeHintOverlay();
  static LRESULT CALLBACK hintOverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void CALLBACK onHintTimer(HWND, UINT, UINT_PTR timerId, DWORD);

  // Session lock, disconnect and suspend end a hold as cancelled (the key-up goes to another
  // desktop); unlock, connect and resume install the hook again, which may have missed keys.
  void handleSessionChange(WPARAM change);
  void handlePowerEvent(WPARAM event);

  // Sends one event ("onHotkeyDown", ...) to the Dart side; the single way events leave.
  void sendEvent(const char* event);
  // Drops the channel so nothing is sent any more. Called before the engine shuts down: from then
  // on the messenger is dead, while the hook and timers may still produce events.
  void detachChannel();

  // Writes one diagnostic line (a single OutputDebugStringA call).
  void log(const char* line);

  // Stops a thread timer if `timerId` is non-zero and zeroes it.
  void stopTimer(UINT_PTR& timerId);

  // Fields, in the documented order. Public: the overlay, paste and channel code of the hotkey
  // subsystem share them under these names.
  // The hotkey channel; empty before registration and after detachChannel.
  std::unique_ptr<MethodChannel> channel;
  std::uint32_t primaryVk = 160;
  std::uint32_t secondVk = 162;
  std::uint32_t comboVk = 0;
  std::string label = "Left Shift + Left Ctrl";
  HHOOK keyboardHook = nullptr;
  bool isHeld = false;
  bool cancelledByButton = false;
  bool isRecording = false;
  bool overlayEnabled = true;
  bool focusCheckEnabled = true;
  std::int64_t pressTimeNs = 0;
  UINT_PTR maxDurationTimer = 0;
  bool primaryDown = false;
  bool secondDown = false;
  HWND recordingOverlay = nullptr;
  UINT_PTR pulseTimer = 0;
  UINT_PTR spinnerTimer = 0;
  float pulseLevel = 1.0f;
  bool pulseFalling = true;
  float spinnerAngle = 0.0f;
  bool showSpinner = false;
  HWND hintOverlay = nullptr;
  UINT_PTR hintTimer = 0;
  UINT_PTR fadeTimer = 0;
  std::u16string listeningText = u"Listening...";
  std::u16string transcribingText = u"Transcribing...";
  std::u16string dontTapText = u"Don't tap. Hold down %s.";
  std::u16string holdDownText = u"Hold down %s while speaking, release to see text.";
  HWND appWindow = nullptr;

 private:
  // Receives what the hook thread posts, on the main thread. Key events go to the current
  // controller, as they did when the hook procedure itself looked it up.
  class HookEvents final : public platform::HookSink {
   public:
    explicit HookEvents(GlobalHotkey& owner) : owner_(owner) {}
    void onHookedKey(const platform::HookedKey& key) override {
      if (currentInstance != nullptr) currentInstance->handleKeyEvent(key);
    }
    void onHookReinstalled() override;

   private:
    GlobalHotkey& owner_;
  };

  // Hook removed and installed again through the hook thread, the key-down flags forgotten.
  void reinstallHook(const char* why);

  // The platform of the most recently constructed controller: what the context-free callbacks use
  // when no controller is current (CallNextHookEx, the timer's log line). Platforms outlive every
  // controller, so it never dangles while a hook or timer of theirs can still run.
  static platform::Platform* callbackPlatform;

  platform::Platform& platform_;
  HotkeyHookFilter hookFilter_{platform_};
  HookEvents hookEvents_{*this};
  // Started by the first startListening, stopped and joined by teardown.
  std::unique_ptr<platform::HookThread> hookThread_;
};
