#include "tests/support/foreground.h"

#include <chrono>
#include <string>

#include "tests/windows/wine_pump.h"

namespace desktop {
namespace {

using namespace std::chrono_literals;

bool becomes(HWND window, std::chrono::milliseconds timeout) {
  return wine::pumpUntil([window] { return GetForegroundWindow() == window; }, timeout);
}

std::string describe(HWND window) {
  if (window == nullptr) return "no window";
  char name[128] = {};
  GetClassNameA(window, name, static_cast<int>(sizeof(name)));
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return std::string("a window of class \"") + name + "\" (process " + std::to_string(process) +
         ")";
}

}  // namespace

::testing::AssertionResult TakeForeground(HWND window) {
  if (IsWindow(window) == FALSE) return ::testing::AssertionFailure() << "no such window";
  // Granted outright under Wine, on a desktop with no foreground window, or to a process that
  // had the last input. The switch shows only once the window manager has seen it.
  if (SetForegroundWindow(window) != FALSE && becomes(window, 2s)) {
    return ::testing::AssertionSuccess();
  }
  // A thread that shares the input state of the foreground window's thread may move the
  // foreground as that thread could: attached for the one call, detached at once.
  const HWND holder = GetForegroundWindow();
  const DWORD self = GetCurrentThreadId();
  const DWORD holderThread = holder != nullptr ? GetWindowThreadProcessId(holder, nullptr) : 0;
  const bool attached = holderThread != 0 && holderThread != self &&
                        AttachThreadInput(self, holderThread, TRUE) != FALSE;
  BringWindowToTop(window);
  SetForegroundWindow(window);
  if (attached) AttachThreadInput(self, holderThread, FALSE);
  if (becomes(window, 5s)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "Windows refused this test the foreground (its foreground lock): it stays with "
         << describe(GetForegroundWindow())
         << (attached ? "" : ", whose input this thread could not attach to")
         << ". The test needs an interactive desktop that lets it take the foreground.";
}

}  // namespace desktop
