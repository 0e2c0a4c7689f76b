#include "hotkey/hotkey_hook_filter.h"

#include "hotkey/key_states.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/own_input.h"
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
                                                      platform::HookedKey (&out)[kMaxCopies]) {
  Verdict verdict;
  const std::uint32_t vk = event.vkCode & 0xFF;
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  if (platform::isOwnInput(event.dwExtraInfo)) {
    userKeys_.systemSaw(vk, down);
    return verdict;
  }
  switch (altGr_.settle(down, vk, event.time, out[verdict.copies])) {
    case AltGrRule::Settled::Users:
      ++verdict.copies;
      break;
    case AltGrRule::Settled::Artefact:
      // Held back only when it was a first press.
      userKeys_.notTheUsers(AltGrRule::kLeftCtrl, false);
      break;
    case AltGrRule::Settled::NothingHeld:
      break;
  }
  if (altGr_.isArtefact(down, vk, event.scanCode)) {
    userKeys_.systemSaw(vk, down);
    return verdict;
  }

  platform::HookedKey& copy = out[verdict.copies];
  copy.message = static_cast<UINT>(message);
  copy.vkCode = vk;
  copy.keysDown =
      HookedKeyStates::pack([this](std::uint32_t key) { return userKeys_.down(key); }, keys_);
  copy.foreground = platform_.windows->GetForegroundWindow();
  copy.timeNs = platform_.clock->SteadyNowNs();

  const bool repeat = down && userKeys_.down(vk);
  userKeys_.userSaw(vk, down);
  if (down && !repeat && completesHotkey(vk, copy.keysDown) && masks_) {
    maskDue_ = true;
    verdict.followUp = true;
  }
  if (down && !repeat && altGr_.holdBack(vk, copy, event.time)) {
    verdict.holdBack = true;
  } else {
    ++verdict.copies;
  }
  return verdict;
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
