// The mouse button a hotkey is bound to ("Mouse 4", "Left Ctrl + Middle Mouse"): which of its
// events the mouse hook swallows, and whether it is down.
//
// The bound button is ours: its down, when it is the user's and completes the hotkey, goes no
// further than the hook, so the window under the pointer never goes Back or closes a tab. Its up
// is swallowed exactly when its down was, so no window ever sees half a click; that holds across
// a re-install of the hooks too. Every other button event passes.
//
// Windows never records a swallowed button in its key state (GetAsyncKeyState reads it up), so
// the release poll reads the button here instead: the last change either the mouse hook or mouse
// raw input saw. Raw input also sees an up the hook missed (the hook was gone), so a hold never
// outlives its button.
//
// Owned by the hook filter. configure() on the main thread while no hook is installed; isDown()
// from any thread (one atomic); everything else on the hook thread, where it never allocates,
// locks or waits.
#pragma once

#include <atomic>
#include <cstdint>

class BoundButton {
 public:
  // `vk`: VK_MBUTTON, VK_XBUTTON1 or VK_XBUTTON2; 0 for a keyboard hotkey.
  void configure(std::uint32_t vk) {
    vk_ = vk;
    swallowedDown_ = false;
    down_.store(false, std::memory_order_relaxed);
  }
  std::uint32_t vk() const { return vk_; }

  // A user's event of the bound button as the hook sees it; `completes`: a down that completes
  // the hotkey. Whether the hook swallows it.
  bool swallow(bool down, bool completes) {
    down_.store(down, std::memory_order_relaxed);
    if (down) {
      swallowedDown_ = completes;
      return completes;
    }
    const bool swallowed = swallowedDown_;
    swallowedDown_ = false;
    return swallowed;
  }
  // Raw input saw the bound button change (before or after the hook did, or instead of it).
  void rawSaw(bool down) { down_.store(down, std::memory_order_relaxed); }
  // The hooks are installed again: a swallowed down whose up was missed meanwhile is over.
  void installed() {
    if (!isDown()) swallowedDown_ = false;
  }

  bool isDown() const { return down_.load(std::memory_order_relaxed); }

 private:
  std::uint32_t vk_ = 0;
  bool swallowedDown_ = false;  // its up goes no further either
  std::atomic<bool> down_{false};
};
