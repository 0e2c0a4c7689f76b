// The real platform: each concern forwards to the Windows call of the same name.
//
// One process-wide object per concern, created on first use and never destroyed, so callbacks
// that run during teardown can still reach them. Win32Platform() aggregates them for the portable
// code.
#pragma once

#include <memory>

#include "platform/hook_thread.h"
#include "platform/platform.h"

namespace platform {

Keyboard& Win32Keyboard();
Timers& Win32Timers();
Clock& Win32Clock();
DebugOutput& Win32DebugOutput();
WindowSystem& Win32WindowSystem();
Gdi& Win32Gdi();
Clipboard& Win32Clipboard();
MediaFoundation& Win32MediaFoundation();
Shell& Win32Shell();
Processes& Win32Processes();

// The hook thread behind Win32Keyboard().StartHookThread.
std::unique_ptr<HookThread> StartWin32HookThread(HookFilter& filter, HookSink& sink);

// Every concern implemented so far; the others stay null.
Platform& Win32Platform();

}  // namespace platform
