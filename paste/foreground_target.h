// The window our keys would reach now, for the paste and the typing: its process (a paste's proof
// is that process reading the clipboard; for a UWP app, whose frame window belongs to
// ApplicationFrameHost, the process of the frame's CoreWindow), its executable's name (for the
// report), its thread (whose keyboard layout a typing follows), and whether it runs elevated
// (Windows drops input sent to a process of higher integrity than ours, silently, so none is sent).
// Portable; the paste thread.
#pragma once

#include <string>

#include "platform/platform.h"
#include "platform/win_types.h"

namespace paste {

struct ForegroundTarget {
  HWND window = nullptr;
  DWORD thread = 0;
  DWORD process = 0;  // 0 when unknown
  std::string name;   // "notepad.exe", UTF-8; empty when unknown
  bool elevated = false;
};

ForegroundTarget foregroundTarget(platform::Platform& platform);

}  // namespace paste
