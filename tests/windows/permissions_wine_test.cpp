// The permission checks over the real Media Foundation and shell, under Wine.
#include <windows.h>
#include <objbase.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine_client/method_call.h"
#include "engine_client/method_channel.h"
#include "engine_client/standard_method_codec.h"
#include "permissions/microphone_status.h"
#include "permissions/permissions_channel.h"
#include "permissions/privacy_page.h"
#include "platform/shell.h"
#include "platform/win32/win32_platform.h"
#include "tests/support/recording_messenger.h"

namespace {

class RealPermissionsTest : public ::testing::Test {
 protected:
  // The shell runs these on its main thread, apartment-threaded.
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  }
  void TearDown() override { CoUninitialize(); }
};

BOOL CALLBACK countVisibleWindow(HWND window, LPARAM count) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() && IsWindowVisible(window)) {
    ++*reinterpret_cast<int*>(count);
  }
  return TRUE;
}

int visibleWindowsOfThisProcess() {
  int count = 0;
  EnumWindows(countVisibleWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST_F(RealPermissionsTest, MicrophoneStatusIsOneOfThreeAndStableBetweenCalls) {
  const std::string first = QueryMicrophoneStatus(platform::Win32Platform());
  EXPECT_TRUE(first == "authorized" || first == "denied" || first == "notDetermined") << first;
  // Media Foundation is started and stopped by each query, so a second one works the same way.
  EXPECT_EQ(QueryMicrophoneStatus(platform::Win32Platform()), first);
}

TEST_F(RealPermissionsTest, OpeningThePrivacyPageReturnsWithoutAWindowOfOurs) {
  // What the shell makes of the settings URI here (Wine knows no ms-settings: handler).
  const auto opened = reinterpret_cast<INT_PTR>(platform::Win32Shell().ShellExecuteW(
      nullptr, L"open", L"ms-settings:privacy-microphone", nullptr, nullptr, SW_SHOWNORMAL));
  RecordProperty("ShellExecuteW", static_cast<int>(opened));
  std::printf("ShellExecuteW(ms-settings:privacy-microphone) = %d\n", static_cast<int>(opened));

  const auto start = std::chrono::steady_clock::now();
  ShowMicrophonePrivacyPage(platform::Win32Platform());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  // A blocking error dialog would keep the call from returning for as long as it is shown.
  EXPECT_LT(elapsed, std::chrono::seconds(20));
  EXPECT_EQ(visibleWindowsOfThisProcess(), 0);
}

std::vector<std::uint8_t> call(fake::RecordingMessenger& messenger, const std::string& method) {
  const auto message =
      StandardMethodCodec::GetInstance().EncodeMethodCall(MethodCall(method, nullptr));
  return messenger.deliver("murmurly/permissions", *message);
}

TEST_F(RealPermissionsTest, ChannelAnswersCheckAndRequestAlikeAndSettingsWithSuccess) {
  fake::RecordingMessenger messenger;
  std::unique_ptr<MethodChannel> channel;
  RegisterPermissionsChannel(channel, &messenger, platform::Win32Platform());

  const std::vector<std::uint8_t> checked = call(messenger, "checkMicrophone");
  ASSERT_GE(checked.size(), 2u);
  EXPECT_EQ(checked[0], 0);  // a success envelope
  EXPECT_EQ(call(messenger, "requestMicrophone"), checked);
  // Wine has no handler for the settings URI, so this is the failing ShellExecuteW.
  EXPECT_EQ(call(messenger, "openMicrophoneSettings"), (std::vector<std::uint8_t>{0, 0}));
  EXPECT_EQ(visibleWindowsOfThisProcess(), 0);
}

}  // namespace
