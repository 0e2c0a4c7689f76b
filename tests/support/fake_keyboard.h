// Keyboard fake: a hook chain, a 256-entry key-state table and SendInput looped back through the
// hooks, as Windows does. The mouse's buttons too: a chain of low-level mouse hooks, and what
// reached the window under the pointer.
//
// Each event first runs through the installed low-level hooks (newest first, each reaching the
// next with CallNextHookEx) and only then changes the key state, so inside a hook
// GetAsyncKeyState still shows the state before the event, exactly like the real system. Then a
// hook thread (fake_hook_thread.h) sees the event as raw input and, unless the test keeps the main
// thread busy, the main thread handles what the hook posted once the whole SendInput batch is in.
#pragma once

#include <array>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/keyboard.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_hook_thread.h"
#include "tests/support/fake_layout.h"

namespace fake {

class FakeKeyboard final : public platform::Keyboard {
 public:
  explicit FakeKeyboard(FakeClock& clock) : clock_(clock) {}

  HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId) override;
  BOOL UnhookWindowsHookEx(HHOOK hook) override;
  LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) override;
  SHORT GetAsyncKeyState(int vk) override;
  UINT SendInput(UINT count, INPUT* inputs, int size) override;
  // The US layout's scan codes of the keys the shell sends: the modifiers, V, Insert, Enter, Tab.
  UINT MapVirtualKeyW(UINT code, UINT mapType) override;
  // `layout` for every thread; the keys it lacks as MapVirtualKeyW.
  UINT MapVirtualKeyExW(UINT code, UINT mapType, HKL layout) override;
  HKL GetKeyboardLayout(DWORD threadId) override;
  // The two layouts installed: US and German.
  int GetKeyboardLayoutList(int count, HKL* list) override;
  SHORT VkKeyScanExW(WCHAR ch, HKL layout) override;
  // Caps Lock off, as every other toggle.
  SHORT GetKeyState(int) override { return 0; }
  bool InputDesktopIsOurs() override { return !otherDesktopHasInput; }
  std::unique_ptr<platform::HookThread> StartHookThread(platform::HookFilter& filter,
                                                        platform::HookSink& sink) override;

  // A middle or side button (VK_MBUTTON, VK_XBUTTON1/2) going down or up, physical unless
  // `injected`; or a pointer move (vk 0). Like a key it changes the key state after the hooks,
  // but only if no hook swallowed it; raw input sees it either way (as Wine shows it).
  LRESULT mouseButton(DWORD vk, bool up, bool injected = false);
  // The button events that got past the hooks to the window under the pointer: "+vk" / "-vk".
  std::vector<std::string> windowSaw;

  // A physical key event (not flagged as injected); returns what the hook chain returned.
  LRESULT keyDown(DWORD vk);
  LRESULT keyUp(DWORD vk);
  // Changes the state without an event, e.g. a key that was already down before a hook existed.
  void setKeyDown(DWORD vk, bool down);
  bool isDown(DWORD vk) const;

  int installedHooks() const { return static_cast<int>(hooks_.size()); }
  int installedMouseHooks() const { return static_cast<int>(mouseHooks_.size()); }
  // What Windows does to a hook that missed its time limit: gone, and nobody is told.
  void removeHooksBehindOwnersBack() {
    hooks_.clear();
    mouseHooks_.clear();
  }
  // While set, what the hook thread posts waits; deliverPosted() hands it over.
  bool mainThreadBusy = false;
  void deliverPosted();
  FakeHookThread* hookThread() const { return hookThread_; }
  void hookThreadEnded(FakeHookThread* thread);
  // Set to make the next SetWindowsHookExW fail.
  bool failNextHook = false;
  // The layout of every thread.
  const FakeLayout* layout = &usLayout();
  // How many records each of the next SendInput calls takes before it stops, as when input is
  // blocked or an elevated window comes to the front mid-batch; one entry used per call.
  std::deque<UINT> nextSendTakes;
  static inline const FakeLayout* const kUsLayout = &usLayout();
  static inline const FakeLayout* const kGermanLayout = &germanLayout();  // AltGr makes the €
  bool otherDesktopHasInput = false;

 private:
  struct Hook {
    HHOOK handle;
    HOOKPROC proc;
  };
  LRESULT dispatch(bool up, DWORD vk, DWORD scan, DWORD flags, ULONG_PTR extra, DWORD time = 0);
  // An event, or a SendInput batch, is through: a held-back copy goes, then the main thread runs.
  void burstOver();
  LRESULT callFrom(std::size_t index, int code, WPARAM wParam, LPARAM lParam);

  FakeClock& clock_;
  FakeHookThread* hookThread_ = nullptr;
  int dispatchDepth_ = 0;
  std::array<bool, 256> down_{};
  std::vector<Hook> hooks_;       // newest first
  std::vector<Hook> mouseHooks_;  // newest first
  // The chain CallNextHookEx walks now.
  std::vector<Hook>* running_ = &hooks_;
  // Index of the hook CallNextHookEx reaches; past the end while no hook is running.
  std::size_t nextInChain_ = static_cast<std::size_t>(-1);
  std::uintptr_t nextHandle_ = 0x4000;
};

}  // namespace fake
