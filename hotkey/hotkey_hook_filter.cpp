#include "hotkey/hotkey_hook_filter.h"

#include "hotkey/key_states.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/own_input.h"
#include "platform/trace.h"
#include "platform/window_system.h"

namespace {

bool isAltOrWin(std::uint32_t vk) { return vk == 164 || vk == 165 || vk == 91 || vk == 92; }

}  // namespace

void HotkeyHookFilter::configure(const KeySpec& keys) {
  keys_.primaryVk = keys.primaryVk;
  keys_.secondVk = keys.secondVk;
  keys_.comboVk = keys.comboVk;
  masks_ = isAltOrWin(keys_.primaryVk) || (keys_.comboVk == 0 && isAltOrWin(keys_.secondVk));
}

platform::HookFilter::Verdict HotkeyHookFilter::onKey(WPARAM message, const KBDLLHOOKSTRUCT& event,
                                                      platform::HookedKey& out) {
  if (platform::isOwnInput(event.dwExtraInfo)) return {};
  const std::uint32_t vk = event.vkCode & 0xFF;
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  out.message = static_cast<UINT>(message);
  out.vkCode = vk;
  out.keysDown = HookedKeyStates::read(*platform_.keyboard, keys_);
  out.foreground = platform_.windows->GetForegroundWindow();
  out.timeNs = platform_.clock->SteadyNowNs();

  const bool repeat = down && tracked(vk);
  track(vk, down);
  const bool completes = down && !repeat && completesHotkey(vk, out.keysDown);
  if (completes && platform_.trace != nullptr) platform_.trace->mark(platform::phase::kHookKeyDown);
  const bool mask = masks_ && completes;
  maskDue_ = maskDue_ || mask;
  return {.post = true, .followUp = mask};
}

void HotkeyHookFilter::followUp() {
  if (!maskDue_) return;
  maskDue_ = false;
  INPUT mask[2] = {platform::ownKeyInput(*platform_.keyboard, kMaskKey, 0),
                   platform::ownKeyInput(*platform_.keyboard, kMaskKey, KEYEVENTF_KEYUP)};
  platform_.keyboard->SendInput(2, mask, sizeof(INPUT));
}

// The press rule of the hold state machine, for a key-down, from the states before it.
bool HotkeyHookFilter::completesHotkey(std::uint32_t vk, std::uint16_t keysDownBefore) const {
  const HookedKeyStates before(keysDownBefore, keys_);
  const std::uint32_t primary = keys_.primaryVk;
  if (keys_.comboVk != 0) return vk == keys_.comboVk && before.isDown(primary);
  const std::uint32_t second = keys_.secondVk;
  if (second != 0) {
    const bool completes =
        (vk == primary && before.isDown(second)) || (vk == second && before.isDown(primary));
    return completes && !otherModifierDown(before, primary, second);
  }
  return vk == primary && !otherModifierDown(before, primary, primary);
}

void HotkeyHookFilter::track(std::uint32_t vk, bool down) {
  const std::uint64_t bit = std::uint64_t{1} << (vk % 64);
  if (down) {
    down_[vk / 64] |= bit;
  } else {
    down_[vk / 64] &= ~bit;
  }
}
