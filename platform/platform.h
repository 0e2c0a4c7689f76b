// The platform seam: everything portable code needs from Windows, one narrow interface per
// concern. Portable code is handed a Platform and reaches Windows only through it.
//
// Implementations: platform/win32/ (real, Windows build) and tests/support/ (the fake).
#pragma once

namespace platform {

class Keyboard;
class Timers;
class Clock;
class DebugOutput;
class WindowSystem;
class Gdi;
class Clipboard;
class MediaFoundation;
class Shell;
class Processes;
class Trace;
class UserKeyboard;

// Not owned: the implementations outlive every user (process-wide on Windows, the test fixture on
// the host). A concern a test does not exercise may be left null.
struct Platform {
  Keyboard* keyboard = nullptr;
  Timers* timers = nullptr;
  Clock* clock = nullptr;
  DebugOutput* debug = nullptr;
  WindowSystem* windows = nullptr;
  Gdi* gdi = nullptr;
  Clipboard* clipboard = nullptr;
  MediaFoundation* mediaFoundation = nullptr;
  Shell* shell = nullptr;
  Processes* processes = nullptr;
  Trace* trace = nullptr;
  UserKeyboard* userKeyboard = nullptr;
};

}  // namespace platform
