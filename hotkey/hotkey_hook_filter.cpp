#include "hotkey/hotkey_hook_filter.h"

#include "hotkey/key_states.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/own_input.h"
#include "platform/user_keyboard.h"
#include "platform/window_system.h"

namespace {

bool isAltOrWin(std::uint32_t vk) { return vk == 164 || vk == 165 || vk == 91 || vk == 92; }

}  // namespace

void HotkeyHookFilter::configure(const KeySpec& keys) {
  keys_.primaryVk = keys.primaryVk;
  keys_.secondVk = keys.secondVk;
  keys_.comboVk = keys.comboVk;
  masks_ = isAltOrWin(keys_.primaryVk) || (keys_.comboVk == 0 && isAltOrWin(keys_.secondVk));
  button_.configure(keys.mouseButton());
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
  settleAltGr(down, vk, event.time, verdict, out);
  if (altGr_.isArtefact(down, vk, event.scanCode)) {
    userKeys_.systemSaw(vk, down);
    return verdict;
  }

  platform::HookedKey& copy = out[verdict.copies];
  copy = copyOf(message, vk);

  const bool repeat = down && userKeys_.down(vk);
  userKeys_.userSaw(vk, down);
  // A typing under way stops for the user's own typing.
  if (down && !repeat) platform_.userKeyboard->userKeyDown();
  if (down && !repeat && completesHotkey(vk, copy.keysDown) && masks_) {
    maskDue_ = true;
    verdict.followUp = true;
  }
  if (down && !repeat && vk == AltGrRule::kLeftCtrl && mayHaveAltGr(copy.foreground, verdict)) {
    altGr_.holdBack(copy, event.time);
    verdict.holdBack = true;
  } else {
    ++verdict.copies;
  }
  platform_.userKeyboard->modifiersNow(userKeys_.modifiers(false));
  return verdict;
}

platform::HookFilter::Verdict HotkeyHookFilter::onButton(WPARAM message, DWORD vk,
                                                         const MSLLHOOKSTRUCT& event,
                                                         platform::HookedKey (&out)[kMaxCopies]) {
  Verdict verdict;
  if (vk != button_.vk() || (event.flags & (LLMHF_INJECTED | LLMHF_LOWER_IL_INJECTED)) != 0) {
    return verdict;
  }
  const bool down = message == WM_MBUTTONDOWN || message == WM_XBUTTONDOWN;
  settleAltGr(down, vk, event.time, verdict, out);
  const platform::HookedKey copy = copyOf(down ? WM_KEYDOWN : WM_KEYUP, vk);
  const bool completes = down && completesHotkey(vk, copy.keysDown);
  verdict.swallow = button_.swallow(down, completes);
  if (!verdict.swallow) return verdict;
  out[verdict.copies++] = copy;
  if (completes && masks_) {
    maskDue_ = true;
    verdict.followUp = true;
  }
  return verdict;
}

platform::HookedKey HotkeyHookFilter::copyOf(WPARAM message, std::uint32_t vk) {
  platform::HookedKey copy;
  copy.message = static_cast<UINT>(message);
  copy.vkCode = vk;
  copy.keysDown =
      HookedKeyStates::pack([this](std::uint32_t key) { return userKeys_.down(key); }, keys_);
  copy.foreground = platform_.windows->GetForegroundWindow();
  copy.timeNs = platform_.clock->SteadyNowNs();
  return copy;
}

void HotkeyHookFilter::settleAltGr(bool down, std::uint32_t vk, DWORD time, Verdict& verdict,
                                   platform::HookedKey (&out)[kMaxCopies]) {
  switch (altGr_.settle(down, vk, time, out[verdict.copies])) {
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
}

bool HotkeyHookFilter::mayHaveAltGr(HWND foreground, Verdict& verdict) {
  const HKL layout = platform_.keyboard->GetKeyboardLayout(
      platform_.windows->GetWindowThreadProcessId(foreground, nullptr));
  switch (layouts_.known(layout)) {
    case AltGrLayouts::AltGr::No:
      return false;
    case AltGrLayouts::AltGr::Yes:
      return true;
    case AltGrLayouts::AltGr::Unknown:
      break;
  }
  unknownLayout_ = layout;
  verdict.followUp = true;
  return true;
}

void HotkeyHookFilter::followUp() {
  // Two first presses may have met it before this runs.
  if (unknownLayout_ != nullptr && layouts_.known(unknownLayout_) == AltGrLayouts::AltGr::Unknown) {
    layouts_.learn(unknownLayout_);
  }
  unknownLayout_ = nullptr;
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
