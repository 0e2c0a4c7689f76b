#include "hotkey/global_hotkey.h"

#include "engine_client/method_channel.h"
#include "platform/debug_output.h"
#include "platform/keyboard.h"
#include "platform/window_system.h"

GlobalHotkey* GlobalHotkey::currentInstance = nullptr;
platform::Platform* GlobalHotkey::callbackPlatform = nullptr;

namespace {

// The key states the hook reads: GetAsyncKeyState, which inside the hook still shows the state
// before the event being judged.
class AsyncKeyStates final : public KeyStates {
 public:
  explicit AsyncKeyStates(platform::Keyboard& keyboard) : keyboard_(keyboard) {}
  bool isDown(std::uint32_t vk) const override {
    return (keyboard_.GetAsyncKeyState(static_cast<int>(vk)) & 0x8000) != 0;
  }

 private:
  platform::Keyboard& keyboard_;
};

}  // namespace

GlobalHotkey::GlobalHotkey(platform::Platform& platform)
    : platform_(platform),
      hintOverlay(platform, overlayTexts, keySpec.label, onHintTimer),
      recordingOverlay(platform, overlayTexts, {onPulseTimer, onSpinnerTimer, onFadeTimer},
                       [this] { holdState.handleCancelAreaClick(); }),
      holdState(platform, *this, onMaxDurationTimer) {
  currentInstance = this;
  callbackPlatform = &platform;
}

GlobalHotkey::~GlobalHotkey() {
  stopListening();
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

void GlobalHotkey::setOverlayEnabled(bool enabled) {
  overlayEnabled = enabled;
  if (!enabled) recordingOverlay.fadeOut();
}

void GlobalHotkey::setFocusCheckEnabled(bool enabled) { focusCheckEnabled = enabled; }

void GlobalHotkey::setLocalizedStrings(const EncodableValueMap& strings) {
  overlayTexts.setLocalizedStrings(strings);
}

void GlobalHotkey::hideOverlay() { recordingOverlay.hide(); }

void GlobalHotkey::showHintOverlay() {
  if (!overlayEnabled) return;
  recordingOverlay.hide();
  hintOverlay.show();
}

void GlobalHotkey::setChannel(std::unique_ptr<MethodChannel> newChannel) {
  channel = std::move(newChannel);
}

void GlobalHotkey::detachChannel() { channel.reset(); }

void GlobalHotkey::handleKeyEvent(WPARAM message, const KBDLLHOOKSTRUCT& event) {
  holdState.handleKeyEvent(keySpec, keyEventFrom(message, event),
                           AsyncKeyStates(*platform_.keyboard));
}

LRESULT CALLBACK GlobalHotkey::keyboardHookProc(int code, WPARAM message, LPARAM event) {
  if (code == HC_ACTION && currentInstance != nullptr) {
    currentInstance->handleKeyEvent(message, *reinterpret_cast<const KBDLLHOOKSTRUCT*>(event));
  }
  platform::Keyboard* keyboard = callbackPlatform != nullptr ? callbackPlatform->keyboard : nullptr;
  return keyboard != nullptr ? keyboard->CallNextHookEx(nullptr, code, message, event) : 0;
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
  if (currentInstance != nullptr) currentInstance->holdState.handleHotkeyUp();
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

bool GlobalHotkey::appHasFocus() {
  return focusCheckEnabled && appWindow != nullptr &&
         platform_.windows->GetForegroundWindow() == appWindow;
}

void GlobalHotkey::pressedWhileFocused() { sendEvent("onHotkeyWhileFocused"); }

void GlobalHotkey::recordingStarted() {
  if (overlayEnabled) recordingOverlay.showListeningLook();
  sendEvent("onHotkeyDown");
}

void GlobalHotkey::tapped() {
  sendEvent("onHotkeyCancelled");
  showHintOverlay();
}

void GlobalHotkey::released() {
  if (overlayEnabled) recordingOverlay.showTranscribingLook();
  sendEvent("onHotkeyUp");
}

void GlobalHotkey::cancelled() {
  recordingOverlay.fadeOut();
  sendEvent("onHotkeyCancelled");
}

void GlobalHotkey::sendEvent(const char* event) {
  if (channel != nullptr) channel->InvokeMethod(event, nullptr);
}
