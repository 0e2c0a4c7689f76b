// What the hook procedure decides for the push-to-talk hotkey, on the hook thread.
//
// The controller owns one and hands it to its hook thread. For each event: the shell's own input
// (platform/own_input.h) passes untouched; so does the AltGr artefact, the Left Ctrl key event
// Windows makes up before a Right Alt on layouts with AltGr (scan code 0x21D, or a Left Ctrl
// key-down followed by Right Alt with the same time stamp). Any other event is the user's: it is
// copied, with the key states the hold state machine reads as the user's own events left them
// (user_keys.h) and the foreground window, for the main thread. Input injected by other programs
// (on-screen keyboards, remote control) counts as the user's.
//
// A Left Ctrl key-down without the artefact's scan code can be known for AltGr's only at the
// Right Alt that follows, so its copy is held back until the next event (or a few milliseconds,
// HookFilter::kHoldBackMs): dropped if that is the pair's Right Alt, posted first otherwise. The
// main thread thus never judges an artefact, and its later key-up is skipped too.
//
// While the hook is installed it publishes the modifiers the user holds, as the user's own events
// left them, after each of them (platform/user_keyboard.h): the paste presses those again.
//
// With a hotkey that contains Alt or Windows it sends the mask key on the key-down that completes
// the hotkey, while that key is still down (right after that key-down has gone on), so releasing
// it neither activates a menu bar nor opens Start — decided here from its own copy of the key
// specification, so a busy main thread cannot delay it. Alt or Windows pressed without completing
// the hotkey keep their normal effect.
//
// Thread use: configure() on the main thread only while the hook is not installed (the hook
// thread's Install/Remove order the accesses); everything else on the hook thread. onKey never
// allocates, locks or waits.
#pragma once

#include <cstdint>
#include <optional>

#include "hotkey/key_spec.h"
#include "hotkey/user_keys.h"
#include "platform/hook_thread.h"
#include "platform/platform.h"
#include "platform/user_keyboard.h"

class HotkeyHookFilter final : public platform::HookFilter {
 public:
  // An unassigned virtual key: pressing it between Alt (or Windows) down and up cancels the menu.
  static constexpr WORD kMaskKey = 0xE8;

  explicit HotkeyHookFilter(platform::Platform& platform)
      : platform_(platform), userKeys_(*platform.keyboard) {}

  void configure(const KeySpec& keys);

  void onInstalled() override {
    userKeys_.reset();
    maskDue_ = false;
    held_ = false;
    altGrCtrlDown_ = false;
    platform_.userKeyboard->tracking(userKeys_.modifiers(true));
  }
  void onRemoved() override { platform_.userKeyboard->tracking(std::nullopt); }
  Verdict onKey(WPARAM message, const KBDLLHOOKSTRUCT& event,
                platform::HookedKey (&out)[kMaxCopies]) override;
  bool releaseHeld(platform::HookedKey& out) override;
  // Sends the mask key asked for by onKey, after the completing key-down went on.
  void followUp() override;

 private:
  // Decides what the pending Left Ctrl copy was, now that `event` follows it.
  void settleHeld(bool down, std::uint32_t vk, const KBDLLHOOKSTRUCT& event, Verdict& verdict,
                  platform::HookedKey (&out)[kMaxCopies]);
  bool completesHotkey(std::uint32_t vk, std::uint16_t keysDownBefore) const;

  platform::Platform& platform_;
  KeySpec keys_;        // the three keys only; the label stays with the controller
  bool masks_ = false;  // the hotkey contains Alt or Windows
  bool maskDue_ = false;
  UserKeys userKeys_;
  // A Left Ctrl key-down's copy waiting for the next event, and that event's time stamp.
  bool held_ = false;
  platform::HookedKey heldCopy_;
  DWORD heldTime_ = 0;
  // An artefact Left Ctrl known by its Right Alt is down: its key-up is not the user's either.
  bool altGrCtrlDown_ = false;
};
