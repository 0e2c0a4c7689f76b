// FakePlatform: owns one fake per concern and hands portable code a platform::Platform wired to
// them. A test constructs one, gives platform() to the code under test, and drives time and input
// through the members.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/trace.h"
#include "platform/user_keyboard.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_clipboard.h"
#include "tests/support/fake_debug_output.h"
#include "tests/support/fake_gdi.h"
#include "tests/support/fake_keyboard.h"
#include "tests/support/fake_media_foundation.h"
#include "tests/support/fake_processes.h"
#include "tests/support/fake_shell.h"
#include "tests/support/fake_timers.h"
#include "tests/support/fake_window_system.h"

namespace fake {

class FakePlatform {
 public:
  FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  platform::Platform& platform() { return platform_; }

  // Advances virtual time, firing due timers.
  void advance(std::int64_t ms) { timers.advance(ms); }

  FakeClock clock;
  FakeTimers timers{clock};
  FakeKeyboard keyboard{clock};
  FakeDebugOutput debug;
  FakeWindowSystem windows;
  FakeGdi gdi;
  FakeClipboard clipboard{clock};
  FakeMediaFoundation mediaFoundation;
  FakeShell shell;
  FakeProcesses processes;
  // Off, as in a process started without MURMURLY_TRACE; a test turns it on by assigning
  // platform::Trace(clock, debug, true).
  platform::Trace trace{clock, debug, false};
  platform::UserKeyboard userKeyboard;

 private:
  platform::Platform platform_;
};

}  // namespace fake
