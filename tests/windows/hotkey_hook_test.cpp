// The controller on the real platform: the system-wide hook installed by startListening, driven
// with SendInput. Diagnostic lines are captured through a decorator on the debug output.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "engine_client/method_channel.h"
#include "hotkey/global_hotkey.h"
#include "platform/debug_output.h"
#include "platform/win32/win32_platform.h"
#include "tests/support/recording_messenger.h"

namespace {

using Log = std::vector<std::string>;

// Keeps every line (and still forwards it to the debugger).
class CapturingDebugOutput final : public platform::DebugOutput {
 public:
  explicit CapturingDebugOutput(Log& log) : log_(log) {}
  void OutputDebugStringA(LPCSTR line) override {
    log_.emplace_back(line);
    platform::Win32DebugOutput().OutputDebugStringA(line);
  }

 private:
  Log& log_;
};

class HotkeyHookTest : public ::testing::Test {
 protected:
  HotkeyHookTest() : capture(log), p(platform::Win32Platform()) {
    p.debug = &capture;
    hotkey = std::make_unique<GlobalHotkey>(p);
    hotkey->setChannel(std::make_unique<MethodChannel>(&messenger, "murmurly/global_hotkey",
                                                       &StandardMethodCodec::GetInstance()));
    messenger.onSend = [this](const fake::RecordingMessenger::Sent& sent) {
      log.push_back("=> " + fake::RecordingMessenger::methodName(sent));
    };
  }
  ~HotkeyHookTest() override {
    hotkey.reset();
    for (const WORD vk : std::initializer_list<WORD>{VK_LCONTROL, VK_LSHIFT, VK_RMENU, VK_F13}) {
      send(vk, true);
    }
  }

  void listen(const std::string& label) {
    hotkey->applyHotkeyFromLabel(label);
    hotkey->startListening();
    ASSERT_TRUE(hotkey->listening());
    log.clear();
  }
  void send(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    // Wine and Windows tell the right Ctrl and Alt from the left by the extended flag.
    const bool extended = vk == VK_RMENU || vk == VK_RCONTROL;
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    ::SendInput(1, &input, sizeof(INPUT));
  }
  // Runs the message loop until `event` was sent or the timeout passes.
  bool waitForEvent(const std::string& event, DWORD timeoutMs = 5000) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
      for (const std::string& line : log) {
        if (line == "=> " + event) return true;
      }
      if (::GetTickCount64() >= end) return false;
      pump(5);
    }
  }
  void pump(DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    do {
      MSG message;
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (::GetTickCount64() < end);
  }

  Log log;
  CapturingDebugOutput capture;
  platform::Platform p;
  fake::RecordingMessenger messenger;
  std::unique_ptr<GlobalHotkey> hotkey;
};

TEST_F(HotkeyHookTest, TwoModifierHoldThroughTheRealHook) {
  listen("Left Shift + Left Ctrl");
  send(VK_LCONTROL, false);
  send(VK_LSHIFT, false);
  ASSERT_TRUE(waitForEvent("onHotkeyDown"));
  pump(400);  // past the tap threshold on the real clock
  send(VK_LSHIFT, true);
  ASSERT_TRUE(waitForEvent("onHotkeyUp"));
  send(VK_LCONTROL, true);
  pump(20);
  EXPECT_EQ(log, (Log{"[GlobalHotkey] Multi-modifier DOWN\n", "=> onHotkeyDown",
                      "[GlobalHotkey] Started max duration timer\n",
                      "[GlobalHotkey] Multi-modifier UP\n", "=> onHotkeyUp"}));
}

TEST_F(HotkeyHookTest, TapAndForeignKeyCancelThroughTheRealHook) {
  listen("Right Alt");
  send(VK_RMENU, false);
  send(VK_RMENU, true);
  ASSERT_TRUE(waitForEvent("onHotkeyCancelled"));
  EXPECT_EQ(log, (Log{"[GlobalHotkey] Hotkey DOWN\n", "=> onHotkeyDown",
                      "[GlobalHotkey] Started max duration timer\n", "[GlobalHotkey] Hotkey UP\n",
                      "=> onHotkeyCancelled"}));

  log.clear();
  send(VK_RMENU, false);
  send(VK_F13, false);
  ASSERT_TRUE(waitForEvent("onHotkeyCancelled"));
  send(VK_F13, true);
  send(VK_RMENU, true);
  pump(20);
  EXPECT_EQ(log,
            (Log{"[GlobalHotkey] Hotkey DOWN\n", "=> onHotkeyDown",
                 "[GlobalHotkey] Started max duration timer\n",
                 "[GlobalHotkey] Non-modifier key during hotkey hold \xE2\x80\x94 cancelling\n",
                 "=> onHotkeyCancelled"}));
}

TEST_F(HotkeyHookTest, StopListeningRemovesTheHook) {
  listen("Right Alt");
  hotkey->stopListening();
  log.clear();
  send(VK_RMENU, false);
  send(VK_RMENU, true);
  pump(100);
  EXPECT_EQ(log, Log{});
}

// Windows drops a hook that misses its time limit without telling anyone; the hook thread's raw
// input notices keys the hook no longer sees and installs it again.
TEST_F(HotkeyHookTest, HookRemovedBehindItsBackIsReinstalled) {
  listen("Right Alt");
  ASSERT_TRUE(::UnhookWindowsHookEx(hotkey->hookHandle()));
  const std::string repaired =
      "[GlobalHotkey] Keyboard hook was removed by the system, re-installed\n";
  const ULONGLONG end = ::GetTickCount64() + 20000;
  while (std::find(log.begin(), log.end(), repaired) == log.end() && ::GetTickCount64() < end) {
    send(VK_F13, false);
    send(VK_F13, true);
    pump(100);
  }
  ASSERT_EQ(log, Log{repaired});
  send(VK_RMENU, false);
  EXPECT_TRUE(waitForEvent("onHotkeyDown"));
}

// Keys keep arriving on the hook thread while the controller is torn down: the thread is joined
// and nothing it posted reaches the controller afterwards.
TEST_F(HotkeyHookTest, TeardownWhileTheHookThreadIsBusy) {
  listen("Right Alt");
  std::atomic<bool> typing{true};
  std::thread typist([&] {
    while (typing) {
      send(VK_F13, false);
      send(VK_F13, true);
    }
  });
  pump(200);
  send(VK_RMENU, false);  // posted, never handled
  hotkey.reset();
  pump(300);
  typing = false;
  typist.join();
  EXPECT_EQ(std::count(log.begin(), log.end(), "=> onHotkeyDown"), 0);
  EXPECT_EQ(log.back(), "[GlobalHotkey] Stopped listening\n");
}

}  // namespace
