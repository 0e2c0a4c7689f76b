// The hook thread's side of the hotkey: own input and the AltGr artefact skipped, the user's own
// key states, the mask key, copies judged later by a busy main thread, self-repair and the release
// a missed key-up leaves behind, and session, power and desktop changes.
#include <gtest/gtest.h>

#include <algorithm>

#include "paste/paste_keys.h"
#include "platform/own_input.h"
#include "tests/support/hotkey_fixture.h"

namespace fake {
namespace {

constexpr DWORD kMask = 0xE8;
const Log kSingleDown{"Hotkey DOWN", "=> onHotkeyDown", "Started max duration timer"};
const Log kMultiDown{"Multi-modifier DOWN", "=> onHotkeyDown", "Started max duration timer"};
const Log kComboDown{"Combo DOWN", "=> onHotkeyDown", "Started max duration timer"};
const std::string kRepaired = "Keyboard hook was removed by the system, re-installed";

Log join(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Keys as an older hook (the application behind us) receives them: "+vk" / "-vk", "*" marking
// the shell's own records.
std::vector<std::string> passedOn;

class HookThreadTest : public HotkeyFixture {
 protected:
  HookThreadTest() {
    passedOn.clear();
    fake.keyboard.SetWindowsHookExW(
        WH_KEYBOARD_LL,
        [](int, WPARAM message, LPARAM lParam) -> LRESULT {
          const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
          const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
          passedOn.push_back((up ? "-" : "+") + std::to_string(event.vkCode) +
                             (platform::isOwnInput(event.dwExtraInfo) ? "*" : ""));
          return 0;
        },
        nullptr, 0);
  }
  void sendOwn(WORD vk, bool up) {
    INPUT input = platform::ownKeyInput(fake.keyboard, vk, up ? KEYEVENTF_KEYUP : 0);
    fake.keyboard.SendInput(1, &input, sizeof(INPUT));
  }
  // Another program's records (no signature), in one batch with one time stamp.
  void sendBatch(std::initializer_list<std::pair<WORD, WORD>> keys, bool up) {
    std::vector<INPUT> batch;
    for (const auto& [vk, scan] : keys) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = vk;
      input.ki.wScan = scan;
      input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (vk == VK_RMENU ? KEYEVENTF_EXTENDEDKEY : 0);
      input.ki.time = 77;
      batch.push_back(input);
    }
    fake.keyboard.SendInput(static_cast<UINT>(batch.size()), batch.data(), sizeof(INPUT));
  }
  int masksSent() const {
    return static_cast<int>(std::count(passedOn.begin(), passedOn.end(), "+232*"));
  }
};

TEST_F(HookThreadTest, OwnInputIsPassedOnButNeverJudged) {
  listen("Left Ctrl");
  // A paste's Ctrl+V with the hotkey "Left Ctrl": no events.
  std::vector<INPUT> keys = paste::pasteKeys(fake.keyboard, paste::PasteChord::CtrlV);
  fake.keyboard.SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
  EXPECT_EQ(takeLog(), Log{});
  EXPECT_EQ(passedOn, (std::vector<std::string>{"+162*", "+86*", "-86*", "-162*"}));

  // During a hold the paste's keys neither cancel nor end it.
  press(VK_LCONTROL);
  sendOwn('V', false);
  sendOwn('V', true);
  sendOwn(VK_LCONTROL, true);
  EXPECT_EQ(takeLog(), kSingleDown);
  EXPECT_TRUE(hotkey->hold().recording());
  release(VK_LCONTROL);
  takeLog();

  // Keys other programs inject count like typed ones.
  INPUT foreign{};
  foreign.type = INPUT_KEYBOARD;
  foreign.ki.wVk = VK_LCONTROL;
  fake.keyboard.SendInput(1, &foreign, sizeof(INPUT));
  EXPECT_EQ(takeLog(), kSingleDown);
}

// Windows makes up a Left Ctrl before each Right Alt of an AltGr layout: scan code 0x21D, or (from
// remote sessions and tools) a plain Left Ctrl with the Right Alt's time stamp.
TEST_F(HookThreadTest, AltGrArtefactIsNeverTheUsersLeftCtrl) {
  const Log rightAltHold = join(kSingleDown, {"Hotkey UP", "=> onHotkeyUp"});
  const Log bothHold = join(kMultiDown, {"Multi-modifier UP", "=> onHotkeyUp"});
  struct Case {
    const char* label;
    WORD ctrlScan;
    bool userCtrlFirst;  // the user holds the real Left Ctrl before AltGr
    Log log;
  };
  // With a letter hotkey, the letter is typed with AltGr.
  const Case cases[] = {
      {"Right Alt", 0x21D, false, rightAltHold},
      {"Right Alt", 0x1D, false, rightAltHold},
      {"Left Ctrl", 0x21D, false, {}},
      {"Left Ctrl", 0x1D, false, {}},
      {"Left Ctrl + Right Alt", 0x21D, false, {}},
      {"Left Ctrl + Right Alt", 0x1D, false, {}},
      {"Left Ctrl + Right Alt", 0x21D, true, bothHold},
      {"Left Ctrl + Right Alt", 0x1D, true, bothHold},
      {"Left Ctrl + Q", 0x21D, false, {}},  // AltGr+Q is "@" on German keyboards
      {"Left Ctrl + Q", 0x1D, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.label) + " scan " + std::to_string(c.ctrlScan) +
                 (c.userCtrlFirst ? " after Left Ctrl" : ""));
    listen(c.label);
    if (c.userCtrlFirst) press(VK_LCONTROL);
    advance(50);
    sendBatch({{VK_LCONTROL, c.ctrlScan}, {VK_RMENU, 0x38}}, false);
    if (hotkey->keys().comboVk != 0) {
      press('Q');
      release('Q');
    }
    advance(500);
    sendBatch({{VK_LCONTROL, c.ctrlScan}, {VK_RMENU, 0x38}}, true);
    if (c.userCtrlFirst) release(VK_LCONTROL);
    EXPECT_EQ(takeLog(), c.log);
    hotkey->stopListening();
  }
}

// The paste releases the user's held modifiers in the system's key state (the Ctrl of its Ctrl+V
// included): the held keys' repeats must not look like a release.
TEST_F(HookThreadTest, PasteDuringAHoldThenRepeatsKeepsTheHoldUntilTheRealRelease) {
  struct Case {
    const char* label;
    std::vector<DWORD> held;  // pressed in order; the first is released to end the hold
    Log log;
  };
  const Case cases[] = {
      {"Left Shift + Left Ctrl",
       {VK_LCONTROL, VK_LSHIFT},
       join(kMultiDown, {"Multi-modifier UP", "=> onHotkeyUp"})},
      {"Right Alt", {VK_RMENU}, join(kSingleDown, {"Hotkey UP", "=> onHotkeyUp"})},
      {"Left Ctrl + K",
       {VK_LCONTROL, 'K'},
       join(kComboDown, {"Combo modifier released", "=> onHotkeyUp"})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    listen(c.label);
    for (const DWORD vk : c.held) press(vk);
    advance(350);  // the release poll has read the keys down three times
    std::vector<INPUT> keys = paste::pasteKeys(fake.keyboard, paste::PasteChord::CtrlV);
    fake.keyboard.SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
    for (const DWORD vk : c.held) press(vk);  // auto-repeat
    advance(20);
    for (const DWORD vk : c.held) release(vk);
    EXPECT_EQ(takeLog(), c.log);
  }
}

// Alt+Tab into an elevated window, Alt released there: the hook never sees that key-up, and the
// system's state, which no longer matches what the hook saw, wins.
TEST_F(HookThreadTest, KeyUpTheHookMissedIsTakenFromTheSystem) {
  listen("Right Alt");
  press(VK_LMENU);
  fake.keyboard.setKeyDown(VK_LMENU, false);
  press(VK_RMENU);
  EXPECT_EQ(takeLog(), kSingleDown);
}

TEST_F(HookThreadTest, MaskKeyOnlyWhenAnAltOrWinHotkeyIsCompleted) {
  struct Case {
    const char* label;
    std::vector<std::pair<DWORD, bool>> keys;  // (vk, up)
    int masks;
  };
  const Case cases[] = {
      {"Left Alt", {{VK_LMENU, false}, {VK_LMENU, false}, {VK_LMENU, true}}, 1},
      {"Right Win", {{VK_RWIN, false}, {VK_RWIN, true}, {VK_RWIN, false}, {VK_RWIN, true}}, 2},
      // Not completed (another modifier down): Alt keeps its usual effect.
      {"Right Alt", {{VK_LCONTROL, false}, {VK_RMENU, false}, {VK_RMENU, true}}, 0},
      {"Left Alt + Left Ctrl", {{VK_LMENU, false}, {VK_LMENU, true}}, 0},
      {"Left Alt + Left Ctrl", {{VK_LMENU, false}, {VK_LCONTROL, false}}, 1},
      {"Left Ctrl + Left Win", {{VK_LWIN, false}, {VK_LCONTROL, false}}, 1},
      {"Left Alt + K", {{'K', false}, {'K', true}, {VK_LMENU, false}}, 0},
      {"Left Alt + K", {{VK_LMENU, false}, {'K', false}, {'K', false}}, 1},
      {"Left Shift + Left Ctrl", {{VK_LSHIFT, false}, {VK_LCONTROL, false}}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    listen(c.label);
    fake.keyboard.mainThreadBusy = true;  // decided on the hook thread alone
    passedOn.clear();
    for (const auto& [vk, up] : c.keys) up ? release(vk) : press(vk);
    EXPECT_EQ(masksSent(), c.masks);
    if (c.masks > 0) {
      // Right after the completing key-down has gone on: an own key-down/up pair.
      const auto mask = std::find(passedOn.begin(), passedOn.end(), "+232*");
      EXPECT_EQ(*(mask + 1), "-232*");
      EXPECT_EQ(mask[-1].front(), '+');
      EXPECT_NE(mask[-1].back(), '*');
    }
    fake.keyboard.mainThreadBusy = false;
    for (const DWORD vk :
         std::initializer_list<DWORD>{VK_LMENU, VK_RMENU, VK_LCONTROL, VK_LWIN, VK_RWIN, 'K'}) {
      if (fake.keyboard.isDown(vk)) release(vk);
    }
    hotkey->stopListening();
  }
}

TEST_F(HookThreadTest, BusyMainThreadJudgesEachEventByItsOwnMoment) {
  const HWND app = fake.windows.addWindow(u"FLUTTER_RUNNER_WIN32_WINDOW");
  hotkey->noteWindowMessage(app, WM_ACTIVATE, 1, 0);
  listen();
  fake.keyboard.mainThreadBusy = true;
  press(VK_LCONTROL);
  press(VK_LSHIFT);
  advance(500);
  release(VK_LSHIFT);
  release(VK_LCONTROL);
  fake.windows.foreground = app;
  press(VK_LCONTROL);
  press(VK_LSHIFT);  // pressed in our own window
  fake.windows.foreground = nullptr;
  EXPECT_EQ(takeLog(), Log{});
  fake.keyboard.deliverPosted();
  Log expected = kMultiDown;
  expected.insert(expected.end(),
                  {"Multi-modifier UP", "=> onHotkeyUp", "Multi-modifier DOWN",
                   "App is in focus, notifying Flutter", "=> onHotkeyWhileFocused"});
  // Handled at one moment, yet the first hold is judged by its keys' times: not a tap.
  EXPECT_EQ(takeLog(), expected);
}

TEST_F(HookThreadTest, NothingPostedBeforeStopOrTeardownIsHandled) {
  listen("Right Alt");
  fake.keyboard.mainThreadBusy = true;
  press(VK_RMENU);
  hotkey->stopListening();
  fake.keyboard.deliverPosted();
  EXPECT_EQ(takeLog(), Log{"Stopped listening"});

  hotkey->startListening();
  release(VK_RMENU);
  press(VK_RMENU);
  hotkey.reset();  // teardown with the hook thread's work still queued
  fake.keyboard.deliverPosted();
  EXPECT_EQ(fake.keyboard.installedHooks(), 1);  // only the test's own
  EXPECT_EQ(messenger.sent.size(), 0u);
}

TEST_F(HookThreadTest, HookRemovedBySystemIsReinstalledOnceRawInputShowsItMissingKeys) {
  listen("Right Alt");
  fake.keyboard.removeHooksBehindOwnersBack();
  press('A');
  release('A');
  advance(999);
  press('A');
  EXPECT_EQ(takeLog(), Log{});
  advance(1);
  release('A');
  EXPECT_EQ(takeLog(), Log{"Keyboard hook was removed by the system, re-installed"});
  press(VK_RMENU);
  EXPECT_EQ(takeLog(), kSingleDown);

  // A quiet keyboard, or a hook that keeps seeing keys, is never "repaired".
  advance(5000);
  release(VK_RMENU);
  press('A');
  release('A');
  advance(5000);
  press('A');
  release('A');
  EXPECT_EQ(takeLog(), (Log{"Hotkey UP", "=> onHotkeyUp"}));
}

// A key-up the hook never saw: the release poll notices it, or the read right after the hook is
// back; a failed re-install says so and is tried again at the next key.
TEST_F(HookThreadTest, MissedReleaseEndsTheHoldAsARelease) {
  const std::string byPoll = "Hotkey keys found up by the key-state poll \xE2\x80\x94 releasing";
  const std::string atRepair =
      "Hotkey keys found up after the hook re-install \xE2\x80\x94 releasing";
  const std::string failed = "Failed to re-install keyboard hook, retrying at the next key";
  listen("Right Alt");
  hotkey->setOverlayEnabled(false);  // no animation timers

  // Lost mid-hold, released soon after: the poll's two reads, from the first that found it up.
  press(VK_RMENU);
  advance(500);
  fake.keyboard.removeHooksBehindOwnersBack();
  release(VK_RMENU);
  advance(199);
  EXPECT_EQ(takeLog(), kSingleDown);
  advance(1);
  EXPECT_EQ(takeLog(), (Log{byPoll, "=> onHotkeyUp"}));
  EXPECT_TRUE(fake.timers.running().empty());  // nobody holds: no poll, no limit

  // Lost long before the release: the read after the repair, confirmed a period later.
  listen("Right Alt");
  press(VK_RMENU);
  advance(100);
  fake.keyboard.removeHooksBehindOwnersBack();
  press('A');
  release('A');
  advance(1000);
  release(VK_RMENU);
  advance(100);
  EXPECT_EQ(takeLog(), join(kSingleDown, {kRepaired, atRepair, "=> onHotkeyUp"}));

  // The repair fails: its own line, no success line; the poll still ends the hold.
  press(VK_RMENU);
  fake.keyboard.removeHooksBehindOwnersBack();
  press('A');
  advance(1000);
  fake.keyboard.failNextHook = true;
  release(VK_RMENU);
  EXPECT_EQ(takeLog(), join(kSingleDown, {failed}));
  advance(200);
  EXPECT_EQ(takeLog(), (Log{byPoll, "=> onHotkeyUp"}));
  release('A');  // the next key tries again
  press(VK_RMENU);
  EXPECT_EQ(takeLog(), join({kRepaired}, kSingleDown));
}

// Our own input shows the user's held modifiers up (inside a paste's batch, for an instant): the
// held keys' repeats are judged by the user's own events, and one poll read is not enough.
TEST_F(HookThreadTest, KeysOurInputShowsUpDoNotEndAHold) {
  listen("Left Shift + Left Ctrl");
  press(VK_LCONTROL);
  press(VK_LSHIFT);
  advance(150);
  sendOwn(VK_LSHIFT, true);
  sendOwn(VK_LCONTROL, true);
  advance(100);        // one read finds both up
  press(VK_LCONTROL);  // auto-repeat, with Left Shift up in the system's state
  sendOwn(VK_LSHIFT, false);
  advance(300);
  release(VK_LSHIFT);
  EXPECT_EQ(takeLog(), join(kMultiDown, {"Multi-modifier UP", "=> onHotkeyUp"}));
}

TEST_F(HookThreadTest, WatchMatchesHookAndRawInEitherOrderAndFindsALostHook) {
  // 'h' a hook call, 'r' a raw key, a millisecond apart; '.' a second passes.
  const std::pair<const char*, bool> cases[] = {
      {"rhrhrh", false},    // Wine: each key's raw input before its hook call
      {"hhhhrrrr", false},  // Windows: a SendInput batch's hook calls, then its raw input
      {"rrrrhhhh", false}, {"hhrhhrrr", false},
      {"rhrr", true},  // the hook stopped after the first key
      {"h.r", true},   // a hook call a second old pays for no later raw key
      {"rr.h", true},  // alive, yet one key stays missing
  };
  for (const auto& [events, lost] : cases) {
    SCOPED_TRACE(events);
    platform::HookWatch watch;
    std::int64_t now = 0;
    for (const char* e = events; *e != '\0'; ++e) {
      now += *e == '.' ? platform::HookWatch::kLostAfterNs : 1'000'000;
      if (*e == 'h') watch.hookSaw(now);
      if (*e == 'r') watch.rawSaw(now);
    }
    EXPECT_EQ(watch.waiting(), lost);  // a healthy hook leaves the repair timer nothing to do
    EXPECT_FALSE(watch.lost(now));
    EXPECT_EQ(watch.lost(now + platform::HookWatch::kLostAfterNs), lost);
  }
}

TEST_F(HookThreadTest, LockDisconnectSuspendOrDesktopSwitchCancelsAHold) {
  const std::pair<UINT, WPARAM> endings[] = {{WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK},
                                             {WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT},
                                             {WM_WTSSESSION_CHANGE, WTS_REMOTE_DISCONNECT},
                                             {WM_POWERBROADCAST, PBT_APMSUSPEND},
                                             {0, 0}};  // the secure desktop of a UAC prompt
  listen("Left Shift + Left Ctrl");
  hotkey->setOverlayEnabled(false);  // no fade timer
  for (const auto& [message, change] : endings) {
    SCOPED_TRACE(message);
    const auto end = [&, message = message, change = change] {
      if (message == 0) {
        fake.keyboard.hookThread()->switchDesktop();
        fake.keyboard.deliverPosted();
      } else {
        hotkey->noteWindowMessage(nullptr, message, change, 0);
      }
    };
    press(VK_LCONTROL);
    press(VK_LSHIFT);
    takeLog();
    end();
    const Log log = takeLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "=> onHotkeyCancelled");
    EXPECT_FALSE(hotkey->hold().held() || hotkey->hold().recording() ||
                 hotkey->hold().primaryKeyDown());
    EXPECT_TRUE(fake.timers.running().empty());
    release(VK_LSHIFT);  // the late release sends nothing
    release(VK_LCONTROL);
    end();  // idle: nothing
    EXPECT_EQ(takeLog(), Log{});
  }
}

TEST_F(HookThreadTest, UnlockConnectOrResumeReinstallsTheHookOnlyWhileListening) {
  const std::pair<UINT, WPARAM> returns[] = {{WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK},
                                             {WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT},
                                             {WM_WTSSESSION_CHANGE, WTS_REMOTE_CONNECT},
                                             {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC},
                                             {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND}};
  for (const auto& [message, change] : returns) {
    SCOPED_TRACE(change);
    hotkey->noteWindowMessage(nullptr, message, change, 0);
    EXPECT_EQ(takeLog(), Log{});
    listen("Right Alt");
    fake.keyboard.removeHooksBehindOwnersBack();  // e.g. lost while asleep
    hotkey->noteWindowMessage(nullptr, message, change, 0);
    EXPECT_EQ(takeLog().size(), 1u);
    press(VK_RMENU);
    release(VK_RMENU);
    EXPECT_EQ(takeLog()[0], "Hotkey DOWN");
    hotkey->stopListening();
    takeLog();
  }
}

}  // namespace
}  // namespace fake
