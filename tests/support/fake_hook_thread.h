// The hook thread on the fake platform: no thread of its own, the same contract.
//
// Its hook sits in the FakeKeyboard's chain. What it posts waits in a queue that the "main thread"
// drains: the keyboard delivers it after each event has changed the key state (as when the main
// thread gets to it later), unless a test keeps the main thread busy. The keyboard also reports
// every event to it as raw input, after the hook chain, so a hook removed behind its back is
// noticed (HookWatch) at a raw key a second after the first unseen one, and installed again. While
// the filter wants the mouse, a mouse hook sits in the keyboard fake's mouse chain, and raw button
// changes are watched the same way.
#pragma once

#include <vector>

#include "platform/hook_thread.h"
#include "platform/hook_watch.h"
#include "tests/support/fake_clock.h"

namespace fake {

class FakeKeyboard;

class FakeHookThread final : public platform::HookThread {
 public:
  FakeHookThread(FakeKeyboard& keyboard, FakeClock& clock, platform::HookFilter& filter,
                 platform::HookSink& sink);
  ~FakeHookThread() override;
  FakeHookThread(const FakeHookThread&) = delete;
  FakeHookThread& operator=(const FakeHookThread&) = delete;

  HHOOK Install() override;
  void Remove() override;
  HHOOK Installed() const override { return hook_; }

  // An event went through the whole hook chain: the filter's follow-up runs, then raw input sees
  // the event.
  void afterHookChain();
  // The same for a middle or side button's change.
  void afterMouseChain(DWORD vk, bool down);
  // The burst of input is over: a copy the filter held back has waited its few milliseconds.
  void burstOver();
  // The main thread handles everything posted so far.
  void deliverPosted();
  std::size_t postedCount() const { return posted_.size(); }
  // Another desktop (a UAC prompt's secure one) took the input, or ours has it back, at `atNs`
  // (a notice the hook thread got late), or now.
  void switchDesktop(std::int64_t atNs = -1) {
    posted_.push_back({nullptr, 0, 0, atNs >= 0 ? atNs : clock_.nowNs});
  }

 private:
  // As the real thread posts them: a key travels packed in the message parameters.
  struct Posted {
    void (platform::HookSink::*notice)();  // null for a key or a desktop switch
    WPARAM wParam;
    LPARAM lParam;
    std::int64_t switchedAtNs = -1;  // a desktop switch
  };
  static LRESULT CALLBACK hookProc(int code, WPARAM message, LPARAM event);
  static LRESULT CALLBACK mouseProc(int code, WPARAM message, LPARAM event);
  void followUp();
  void unhook();
  // A raw event the hooks have not seen: the hooks are repaired if one has been missing a second.
  void rawSaw(platform::HookWatch& watch);
  void post(const platform::HookedKey& key);
  static FakeHookThread* current_;

  FakeKeyboard& keyboard_;
  FakeClock& clock_;
  platform::HookFilter& filter_;
  platform::HookSink& sink_;
  HHOOK hook_ = nullptr;
  HHOOK mouseHook_ = nullptr;
  bool failing_ = false;  // an install failed: retried at each raw key until Remove
  platform::HookWatch watch_;
  platform::HookWatch mouseWatch_;
  std::vector<Posted> posted_;  // keeps its capacity: posting allocates only while it grows
  bool delivering_ = false;
  bool followUpDue_ = false;
};

}  // namespace fake
