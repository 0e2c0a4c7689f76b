// The keyboard hook's own thread, so that no keystroke of any application waits for whatever the
// main thread is doing, and Windows never drops the hook for missing its time limit.
//
// The hotkey controller (main thread) starts one through Keyboard::StartHookThread. The thread
// runs nothing but its message loop, above normal priority so that a busy machine does not make
// it miss LowLevelHooksTimeout: the low-level hook procedure hands each event to a HookFilter (on
// the hook thread; it decides, copies and returns at once) and posts the copies it asks for to the
// main thread, where the HookSink receives them. A copy the filter holds back (an event whose
// meaning the next one may change) is posted at the next event or a few milliseconds later.
// Install and Remove run on the hook thread and return once done; copies posted before a Remove
// are dropped. Destroying the object stops and joins the thread; nothing it posted is delivered
// afterwards. The thread also tells the sink when the input desktop changes, and since when (the
// secure desktop of a UAC prompt takes the keyboard from every hook of the user's desktop).
//
// While the filter wants the mouse (a mouse button is the hotkey, and only then: every pointer
// move wakes the thread of a mouse hook), the thread also installs WH_MOUSE_LL beside the keyboard
// hook. Its procedure passes moves, the wheel and the left and right buttons on at once and asks
// the filter only about the middle and side buttons; the filter may swallow one.
//
// Self-repair: Windows removes a hook that misses LowLevelHooksTimeout without telling anyone.
// Keyboard raw input on a window of the hook thread sees every key too; when it has seen keys that
// the hook has not for a second (hook_watch.h), the hook thread installs the hook again and tells
// the sink. An install that fails (a first one asked for by the owner included) is tried again at
// each raw key until it succeeds or the owner removes the hook. The check runs on a timer only
// while a raw key is waiting for the hook: an idle keyboard wakes nothing. With the mouse hook,
// mouse raw input is registered too and its middle and side button changes are watched the same way
// (a second HookWatch); either hook found missing installs both again.
//
// Implementations: platform/win32/win32_hook_thread.cpp (a real thread) and the fake's
// synchronous one in tests/support/.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace platform {

// One key event as the hook saw it, copied for the main thread. It fits in a posted message's two
// parameters, so posting never allocates. A mouse button travels as its virtual key going down
// (WM_KEYDOWN) or up (WM_KEYUP), so the hold state machine judges it like a key.
struct HookedKey {
  UINT message = 0;            // WM_KEYDOWN, WM_SYSKEYDOWN, WM_KEYUP or WM_SYSKEYUP
  DWORD vkCode = 0;            // 0-255
  std::uint16_t keysDown = 0;  // key states before the event; the filter defines the bits
  HWND foreground = nullptr;   // the foreground window when the event happened
  // Steady clock when the event happened; travels to a tenth of a millisecond.
  std::int64_t timeNs = 0;

  static_assert(sizeof(WPARAM) >= 8, "the packed key needs a 64-bit WPARAM");
  WPARAM packedWParam() const {
    const std::uint64_t ticks = static_cast<std::uint64_t>(timeNs / kNsPerTick) & 0xFFFFFFFFu;
    return static_cast<WPARAM>((vkCode & 0xFF) | ((message & 0xFF) << 8) |
                               (static_cast<std::uint64_t>(keysDown) << 16) | (ticks << 32));
  }
  LPARAM packedLParam() const { return reinterpret_cast<LPARAM>(foreground); }
  // `nowNs`: the steady clock at delivery, not earlier than the event (less than 4.9 days after).
  static HookedKey unpack(WPARAM wParam, LPARAM lParam, std::int64_t nowNs) {
    HookedKey key;
    key.vkCode = static_cast<DWORD>(wParam & 0xFF);
    key.message = 0x100 | static_cast<UINT>((wParam >> 8) & 0xFF);
    key.keysDown = static_cast<std::uint16_t>((wParam >> 16) & 0xFFFF);
    key.foreground = reinterpret_cast<HWND>(lParam);
    const auto eventTicks = static_cast<std::uint32_t>(static_cast<std::uint64_t>(wParam) >> 32);
    const auto nowTicks = static_cast<std::uint32_t>(nowNs / kNsPerTick);
    key.timeNs =
        nowNs - nowNs % kNsPerTick - static_cast<std::int64_t>(nowTicks - eventTicks) * kNsPerTick;
    return key;
  }

