// The installed bundle as a user starts it: murmurly.exe from its own folder (the test's working
// directory) with the stand-in engine beside it. Closed the way the taskbar closes it, it must
// exit with code 0 within 10 s.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/windows/wine_pump.h"

namespace {

using namespace std::chrono_literals;

struct Search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK visibleAppWindow(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (owner != search.process || std::wstring(name) != L"FLUTTER_RUNNER_WIN32_WINDOW" ||
      IsWindowVisible(window) == FALSE) {
    return TRUE;
  }
  search.found = window;
  return FALSE;
}

TEST(InstalledBundle, ShowsItsWindowAndExitsWithZeroWhenClosed) {
  wchar_t folder[MAX_PATH] = {};
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, folder), 0u);
  std::wstring command = L"\"" + std::wstring(folder) + L"\\murmurly.exe\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                             &startup, &process))
      << "cannot start murmurly.exe in the bundle: error " << GetLastError();
  CloseHandle(process.hThread);

  Search search{process.dwProcessId, nullptr};
  const bool shown = wine::pumpUntil(
      [&] {
        EnumWindows(visibleAppWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
      },
      60s);
  DWORD exitCode = STILL_ACTIVE;
  if (search.found != nullptr) {
    PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10'000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.hProcess, &exitCode);
    }
  } else if (shown) {
    GetExitCodeProcess(process.hProcess, &exitCode);
  }
  if (exitCode == STILL_ACTIVE) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);

  ASSERT_NE(search.found, nullptr)
      << (shown ? "murmurly exited before showing its window, with code " +
                      std::to_string(exitCode) + " (another instance running?)"
                : std::string("no window within 60 s"));
  EXPECT_NE(exitCode, STILL_ACTIVE) << "still running 10 s after WM_CLOSE";
  EXPECT_EQ(exitCode, 0u);
}

}  // namespace
