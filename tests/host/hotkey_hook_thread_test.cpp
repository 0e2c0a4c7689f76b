// The hook thread's side of the hotkey: own input skipped, the mask key, copies judged later by a
// busy main thread, self-repair, session/power changes, and a mouse button as the hotkey.
#include <gtest/gtest.h>

#include <algorithm>

#include "paste/paste_keys.h"
#include "platform/hook_watch.h"
#include "platform/own_input.h"
#include "tests/support/hotkey_fixture.h"

namespace fake {
namespace {

const Log kSingleDown{"Hotkey DOWN", "=> onHotkeyDown", "Started max duration timer"};
const Log kMultiDown{"Multi-modifier DOWN", "=> onHotkeyDown", "Started max duration timer"};
const Log kComboDown{"Combo DOWN", "=> onHotkeyDown", "Started max duration timer"};
const std::string kRepaired = "Keyboard hook was removed by the system, re-installed";

Log join(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
const Log kSingleHold = join(kSingleDown, {"Hotkey UP", "=> onHotkeyUp"});
const Log kMultiHold = join(kMultiDown, {"Multi-modifier UP", "=> onHotkeyUp"});

// Keys as an older hook (the application behind us) receives them: "+vk" / "-vk", "*" marking
// the shell's own records; and the user's modifiers it finds.
std::vector<std::string> passedOn;
std::vector<std::uint8_t> heldInChain;
platform::Platform* chainPlatform = nullptr;

class HookThreadTest : public HotkeyFixture {
 protected:
  HookThreadTest() {
    passedOn.clear();
    heldInChain.clear();
    chainPlatform = &fake.platform();
    fake.keyboard.SetWindowsHookExW(
        WH_KEYBOARD_LL,
        [](int, WPARAM message, LPARAM lParam) -> LRESULT {
          const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
          const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
          passedOn.push_back((up ? "-" : "+") + std::to_string(event.vkCode) +
                             (platform::isOwnInput(event.dwExtraInfo) ? "*" : ""));
          heldInChain.push_back(paste::heldModifiers(*chainPlatform));
          return 0;
        },
        nullptr, 0);
  }
  void sendOwn(WORD vk, bool up) {
    INPUT input = platform::ownKeyInput(fake.keyboard, vk, up ? KEYEVENTF_KEYUP : 0);
    fake.keyboard.SendInput(1, &input, sizeof(INPUT));
  }
  // Another program's AltGr pair in one batch: Left Ctrl with `scan` and `time`, Right Alt at 77.
  void sendAltGr(WORD scan, DWORD time, DWORD up) {
    INPUT pair[2] = {};
    pair[0].type = pair[1].type = INPUT_KEYBOARD;
    pair[0].ki = {VK_LCONTROL, scan, up, time, 0};
    pair[1].ki = {VK_RMENU, 0x38, up | KEYEVENTF_EXTENDEDKEY, 77, 0};
    fake.keyboard.SendInput(2, pair, sizeof(INPUT));
  }
  // One step of a mouse hotkey script: "+5" / "-5" the button with virtual key 5 down / up, "i+5"
  // injected, "k+162" / "k-162" a key, "~" a pointer move, "x" Windows dropping the hooks, a number
  // of milliseconds to wait.
  void playMouse(const std::vector<std::string>& script) {
    for (const std::string& step : script) {
      if (step == "~") {
        fake.keyboard.mouseButton(0, false);
      } else if (step == "x") {
        fake.keyboard.removeHooksBehindOwnersBack();
      } else if (step[0] == 'k') {
        const auto vk = static_cast<DWORD>(std::stoul(step.substr(2)));
        step[1] == '+' ? press(vk) : release(vk);
      } else if (step[0] == '+' || step[0] == '-' || step[0] == 'i') {
        const bool injected = step[0] == 'i';
        const std::size_t sign = injected ? 1 : 0;
        fake.keyboard.mouseButton(static_cast<DWORD>(std::stoul(step.substr(sign + 1))),
                                  step[sign] == '-', injected);
      } else {
        advance(std::stoll(step));
      }
    }
  }
  int masksSent() const {
    return static_cast<int>(std::count(passedOn.begin(), passedOn.end(), "+232*"));
  }
};

TEST_F(HookThreadTest, OwnInputIsPassedOnButNeverJudged) {
  listen("Left Ctrl");
  // A paste's Ctrl+V with the hotkey "Left Ctrl": no events.
  std::vector<INPUT> keys = paste::pasteKeys(fake.keyboard, paste::heldModifiers(fake.platform()),
                                             paste::PasteChord::CtrlV);
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
// remote sessions and tools) a plain Left Ctrl with the Right Alt's time stamp. Each rule alone.
TEST_F(HookThreadTest, AltGrArtefactIsNeverTheUsersLeftCtrl) {
  // Hotkey, the user's real Left Ctrl held first, log. AltGr+Q types "@" on German keyboards.
  const std::tuple<const char*, bool, Log> cases[] = {{"Right Alt", false, kSingleHold},
                                                      {"Left Ctrl", false, {}},
                                                      {"Left Ctrl + Right Alt", false, {}},
                                                      {"Left Ctrl + Right Alt", true, kMultiHold},
                                                      {"Left Ctrl + Q", false, {}}};
  fake.keyboard.layout = FakeKeyboard::kGermanLayout;
  for (const auto& [label, userCtrl, log] : cases) {
    for (const auto& [scan, time] : {std::pair<WORD, DWORD>{0x21D, 1}, {0x1D, 77}}) {
      SCOPED_TRACE(testing::Message() << label << (userCtrl ? " after Left Ctrl" : "") << scan);
      listen(label);
      if (userCtrl) press(VK_LCONTROL);
      sendAltGr(scan, time, 0);
      if (hotkey->keys().comboVk != 0) {
        press('Q');
        release('Q');
      }
      advance(500);
      sendAltGr(scan, time, KEYEVENTF_KEYUP);
      if (userCtrl) release(VK_LCONTROL);
      EXPECT_EQ(takeLog(), log);
      hotkey->stopListening();
    }
  }
  // Where the layout has no AltGr, the plain pair is the user's Left Ctrl and Right Alt.
  fake.keyboard.layout = FakeKeyboard::kUsLayout;
  listen("Left Ctrl");
  sendAltGr(0x1D, 77, 0);
  advance(500);
  sendAltGr(0x1D, 77, KEYEVENTF_KEYUP);
  EXPECT_EQ(takeLog(), kSingleHold);
}

// A paste during a hold: its batch releases the held modifiers and presses Ctrl+V, and our own
// input shows the held keys up (inside the batch, stretched here over one poll read) while they
// repeat. The hold ends at the user's real release alone.
TEST_F(HookThreadTest, PasteDuringAHoldThenRepeatsKeepsTheHoldUntilTheRealRelease) {
  const std::tuple<const char*, std::vector<DWORD>, Log> cases[] = {
      {"Left Shift + Left Ctrl", {VK_LCONTROL, VK_LSHIFT}, kMultiHold},
      {"Right Alt", {VK_RMENU}, kSingleHold},
      {"Left Ctrl + K",
       {VK_LCONTROL, 'K'},
       join(kComboDown, {"Combo modifier released", "=> onHotkeyUp"})}};
  for (const auto& [label, held, log] : cases) {
    SCOPED_TRACE(label);
    listen(label);
    for (const DWORD vk : held) press(vk);
    advance(150);
    std::vector<INPUT> keys = paste::pasteKeys(fake.keyboard, paste::heldModifiers(fake.platform()),
                                               paste::PasteChord::CtrlV);
    fake.keyboard.SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
    for (const DWORD vk : held) sendOwn(static_cast<WORD>(vk), true);
    advance(100);                           // one read finds them all up
    for (const DWORD vk : held) press(vk);  // auto-repeat
    for (const DWORD vk : held) sendOwn(static_cast<WORD>(vk), false);
    advance(300);
    for (const DWORD vk : held) release(vk);
    EXPECT_EQ(takeLog(), log);
  }
}

// What the hook publishes for the paste thread: the user's key-downs, which stop a typing (neither
// ours, nor a repeat, nor the AltGr artefact), and the modifiers the user holds as the next hook in
// the chain finds them: the user's key-down and key-up count at once (the system's state changes
// only after the last hook); once the hook is removed the system's state is all there is.
TEST_F(HookThreadTest, TheUsersKeyDownsAndModifiersArePublishedAheadOfTheSystemState) {
  fake.keyboard.setKeyDown(VK_RSHIFT, true);  // held since before the hook
  listen("Left Ctrl + K");
  sendOwn('A', false);
  sendOwn('A', true);
  press('A');
  press('A');
  release('A');
  sendAltGr(0x21D, 1, 0);
  sendAltGr(0x21D, 1, KEYEVENTF_KEYUP);
  EXPECT_EQ(fake.userKeyboard.keyDowns(), 2u);
  EXPECT_EQ(paste::heldModifiers(fake.platform()), 0x02);
  heldInChain.clear();
  press(VK_LCONTROL);
  release(VK_RSHIFT);
  EXPECT_EQ(heldInChain, (std::vector<std::uint8_t>{0x06, 0x04}));
  hotkey->stopListening();
  fake.keyboard.setKeyDown(VK_LWIN, true);
  EXPECT_EQ(paste::heldModifiers(fake.platform()), 0x44);
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

// "Left Ctrl + K" with Ctrl's key-up lost while the hook was gone: the K that follows alone is a
// plain letter, not the hotkey.
TEST_F(HookThreadTest, ModifierUpTheHookMissedNeverMakesItsLetterAloneTheHotkey) {
  listen("Left Ctrl + K");
  press(VK_LCONTROL);
  fake.keyboard.removeHooksBehindOwnersBack();
  release(VK_LCONTROL);
  advance(1000);
  press('A');
  release('A');
  press('K');
  release('K');
  EXPECT_EQ(takeLog(), Log{kRepaired});
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

// A key-up the hook never saw ends the hold as a release: at the read right after the repair, or
// by the poll's two reads when the re-install fails, which says so and is retried at the next key.
TEST_F(HookThreadTest, MissedReleaseEndsTheHoldAsARelease) {
  const std::string found = "Hotkey keys found up ";
  listen("Right Alt");
  press(VK_RMENU);
  advance(100);
  fake.keyboard.removeHooksBehindOwnersBack();
  press('A');
  release('A');
  advance(1000);
  release(VK_RMENU);
  advance(100);
  EXPECT_EQ(takeLog(), join(kSingleDown,
                            {kRepaired, found + "after the hook re-install \xE2\x80\x94 releasing",
                             "=> onHotkeyUp"}));

  press(VK_RMENU);
  fake.keyboard.removeHooksBehindOwnersBack();
  press('A');
  advance(1000);
  fake.keyboard.failNextHook = true;
  release(VK_RMENU);
  advance(200);
  EXPECT_EQ(
      takeLog(),
      join(kSingleDown, {"Failed to re-install keyboard hook, retrying at the next key",
                         found + "by the key-state poll \xE2\x80\x94 releasing", "=> onHotkeyUp"}));
  release('A');
  press(VK_RMENU);
  EXPECT_EQ(takeLog(), join({kRepaired}, kSingleDown));
}

// 'h' a hook call, 'r' a raw key, 1 ms apart; '.' a second. Wine sends raw input before the hook
// call, Windows a SendInput batch's hook calls first; lost: a hook that stopped, or came too late.
TEST_F(HookThreadTest, WatchMatchesHookAndRawInEitherOrderAndFindsALostHook) {
  const std::pair<const char*, bool> cases[] = {
      {"rhrhrh", false}, {"hhhhrrrr", false}, {"rrrrhhhh", false}, {"hhrhhrrr", false},
      {"rhrr", true},    {"h.r", true},       {"rr.h", true}};
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
  const auto end = [this](UINT message, WPARAM change) {
    if (message == 0) fake.keyboard.hookThread()->switchDesktop();
    if (message != 0) hotkey->noteWindowMessage(nullptr, message, change, 0);
    fake.keyboard.deliverPosted();
  };
  listen("Left Shift + Left Ctrl");
  for (const auto& [message, change] : endings) {
    SCOPED_TRACE(change);
    press(VK_LCONTROL);
    press(VK_LSHIFT);
    takeLog();
    end(message, change);
    const Log log = takeLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "=> onHotkeyCancelled");
    EXPECT_FALSE(hotkey->hold().held() || hotkey->hold().recording() ||
                 hotkey->hold().primaryKeyDown());
    EXPECT_EQ(hotkey->hold().maxDuration().id(), 0u);
    release(VK_LSHIFT);  // the late release sends nothing
    release(VK_LCONTROL);
    end(message, change);  // idle: nothing
    EXPECT_EQ(takeLog(), Log{});
  }
}

// The return from a UAC prompt, whose notice comes after the key-down of a hold pressed just after
// it, leaves that hold alone; the poll then finds the keyboard on another desktop and cancels
// rather than releases.
TEST_F(HookThreadTest, SwitchNoticeEndsOnlyAHoldBeganBeforeTheSwitch) {
  listen("Right Alt");
  press(VK_RMENU);
  fake.keyboard.hookThread()->switchDesktop(fake.clock.nowNs - 1'000'000);  // 1 ms before
  fake.keyboard.deliverPosted();
  advance(500);
  EXPECT_EQ(takeLog(), kSingleDown);
  fake.keyboard.otherDesktopHasInput = true;
  fake.keyboard.setKeyDown(VK_RMENU, false);  // what the key state reads there
  advance(100);
  EXPECT_EQ(takeLog(), (Log{"Another desktop has the input during hold \xE2\x80\x94 cancelling",
                            "=> onHotkeyCancelled"}));
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

// A mouse button as the hotkey: which button events the hook keeps from the window under the
// pointer, and the hold they make.
TEST_F(HookThreadTest, BoundMouseButtonIsSwallowedExactlyWhenItMakesTheHoldAndItsHooksMend) {
  // Hotkey, script, log, what the window under the pointer got.
  const std::tuple<const char*, std::vector<std::string>, Log, Log> cases[] = {
      // Held past several release polls, which cannot see a swallowed button in the key state.
      {"Mouse 4",
       {"+5", "~", "+6", "-6", "k+160", "k-160", "600", "-5"},
       kSingleHold,
       {"+6", "-6"}},
      {"Middle Mouse",
       {"+4", "100", "-4"},
       join(kSingleDown, {"Hotkey UP", "=> onHotkeyCancelled"}),
       {}},
      // Not the exact hotkey: another modifier held, another program's click.
      {"Mouse 4", {"k+162", "+5", "-5", "k-162"}, {}, {"+5", "-5"}},
      {"Mouse 5", {"i+6", "500", "i-6"}, {}, {"+6", "-6"}},
      {"Left Ctrl + Mouse 5",
       {"k+162", "+6", "500", "-6", "k-162"},
       join(kComboDown, {"Combo UP", "=> onHotkeyUp"}),
       {}},
      // A key typed during the hold cancels it; the button's up stays ours.
      {"Mouse 4",
       {"+5", "k+65", "k-65", "-5"},
       join(kSingleDown, {"Non-modifier key during hotkey hold \xE2\x80\x94 cancelling",
                          "=> onHotkeyCancelled"}),
       {}},
      {"Right Alt", {"+5", "-5"}, {}, {"+5", "-5"}},
      // The button's up the dropped hooks missed went to the window, but raw input saw it: the
      // release poll ends the hold, and the next button change re-installs both hooks.
      {"Mouse 4",
       {"+5", "500", "x", "-5", "200", "800", "+6", "-6", "+5", "500", "-5"},
       join(join(kSingleDown, {"Hotkey keys found up by the key-state poll \xE2\x80\x94 releasing",
                               "=> onHotkeyUp", kRepaired}),
            kSingleHold),
       {"-5", "+6", "-6"}},
  };
  for (const auto& [label, script, log, windowSaw] : cases) {
    SCOPED_TRACE(label);
    listen(label);
    EXPECT_EQ(fake.keyboard.installedMouseHooks(), isMouseButton(hotkey->keys().mouseButton()));
    fake.keyboard.windowSaw.clear();
    playMouse(script);
    EXPECT_EQ(takeLog(), log);
    EXPECT_EQ(fake.keyboard.windowSaw, windowSaw);
    hotkey->stopListening();
  }
  EXPECT_EQ(fake.keyboard.installedMouseHooks(), 0);
  EXPECT_NE(hotkey->hint().window(), nullptr);  // the tap's hint
}

}  // namespace
}  // namespace fake