 private:
  static constexpr std::int64_t kNsPerTick = 100'000;
};

// The middle or side button a low-level mouse hook message is about (VK_MBUTTON, VK_XBUTTON1,
// VK_XBUTTON2), or 0 for a move, the wheel, or the left or right button.
constexpr DWORD hookedButton(WPARAM message, DWORD mouseData) {
  switch (message) {
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return VK_MBUTTON;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
      return (mouseData >> 16) == XBUTTON1   ? VK_XBUTTON1
             : (mouseData >> 16) == XBUTTON2 ? VK_XBUTTON2
                                             : 0;
    default:
      return 0;
  }
}

// Runs on the hook thread; onKey and onButton inside the hook procedures: they must not allocate,
// lock or wait.
class HookFilter {
 public:
  // How long a held-back copy waits for the event that may change its meaning.
  static constexpr UINT kHoldBackMs = 5;
  static constexpr int kMaxCopies = 2;

  struct Verdict {
    int copies = 0;         // `out[0..copies)` go to the main thread, in order
    bool followUp = false;  // call followUp() once the event has gone on through the hook chain
    bool holdBack = false;  // a copy is held back: releaseHeld() after kHoldBackMs
    bool swallow = false;   // onButton only: the event goes no further than this hook
  };
  // Whether the next install adds the mouse hook; asked on the hook thread at each install.
  virtual bool wantsMouse() const = 0;
  // Each time the hook is installed (again), before its first event.
  virtual void onInstalled() = 0;
  // Each time the hook is removed, or an install failed: no event comes until onInstalled.
  virtual void onRemoved() = 0;
  // One HC_ACTION event.
  virtual Verdict onKey(WPARAM message, const KBDLLHOOKSTRUCT& event,
                        HookedKey (&out)[kMaxCopies]) = 0;
  // One event of the middle or a side button (`vk`, from hookedButton).
  virtual Verdict onButton(WPARAM message, DWORD vk, const MSLLHOOKSTRUCT& event,
                           HookedKey (&out)[kMaxCopies]) = 0;
  // Raw input saw a middle or side button change: the hook has seen it, will, or missed it.
  virtual void onRawButton(DWORD vk, bool down) = 0;
  // The wait for a held-back copy is over: true with the copy if no event has released it yet.
  virtual bool releaseHeld(HookedKey& out) = 0;
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
  // The hook had been removed behind our back (or an install had failed) and is installed again.
  virtual void onHookReinstalled() = 0;
  // Installing it again failed; the next raw key tries again.
  virtual void onHookReinstallFailed() = 0;
  // Another desktop has the input now, or ours has it back, since `atNs` (steady clock): the
  // notice arrives late, behind whatever the main thread was doing.
  virtual void onDesktopSwitched(std::int64_t atNs) = 0;

 protected:
  ~HookSink() = default;
};

class HookThread {
 public:
  // Stops and joins the thread; nothing it posted is delivered after.
  virtual ~HookThread() = default;
  // Installs WH_KEYBOARD_LL, and WH_MOUSE_LL if the filter wants it (replacing hooks installed
  // before); the keyboard hook's handle, or null if either failed, after which the thread keeps
  // trying at each raw key or button until Remove.
  virtual HHOOK Install() = 0;
  virtual void Remove() = 0;
  // The hook installed now (self-repair replaces it), null when none is wanted or it failed. Any
  // thread; a hook Windows removed still shows until it is replaced.
  virtual HHOOK Installed() const = 0;
};

}  // namespace platform
