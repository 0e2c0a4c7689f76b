// The hook thread's side of the hotkey: own input skipped, the mask key, copies judged later by a
// busy main thread, self-repair, and session/power changes.
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

TEST_F(HookThreadTest, WatchToleratesRawInputArrivingBeforeTheHook) {
  platform::HookWatch watch;
  const std::int64_t second = platform::HookWatch::kLostAfterNs;
  for (int i = 0; i < 3; ++i) {  // raw first, then the hook, for each key
    watch.rawSaw(i * second * 2);
    watch.hookSaw();
    EXPECT_FALSE(watch.lost(i * second * 2 + second * 3 / 2));
    EXPECT_FALSE(watch.waiting());  // a healthy hook leaves the repair timer nothing to do
  }
  watch.rawSaw(10 * second);  // matched by the hook call of the previous key
  watch.rawSaw(11 * second);  // unseen
  EXPECT_TRUE(watch.waiting());
  EXPECT_FALSE(watch.lost(11 * second + second - 1));
  EXPECT_TRUE(watch.lost(12 * second));
  watch.hookSaw();
  EXPECT_FALSE(watch.waiting());
  EXPECT_FALSE(watch.lost(13 * second));
}

TEST_F(HookThreadTest, LockDisconnectOrSuspendCancelsAHoldAndTheLateReleaseSendsNothing) {
  const std::pair<UINT, WPARAM> endings[] = {{WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK},
                                             {WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT},
                                             {WM_WTSSESSION_CHANGE, WTS_REMOTE_DISCONNECT},
                                             {WM_POWERBROADCAST, PBT_APMSUSPEND}};
  listen("Left Shift + Left Ctrl");
  for (const auto& [message, change] : endings) {
    SCOPED_TRACE(change);
    press(VK_LCONTROL);
    press(VK_LSHIFT);
    takeLog();
    hotkey->noteWindowMessage(nullptr, message, change, 0);
    const Log log = takeLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "=> onHotkeyCancelled");
    EXPECT_FALSE(hotkey->hold().held() || hotkey->hold().recording() ||
                 hotkey->hold().primaryKeyDown());
    EXPECT_EQ(hotkey->hold().maxDuration().id(), 0u);
    release(VK_LSHIFT);
    release(VK_LCONTROL);
    hotkey->noteWindowMessage(nullptr, message, change, 0);  // idle: nothing
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
