// Lifetime and listening of the controller: hook installation, resets, the application window,
// the current instance and teardown.
#include <gtest/gtest.h>

#include "tests/support/hotkey_fixture.h"

namespace fake {
namespace {

using ControllerTest = HotkeyFixture;

TEST_F(ControllerTest, StartListeningTwiceReinstallsTheHook) {
  hotkey->startListening();
  hotkey->startListening();
  EXPECT_EQ(takeLog(), (Log{"Stopped listening", "Started listening", "Stopped listening",
                            "Started listening"}));
  EXPECT_EQ(fake.keyboard.installedHooks(), 1);
  EXPECT_TRUE(hotkey->listening());
}

TEST_F(ControllerTest, StopListeningDuringRecordingSendsNothing) {
  listen();
  press(VK_LCONTROL);
  press(VK_LSHIFT);
  takeLog();
  hotkey->stopListening();
  EXPECT_EQ(takeLog(), Log{"Stopped listening"});
  EXPECT_EQ(fake.keyboard.installedHooks(), 0);
  EXPECT_FALSE(hotkey->listening());
  EXPECT_FALSE(hotkey->hold().held() || hotkey->hold().recording() ||
               hotkey->hold().primaryKeyDown() || hotkey->hold().secondKeyDown() ||
               hotkey->hold().byButton());
  EXPECT_TRUE(fake.timers.running().empty());
  release(VK_LSHIFT);
  advance(600000);
  EXPECT_EQ(takeLog(), Log{});

  hotkey->stopListening();  // not listening: still resets and logs
  EXPECT_EQ(takeLog(), Log{"Stopped listening"});
}

TEST_F(ControllerTest, StartListeningDuringRecordingResetsSilently) {
  listen("Right Alt");
  press(VK_RMENU);
  takeLog();
  hotkey->startListening();
  EXPECT_EQ(takeLog(), (Log{"Stopped listening", "Started listening"}));
  EXPECT_TRUE(fake.timers.running().empty());
  release(VK_RMENU);
  EXPECT_EQ(takeLog(), Log{});
}

TEST_F(ControllerTest, FailedHookInstallationIsLoggedAndKeysDoNothing) {
  fake.keyboard.failNextHook = true;
  hotkey->startListening();
  EXPECT_EQ(takeLog(), (Log{"Stopped listening", "Failed to install keyboard hook"}));
  EXPECT_FALSE(hotkey->listening());
  press(VK_LCONTROL);
  press(VK_LSHIFT);
  EXPECT_EQ(takeLog(), Log{});
}

TEST_F(ControllerTest, AppWindowComesFromActiveWindowThenClassAndNeverChanges) {
  const HWND runner = fake.windows.addWindow(u"FLUTTER_RUNNER_WIN32_WINDOW");
  const HWND other = fake.windows.addWindow(u"Notepad");
  hotkey->startListening();
  EXPECT_EQ(hotkey->ownWindow(), runner);  // no active window: found by class
  fake.windows.active = other;
  hotkey->startListening();
  hotkey->noteWindowMessage(other, WM_ACTIVATE, 1, 0);
  EXPECT_EQ(hotkey->ownWindow(), runner);

  GlobalHotkey second(fake.platform());
  EXPECT_FALSE(second.noteWindowMessage(runner, WM_SIZE, 0, 0));
  EXPECT_EQ(second.ownWindow(), nullptr);
  EXPECT_FALSE(second.noteWindowMessage(runner, WM_ACTIVATE, 0, 0));
  EXPECT_EQ(second.ownWindow(), runner);
  second.startListening();
  EXPECT_EQ(second.ownWindow(), runner);

  GlobalHotkey third(fake.platform());
  third.startListening();
  EXPECT_EQ(third.ownWindow(), other);  // the active window wins over the class lookup
}

TEST_F(ControllerTest, CurrentInstanceFollowsTheNewestController) {
  EXPECT_EQ(GlobalHotkey::currentInstance, hotkey.get());
  auto second = std::make_unique<GlobalHotkey>(fake.platform());
  EXPECT_EQ(GlobalHotkey::currentInstance, second.get());
  hotkey.reset();
  EXPECT_EQ(GlobalHotkey::currentInstance, second.get());
  second.reset();
  EXPECT_EQ(GlobalHotkey::currentInstance, nullptr);
}

TEST_F(ControllerTest, HookAndTimerWithoutCurrentControllerOnlyPassOnAndLog) {
  listen("Right Alt");
  auto second = std::make_unique<GlobalHotkey>(fake.platform());
  second.reset();  // leaves the first listening with no current controller
  EXPECT_EQ(GlobalHotkey::currentInstance, nullptr);
  takeLog();
  press(VK_RMENU);
  EXPECT_FALSE(hotkey->hold().held());
  GlobalHotkey::onMaxDurationTimer(nullptr, WM_TIMER, 1, 0);
  EXPECT_EQ(takeLog(), Log{"Max duration timer fired"});
}

TEST_F(ControllerTest, TeardownReleasesHookTimersAndWindows) {
  listen("Right Alt");
  hotkey->showHintOverlay();
  press(VK_RMENU);  // the pill with its pulse, the ten-minute timer and the release poll
  const HWND recording = hotkey->recording().window();
  const HWND hint = hotkey->hint().window();
  ASSERT_EQ(fake.timers.running().size(), 4u);

  hotkey.reset();
  EXPECT_TRUE(fake.timers.running().empty());
  EXPECT_EQ(fake.keyboard.installedHooks(), 0);
  EXPECT_TRUE(fake.windows.window(recording)->destroyed);
  EXPECT_TRUE(fake.windows.window(hint)->destroyed);
  EXPECT_EQ(GlobalHotkey::currentInstance, nullptr);
}

TEST_F(ControllerTest, AnIdWindowsGaveAgainIsNeverStoppedThroughTheTimerThatHadItBefore) {
  listen("Right Alt");
  hotkey->recording().showListeningLook();
  hotkey->setOverlayEnabled(false);
  const UINT_PTR fadeId = hotkey->recording().fade().id();
  advance(240);  // the fade ends itself
  ASSERT_FALSE(fake.windows.window(hotkey->recording().window())->visible);
  EXPECT_FALSE(hotkey->recording().fade().running());

  while (fake.timers.nextThreadId() != fadeId) {
    fake.timers.KillTimer(nullptr, fake.timers.SetTimer(nullptr, 0, 10, nullptr));
  }
  press(VK_RMENU);  // overlays are off: the release poll gets the fade's old id
  ASSERT_EQ(hotkey->hold().releasePollTimer().id(), fadeId);
  hotkey->setOverlayEnabled(false);  // what stops a fade: a new fade, hiding
  hotkey->hideOverlay();
  takeLog();
  advance(600000 - 1);
  EXPECT_EQ(takeLog(), Log{});
  advance(1);
  EXPECT_EQ(takeLog(), (Log{"Max duration timer fired", "=> onHotkeyUp"}));
}

TEST_F(ControllerTest, DetachedControllerSendsNothing) {
  hotkey->detachChannel();
  listen("Right Alt");
  press(VK_RMENU);
  EXPECT_TRUE(hotkey->hold().recording());
  EXPECT_TRUE(messenger.sent.empty());
}

}  // namespace
}  // namespace fake
