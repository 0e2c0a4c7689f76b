// GlobalHotkey: the one push-to-talk controller.
//
// It composes the parts that own the push-to-talk state: the key specification and its label,
// the hold state with its ten-minute timer, the overlay texts, the recording overlay and the hint
// overlay; it keeps the switches, the low-level keyboard hook, the application's own window for
// the focus check and the channel events leave through. It turns the hold state's transitions
// into overlay looks and events. The engine host window owns exactly one, by value. Everything
// here runs on the main thread; the keyboard hook runs on a thread of its own
// (platform/hook_thread.h) with only the hook filter, and posts each key event here as a copy.
// The context-free timer procedures find the controller through currentInstance and hand over to
// the owning part at once.
#pragma once

#include <memory>
#include <string>

#include "engine_client/encodable_value.h"
#include "hotkey/hold_state.h"
#include "hotkey/hotkey_hook_filter.h"
#include "hotkey/key_spec.h"
#include "overlay/hint_overlay.h"
#include "overlay/overlay_texts.h"
#include "overlay/recording_overlay.h"
#include "platform/hook_thread.h"
#include "platform/platform.h"
#include "platform/win_types.h"

class MethodChannel;

class GlobalHotkey final : private HoldState::Transitions {
 public:
  explicit GlobalHotkey(platform::Platform& platform);
  ~GlobalHotkey();
  GlobalHotkey(const GlobalHotkey&) = delete;
  GlobalHotkey& operator=(const GlobalHotkey&) = delete;

  // The most recently constructed controller; cleared by its teardown.
  static GlobalHotkey* currentInstance;

  platform::Platform& platform() { return platform_; }

  // Lifetime and listening.
  bool noteWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void startListening();
  void stopListening();
  void applyHotkeyFromLabel(const std::string& newLabel);
  void setOverlayEnabled(bool enabled);
  void setFocusCheckEnabled(bool enabled);
  void setLocalizedStrings(const EncodableValueMap& strings);
  void hideOverlay();
  // Session lock, disconnect and suspend end a hold as cancelled (the key-up goes to another
  // desktop), as does a switch of the input desktop (hook thread); unlock, connect and resume
  // install the hook again, which may have missed keys. Reached through noteWindowMessage.
  void handleSessionChange(WPARAM change);
  void handlePowerEvent(WPARAM event);

  // The context-free callbacks.
  static void CALLBACK onMaxDurationTimer(HWND, UINT, UINT_PTR, DWORD);
  static void CALLBACK onReleasePollTimer(HWND, UINT, UINT_PTR, DWORD);
  static void CALLBACK onPulseTimer(HWND, UINT, UINT_PTR, DWORD);
  static void CALLBACK onSpinnerTimer(HWND, UINT, UINT_PTR, DWORD);
  static void CALLBACK onFadeTimer(HWND, UINT, UINT_PTR, DWORD);
  static void CALLBACK onHintTimer(HWND, UINT, UINT_PTR, DWORD);

  // One key event as the hook thread copied it, judged on the key states of its moment.
  void handleKeyEvent(const platform::HookedKey& key);
  // Shows the hint after a tap: the recording overlay goes at once. Nothing when overlays are off.
  void showHintOverlay();

  // The channel events leave through ("onHotkeyDown", ...); replaces any earlier one.
  void setChannel(std::unique_ptr<MethodChannel> channel);
  // Drops the channel so nothing is sent any more. Called before the engine shuts down: from then
  // on the messenger is dead, while the hook and timers may still produce events.
  void detachChannel();

  // The parts and switches, as they stand.
  const KeySpec& keys() const { return keySpec; }
  HoldState& hold() { return holdState; }
  const overlay::OverlayTexts& texts() const { return overlayTexts; }
  overlay::RecordingOverlay& recording() { return recordingOverlay; }
  overlay::HintOverlay& hint() { return hintOverlay; }
  bool listening() const { return keyboardHook != nullptr; }
  // The hook installed now (self-repair may have replaced the one the last start installed).
  HHOOK hookHandle() const { return hookThread != nullptr ? hookThread->Installed() : nullptr; }
  bool overlaysEnabled() const { return overlayEnabled; }
  bool focusCheck() const { return focusCheckEnabled; }
  HWND ownWindow() const { return appWindow; }

 private:
  // HoldState::Transitions.
  void log(const char* line) override;
  bool appHasFocus(HWND foreground) override;
  void pressedWhileFocused() override;
  void recordingStarted() override;
  void tapped() override;
  void released() override;
  void cancelled() override;

  void sendEvent(const char* event);

  // Receives what the hook thread posts, on the main thread. Key events go to the current
  // controller, as they did when the hook procedure itself looked it up.
  class HookEvents final : public platform::HookSink {
   public:
    explicit HookEvents(GlobalHotkey& owner) : owner_(owner) {}
    void onHookedKey(const platform::HookedKey& key) override {
      if (currentInstance != nullptr) currentInstance->handleKeyEvent(key);
    }
    void onHookReinstalled() override;
    void onHookReinstallFailed() override;
    void onDesktopSwitched(std::int64_t atNs) override;

   private:
    GlobalHotkey& owner_;
  };

  // Hook removed and installed again through the hook thread, the key-down flags forgotten.
  void reinstallHook(const char* why);
  // The hook is back after missing keys: a release it missed ends the hold.
  void checkReleaseAfterRepair();
  // The secure desktop (a UAC prompt) takes the keyboard: the key-up goes there. A hold pressed
  // after the switch (the return, whose notice came late) is not the one it ends.
  void handleDesktopSwitch(std::int64_t atNs);

  // The platform of the most recently constructed controller: what the context-free callbacks use
  // when no controller is current (the timer's log line). Platforms outlive every controller, so
  // it never dangles while a timer of theirs can still run.
  static platform::Platform* callbackPlatform;

  platform::Platform& platform_;
  std::unique_ptr<MethodChannel> channel;
  KeySpec keySpec;
  HHOOK keyboardHook = nullptr;
  bool overlayEnabled = true;
  bool focusCheckEnabled = true;
  HWND appWindow = nullptr;
  overlay::OverlayTexts overlayTexts;
  // Destroyed in reverse: the hold's timer, the recording overlay, then the hint.
  overlay::HintOverlay hintOverlay;
  overlay::RecordingOverlay recordingOverlay;
  HoldState holdState;
  HotkeyHookFilter hookFilter{platform_};
  HookEvents hookEvents{*this};
  // Started by the first startListening; stopped and joined first at teardown.
  std::unique_ptr<platform::HookThread> hookThread;
};
