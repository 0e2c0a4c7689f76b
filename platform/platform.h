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

struct Platform {
  Keyboard& keyboard;
  Timers& timers;
  Clock& clock;
  DebugOutput& debug;
  WindowSystem& windows;
  Gdi& gdi;
  Clipboard& clipboard;
  MediaFoundation& mediaFoundation;
  Shell& shell;
};

}  // namespace platform
