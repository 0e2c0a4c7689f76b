// The permission checks over the real Media Foundation and shell, under Wine.
#include <windows.h>
#include <objbase.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "permissions/microphone_status.h"
#include "permissions/privacy_page.h"
#include "platform/shell.h"
#include "platform/win32/win32_platform.h"

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

}  // namespace
