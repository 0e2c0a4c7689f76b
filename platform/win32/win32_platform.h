// The real platform: each concern forwards to the Windows call of the same name.
//
// One process-wide object per concern, created on first use on the heap and never destroyed, so
// callbacks that run during teardown can still reach them, and so can a paste thread left behind
// at exit (stuck in another program's clipboard rendering) after static destruction has run.
// Win32Platform() aggregates them for the portable code.
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
UserKeyboard& Win32UserKeyboard();

// The hook thread behind Win32Keyboard().StartHookThread.
std::unique_ptr<HookThread> StartWin32HookThread(HookFilter& filter, HookSink& sink);

// Tracing is decided from MURMURLY_TRACE on the first call: make it first thing in wWinMain.
Trace& Win32Trace();

// The first two start-up phases, when tracing: process start (stamped when the system created the
// process, so the timeline shows what the loader spent) and main entered.
void TraceProcessStart();

// Every concern implemented so far; the others stay null.
Platform& Win32Platform();

}  // namespace platform
