// Puts a window in the foreground for a Windows test, the way real Windows grants it.
//
// Windows' foreground lock refuses SetForegroundWindow to a process that did not get the user's
// last input, which a test started by CTest on a CI desktop never did; Wine grants every call.
// Tests that type into, paste into or click beside a window take the foreground with this one
// call, on the test's main thread (it pumps that thread's messages while it waits):
//
//   ASSERT_TRUE(desktop::TakeForeground(window));
//
// When Windows still refuses, the failure says who kept the foreground, within seconds.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

namespace desktop {

// Brings `window` (of this process or another) to the foreground and waits until it is there.
::testing::AssertionResult TakeForeground(HWND window);

}  // namespace desktop
