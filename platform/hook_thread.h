// The keyboard hook's own thread, so that no keystroke of any application waits for whatever the
// main thread is doing, and Windows never drops the hook for missing its time limit.
//
// The hotkey controller (main thread) starts one through Keyboard::StartHookThread. The thread
// runs nothing but its message loop: the low-level hook procedure hands each event to a
// HookFilter (on the hook thread; it decides, copies and returns at once) and posts the copy it
// asks for to the main thread, where the HookSink receives it. Install and Remove run on the hook
// thread and return once done; copies posted before a Remove are dropped. Destroying the object
// stops and joins the thread; nothing it posted is delivered afterwards.
//
// Self-repair: Windows removes a hook that misses LowLevelHooksTimeout without telling anyone.
// Keyboard raw input on a window of the hook thread sees every key too; when it has seen keys that
// the hook has not for a second (HookWatch), the hook thread installs the hook again and tells the
// sink. The check runs on a timer only while a raw key is waiting for the hook: an idle keyboard
// wakes nothing.
//
// Implementations: platform/win32/win32_hook_thread.cpp (a real thread) and the fake's
// synchronous one in tests/support/.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace platform {

// One key event as the hook saw it, copied for the main thread. It fits in a posted message's two
// parameters, so posting never allocates.
struct HookedKey {
  UINT message = 0;            // WM_KEYDOWN, WM_SYSKEYDOWN, WM_KEYUP or WM_SYSKEYUP
  DWORD vkCode = 0;            // 0-255
  std::uint16_t keysDown = 0;  // key states taken before the event; the filter defines the bits
  HWND foreground = nullptr;   // the foreground window when the event happened
  std::int64_t timeNs = 0;     // steady clock when the event happened; travels to the millisecond

  static_assert(sizeof(WPARAM) >= 8, "the packed key needs a 64-bit WPARAM");
  WPARAM packedWParam() const {
    const std::uint64_t ms = static_cast<std::uint64_t>(timeNs / kNsPerMs) & 0xFFFFFFFFu;
    return static_cast<WPARAM>((vkCode & 0xFF) | ((message & 0xFF) << 8) |
                               (static_cast<std::uint64_t>(keysDown) << 16) | (ms << 32));
  }
  LPARAM packedLParam() const { return reinterpret_cast<LPARAM>(foreground); }
  // `nowNs`: the steady clock at delivery, not earlier than the event (less than 49 days after).
  static HookedKey unpack(WPARAM wParam, LPARAM lParam, std::int64_t nowNs) {
    HookedKey key;
    key.vkCode = static_cast<DWORD>(wParam & 0xFF);
    key.message = 0x100 | static_cast<UINT>((wParam >> 8) & 0xFF);
    key.keysDown = static_cast<std::uint16_t>((wParam >> 16) & 0xFFFF);
    key.foreground = reinterpret_cast<HWND>(lParam);
    const auto eventMs = static_cast<std::uint32_t>(static_cast<std::uint64_t>(wParam) >> 32);
    const auto nowMs = static_cast<std::uint32_t>(nowNs / kNsPerMs);
    key.timeNs = nowNs - static_cast<std::int64_t>(nowMs - eventMs) * kNsPerMs;
    return key;
  }

 private:
  static constexpr std::int64_t kNsPerMs = 1'000'000;
};

// Runs on the hook thread; onKey inside the hook procedure: it must not allocate, lock or wait.
class HookFilter {
 public:
  struct Verdict {
    bool post = false;      // `out` goes to the main thread
    bool followUp = false;  // call followUp() once the event has gone on through the hook chain
  };
  // Each time the hook is installed (again), before its first event.
  virtual void onInstalled() = 0;
  // One HC_ACTION event.
  virtual Verdict onKey(WPARAM message, const KBDLLHOOKSTRUCT& event, HookedKey& out) = 0;
  // On the hook thread after the hook procedure returned; input sent from inside the procedure
  // could overtake the event being hooked (Wine lets it).
  virtual void followUp() = 0;

 protected:
  ~HookFilter() = default;
};

// Runs on the main thread, for what the hook thread posted.
class HookSink {
 public:
  virtual void onHookedKey(const HookedKey& key) = 0;
  // The hook had been removed behind our back and was installed again.
  virtual void onHookReinstalled() = 0;

 protected:
  ~HookSink() = default;
};

class HookThread {
 public:
  // Stops and joins the thread; nothing it posted is delivered after.
  virtual ~HookThread() = default;
  // Installs WH_KEYBOARD_LL (replacing a hook installed before); the handle, or null on failure.
  virtual HHOOK Install() = 0;
  virtual void Remove() = 0;
};

// The self-repair rule, shared by the real and the fake hook thread; hook thread only. A raw key
// event is unseen when the hook has seen nothing since the previous raw one (either may come first
// for one key); the hook is lost when it stays so for a second.
class HookWatch {
 public:
  static constexpr std::int64_t kLostAfterNs = 1'000'000'000;

  void reset() { *this = HookWatch{}; }
  void hookSaw() { ++hookEvents_; }
  void rawSaw(std::int64_t nowNs) {
    if (hookEvents_ != hookEventsAtLastRaw_) {
      unseenSinceNs_ = -1;
    } else if (unseenSinceNs_ < 0) {
      unseenSinceNs_ = nowNs;
    }
    hookEventsAtLastRaw_ = hookEvents_;
  }
  // A raw key the hook has not matched yet: while this holds, lost() needs asking again.
  bool waiting() const { return unseenSinceNs_ >= 0 && hookEvents_ == hookEventsAtLastRaw_; }
  bool lost(std::int64_t nowNs) const {
    return waiting() && nowNs - unseenSinceNs_ >= kLostAfterNs;
  }

 private:
  std::uint64_t hookEvents_ = 0;
  std::uint64_t hookEventsAtLastRaw_ = 0;
  std::int64_t unseenSinceNs_ = -1;
};

}  // namespace platform
