// The hold state machine driven through the installed hook, in virtual time.
#include <gtest/gtest.h>

#include "tests/support/hotkey_fixture.h"

namespace fake {
namespace {

constexpr DWORD kA = 'A';
constexpr DWORD kK = 'K';
constexpr DWORD kFn = VK_F24;
const std::string kMultiCancel = "Non-modifier key during multi-mod hold \xE2\x80\x94 cancelling";
const std::string kSingleCancel = "Non-modifier key during hotkey hold \xE2\x80\x94 cancelling";
const std::string kIgnoring = "Ignoring key release \xE2\x80\x94 cancelled via button";
const Log kMultiDown{"Multi-modifier DOWN", "=> onHotkeyDown", "Started max duration timer"};
const Log kSingleDown{"Hotkey DOWN", "=> onHotkeyDown", "Started max duration timer"};
const Log kComboDown{"Combo DOWN", "=> onHotkeyDown", "Started max duration timer"};

Log join(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

using HoldTest = HotkeyFixture;

TEST_F(HoldTest, TwoModifiers_PressAtSecondKeyDown_ReleaseOfEitherEndsIt) {
  for (const DWORD releasedFirst : {VK_LCONTROL, VK_LSHIFT}) {
    listen();
    press(VK_LCONTROL);
    EXPECT_EQ(takeLog(), Log{});
    press(VK_LSHIFT);
    EXPECT_EQ(takeLog(), kMultiDown);
    EXPECT_TRUE(fake.timers.isRunning(hotkey->hold().maxDuration().id()));
    EXPECT_EQ(fake.timers.periodMs(hotkey->hold().maxDuration().id()), 600000);
    press(VK_LSHIFT);  // auto-repeat
    press(VK_LCONTROL);
    advance(1000);
    EXPECT_EQ(takeLog(), Log{});
    release(releasedFirst);
    EXPECT_EQ(takeLog(), (Log{"Multi-modifier UP", "=> onHotkeyUp"}));
    EXPECT_EQ(hotkey->hold().maxDuration().id(), 0u);
    EXPECT_FALSE(maxHoldTimerRunning());
    release(releasedFirst == VK_LSHIFT ? VK_LCONTROL : VK_LSHIFT);
    EXPECT_EQ(takeLog(), Log{});
  }
}

TEST_F(HoldTest, TapThreshold_IsStrictlyBelowThreeTenths) {
  listen("Right Alt");
  const std::pair<int, const char*> holds[] = {{0, "=> onHotkeyCancelled"},
                                               {299, "=> onHotkeyCancelled"},
                                               {300, "=> onHotkeyUp"},
                                               {5000, "=> onHotkeyUp"}};
  for (const auto& [ms, event] : holds) {
    SCOPED_TRACE(ms);
    press(VK_RMENU);
    advance(ms);
    release(VK_RMENU);
    EXPECT_EQ(takeLog(), join(kSingleDown, {"Hotkey UP", event}));
  }
  // A nanosecond short of the threshold is still a tap.
  press(VK_RMENU);
  fake.clock.nowNs += 299'999'999;
  release(VK_RMENU);
  EXPECT_EQ(takeLog().back(), "=> onHotkeyCancelled");
}

// The Dart side starts and stops recording at the events: each goes out before its look is drawn.
TEST_F(HoldTest, EventsGoOutBeforeTheirLooks) {
  std::vector<std::pair<bool, bool>> looks;  // at each event: listening, transcribing look shown
  messenger.onSend = [&](const RecordingMessenger::Sent&) {
    looks.emplace_back(fake.timers.isRunning(hotkey->recording().pulse().id()),
                       fake.timers.isRunning(hotkey->recording().spinner().id()));
  };
  listen("Right Alt");
  press(VK_RMENU);
  advance(500);
  release(VK_RMENU);
  EXPECT_EQ(looks, (std::vector<std::pair<bool, bool>>{{false, false}, {true, false}}));
}

TEST_F(HoldTest, TwoModifiers_ShortcutWithLetterCancelsThenRestartsAtLetterKeyUp) {
  listen();
  press(VK_LCONTROL);
  press(VK_LSHIFT);
  takeLog();
  press(kK);
  EXPECT_EQ(takeLog(), (Log{kMultiCancel, "=> onHotkeyCancelled"}));
  release(kK);
  EXPECT_EQ(takeLog(), kMultiDown);
  advance(100);
  release(VK_LSHIFT);
  EXPECT_EQ(takeLog(), (Log{"Multi-modifier UP", "=> onHotkeyCancelled"}));
}

TEST_F(HoldTest, TwoModifiers_ThirdModifierBlocksThePressUntilItIsGone) {
  listen();
  press(VK_LMENU);
  press(VK_LCONTROL);
  press(VK_LSHIFT);
  release(VK_LMENU);  // Alt still shows down during its own key-up
  EXPECT_EQ(takeLog(), Log{});
  press(VK_LSHIFT);  // the next event of any key while both stay down
  EXPECT_EQ(takeLog(), kMultiDown);
}

TEST_F(HoldTest, TwoModifiers_PressFirstSeenAtForeignKeyDownStartsAndCancels) {
  listen();
  press(VK_RMENU);
  press(VK_LSHIFT);
  press(VK_LCONTROL);
  release(VK_RMENU);
  EXPECT_EQ(takeLog(), Log{});
  press(kA);
  EXPECT_EQ(takeLog(), join(kMultiDown, {kMultiCancel, "=> onHotkeyCancelled"}));
  EXPECT_FALSE(maxHoldTimerRunning());
}

TEST_F(HoldTest, SingleKey_OtherModifierDownBlocksThePress) {
  listen("Right Alt");
  press(VK_LCONTROL);
  press(VK_RMENU);
  release(VK_RMENU);
  release(VK_LCONTROL);
  EXPECT_EQ(takeLog(), Log{});
  press(VK_RMENU);
  EXPECT_EQ(takeLog(), kSingleDown);
}

TEST_F(HoldTest, SingleKey_LetterCancelsAtOnceButModifiersAndRepeatsDoNot) {
  listen("Right Alt");
  press(VK_RMENU);
  takeLog();
  press(VK_RMENU);
  press(VK_RSHIFT);
  release(VK_RSHIFT);
  EXPECT_EQ(takeLog(), Log{});
  press(kA);
  EXPECT_EQ(takeLog(), (Log{kSingleCancel, "=> onHotkeyCancelled"}));
  release(kA);
  advance(1000);
  release(VK_RMENU);
  EXPECT_EQ(takeLog(), Log{});
}

TEST_F(HoldTest, GenericModifierCodesCountAsForeignKeys) {
  listen("Right Alt");
  press(VK_RMENU);
  takeLog();
  press(VK_SHIFT);
  EXPECT_EQ(takeLog(), (Log{kSingleCancel, "=> onHotkeyCancelled"}));
}

// A hotkey key outside the modifier set must not cancel its own hold (it auto-repeats).
TEST_F(HoldTest, FnHotkey_IsNotCancelledByItsOwnKeyDowns) {
  listen("Fn");
  press(kFn);
  press(kFn);
  press(kFn);
  advance(400);
  release(kFn);
  EXPECT_EQ(takeLog(), join(kSingleDown, {"Hotkey UP", "=> onHotkeyUp"}));

  listen("Left Ctrl + Fn");
  press(VK_LCONTROL);
  press(kFn);
  press(kFn);
  advance(400);
  press(kA);  // other keys still cancel
  EXPECT_EQ(takeLog(), join(kMultiDown, {kMultiCancel, "=> onHotkeyCancelled"}));
}

TEST_F(HoldTest, Combo_LetterWithModifierHoldsAndEitherReleaseEnds) {
  listen("Left Ctrl + K");
  press(kK);  // without the modifier
  release(kK);
  EXPECT_EQ(takeLog(), Log{});

  press(VK_LSHIFT);  // other modifiers may be down in this mode
  press(VK_LCONTROL);
  press(kK);
  EXPECT_EQ(takeLog(), kComboDown);
  press(kA);  // other letters do nothing
  release(kA);
  press(kK);
  advance(500);
  release(kK);
  EXPECT_EQ(takeLog(), (Log{"Combo UP", "=> onHotkeyUp"}));

  press(kK);  // every release forgets the modifier: the next hold needs its fresh key-down
  EXPECT_EQ(takeLog(), Log{});
  release(kK);
  press(VK_LCONTROL);
  press(kK);
  advance(500);
  release(VK_LCONTROL);
  EXPECT_EQ(takeLog(), join(kComboDown, {"Combo modifier released", "=> onHotkeyUp"}));
  release(kK);
  EXPECT_EQ(takeLog(), Log{});
}

TEST_F(HoldTest, FocusCheck_PressInOwnWindowIsReportedAndNothingElse) {
  const HWND app = fake.windows.addWindow(u"FLUTTER_RUNNER_WIN32_WINDOW");
  hotkey->noteWindowMessage(app, WM_ACTIVATE, 1, 0);
  fake.windows.foreground = app;
  listen("Right Alt");
  press(VK_RMENU);
  EXPECT_EQ(takeLog(),
            (Log{"Hotkey DOWN", "App is in focus, notifying Flutter", "=> onHotkeyWhileFocused"}));
  ASSERT_EQ(fake.timers.running().size(), 1u);  // neither the limit nor an overlay
  EXPECT_TRUE(fake.timers.isRunning(hotkey->hold().releasePollTimer().id()));
  EXPECT_TRUE(hotkey->hold().held());
  EXPECT_FALSE(hotkey->hold().recording());
  advance(1000);
  release(VK_RMENU);
  EXPECT_EQ(takeLog(), Log{"Hotkey UP"});

  press(VK_RMENU);
  press(kA);  // a foreign key cancels a hold in focus too
  EXPECT_EQ(takeLog().back(), "=> onHotkeyCancelled");
  release(kA);
  release(VK_RMENU);

  hotkey->setFocusCheckEnabled(false);
  takeLog();
  press(VK_RMENU);
  EXPECT_EQ(takeLog(), kSingleDown);
}

TEST_F(HoldTest, TenMinuteLimit_EndsTheHoldAndHeldKeysStartANewOne) {
  listen("Right Alt");
  press(VK_RMENU);
  takeLog();
  advance(599999);
  EXPECT_EQ(takeLog(), Log{});
  advance(1);
  EXPECT_EQ(takeLog(), (Log{"Max duration timer fired", "=> onHotkeyUp"}));
  EXPECT_FALSE(maxHoldTimerRunning());
  press(VK_RMENU);  // auto-repeat of the still held key
  EXPECT_EQ(takeLog(), kSingleDown);
  release(VK_RMENU);

  listen("Left Shift + Left Ctrl");
  press(VK_LSHIFT);
  press(VK_LCONTROL);
  advance(600000);
  takeLog();
  press(VK_LCONTROL);
  EXPECT_EQ(takeLog(), kMultiDown);
}

TEST_F(HoldTest, TenMinuteLimit_ComboNeedsAFreshModifierKeyDown) {
  listen("Left Ctrl + K");
  press(VK_LCONTROL);
  press(kK);
  advance(600000);
  EXPECT_EQ(takeLog(), join(kComboDown, {"Max duration timer fired", "=> onHotkeyUp"}));
  press(kK);
  release(kK);
  EXPECT_EQ(takeLog(), Log{});
  press(VK_LCONTROL);
  press(kK);
  EXPECT_EQ(takeLog(), kComboDown);
}

TEST_F(HoldTest, CancelArea_DuringRecordingSilencesTheRelease) {
  listen();
  press(VK_LCONTROL);
  press(VK_LSHIFT);
  takeLog();
  hotkey->hold().handleCancelAreaClick();
  EXPECT_EQ(takeLog(), Log{"=> onHotkeyCancelled"});
  EXPECT_FALSE(maxHoldTimerRunning());
  EXPECT_EQ(hotkey->hold().maxDuration().id(), 0u);
  advance(600000);
  release(VK_LSHIFT);
  EXPECT_EQ(takeLog(), (Log{"Multi-modifier UP", kIgnoring}));
  EXPECT_FALSE(hotkey->hold().byButton());
}

TEST_F(HoldTest, CancelArea_WithoutAHoldStillReportsACancel) {
  listen("Right Alt");
  press(VK_RMENU);
  advance(500);
  release(VK_RMENU);
  takeLog();
  hotkey->hold().handleCancelAreaClick();  // the transcribing look
  hotkey->hold().handleCancelAreaClick();
  EXPECT_EQ(takeLog(), (Log{"=> onHotkeyCancelled", "=> onHotkeyCancelled"}));
  EXPECT_FALSE(hotkey->hold().byButton());
}

TEST_F(HoldTest, CancelArea_StaleButtonFlagIsClearedByTheNextPress) {
  const HWND app = fake.windows.addWindow(u"FLUTTER_RUNNER_WIN32_WINDOW");
  fake.windows.active = app;
  fake.windows.foreground = app;
  listen("Right Alt");
  press(VK_RMENU);
  hotkey->hold().handleCancelAreaClick();  // from Held in focus
  press(kA);                               // a foreign key from Held after button cancel
  EXPECT_EQ(takeLog(),
            (Log{"Hotkey DOWN", "App is in focus, notifying Flutter", "=> onHotkeyWhileFocused",
                 "=> onHotkeyCancelled", kSingleCancel, "=> onHotkeyCancelled"}));
  EXPECT_TRUE(hotkey->hold().byButton());  // stale, as documented
  release(kA);
  release(VK_RMENU);
  fake.windows.foreground = nullptr;
  press(VK_RMENU);
  advance(300);
  release(VK_RMENU);
  EXPECT_EQ(takeLog(), join(kSingleDown, {"Hotkey UP", "=> onHotkeyUp"}));
}

TEST_F(HoldTest, HookPassesEveryEventOnUnchanged) {
  static int olderHookCalls = 0;
  olderHookCalls = 0;
  fake.keyboard.SetWindowsHookExW(
      WH_KEYBOARD_LL,
      [](int, WPARAM, LPARAM) -> LRESULT {
        ++olderHookCalls;
        return 42;
      },
      nullptr, 0);
  listen();
  EXPECT_EQ(fake.keyboard.keyDown(VK_LCONTROL), 42);
  EXPECT_EQ(fake.keyboard.keyDown(VK_LSHIFT), 42);  // the accepted press too
  EXPECT_EQ(fake.keyboard.keyUp(VK_LSHIFT), 42);
  EXPECT_EQ(olderHookCalls, 3);
}

}  // namespace
}  // namespace fake
