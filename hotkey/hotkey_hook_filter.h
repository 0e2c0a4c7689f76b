// What the hook procedure decides for the push-to-talk hotkey, on the hook thread.
//
// The controller owns one and hands it to its hook thread. For each event: the shell's own input
// (platform/own_input.h) passes untouched; so does the AltGr artefact (altgr_rule.h), whose
// Left Ctrl key-down may wait for the next event to be known. Any other event is the user's: it is
// copied, with the key states the hold state machine reads as the user's own events left them
// (user_keys.h) and the foreground window, for the main thread. Input injected by other programs
// (on-screen keyboards, remote control) counts as the user's. Only where the foreground window's
// layout has AltGr (altgr_layouts.h) does a first Left Ctrl press wait for the next event.
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
// With a mouse button as the hotkey (bound_button.h) it asks for the mouse hook, swallows the
// button's user down that completes the hotkey (and the up that ends it) and copies exactly those
// for the main thread, as key events of the button's virtual key. Injected button events pass
// untouched: they are another program's clicks, not the user's hold.
//
// Thread use: configure() on the main thread only while the hook is not installed (the hook
// thread's Install/Remove order the accesses); everything else on the hook thread (button() is read
// by the release poll on the main thread too). onKey and onButton never allocate, lock or wait.
#pragma once

#include <cstdint>
#include <optional>

#include "hotkey/altgr_layouts.h"
#include "hotkey/altgr_rule.h"
#include "hotkey/bound_button.h"
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
      : platform_(platform), userKeys_(*platform.keyboard), layouts_(*platform.keyboard) {}

  void configure(const KeySpec& keys);

  void onInstalled() override {
    userKeys_.reset();
    maskDue_ = false;
    altGr_.reset();
    button_.installed();
    unknownLayout_ = nullptr;
    layouts_.learnInstalled();
    platform_.userKeyboard->tracking(userKeys_.modifiers(true));
  }
  void onRemoved() override { platform_.userKeyboard->tracking(std::nullopt); }
  bool wantsMouse() const override { return button_.vk() != 0; }
  Verdict onKey(WPARAM message, const KBDLLHOOKSTRUCT& event,
                platform::HookedKey (&out)[kMaxCopies]) override;
  Verdict onButton(WPARAM message, DWORD vk, const MSLLHOOKSTRUCT& event,
                   platform::HookedKey (&out)[kMaxCopies]) override;
  void onRawButton(DWORD vk, bool down) override {
    if (vk == button_.vk()) button_.rawSaw(down);
  }
  bool releaseHeld(platform::HookedKey& out) override { return altGr_.releaseHeld(out); }
  // Sends the mask key asked for by onKey or onButton, after the completing event went on, and
  // learns a layout onKey met for the first time.
  void followUp() override;

  const BoundButton& button() const { return button_; }

 private:
  // The user's event for the main thread, with the key states before it.
  platform::HookedKey copyOf(WPARAM message, std::uint32_t vk);
  // The held-back Left Ctrl copy, if any, settled by the event (`down`, `vk`, `time`) after it.
  void settleAltGr(bool down, std::uint32_t vk, DWORD time, Verdict& verdict,
                   platform::HookedKey (&out)[kMaxCopies]);
  bool completesHotkey(std::uint32_t vk, std::uint16_t keysDownBefore) const;
  // Whether the layout typing into `foreground` may have AltGr; one not known yet may (and is
  // learnt in followUp).
  bool mayHaveAltGr(HWND foreground, Verdict& verdict);

  platform::Platform& platform_;
  KeySpec keys_;        // the three keys only; the label stays with the controller
  bool masks_ = false;  // the hotkey contains Alt or Windows
  bool maskDue_ = false;
  UserKeys userKeys_;
  AltGrRule altGr_;
  BoundButton button_;
  AltGrLayouts layouts_;
  HKL unknownLayout_ = nullptr;
};
