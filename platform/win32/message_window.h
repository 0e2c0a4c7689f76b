// A message-only window for a thread of the shell's own: where requests are posted to it and
// where it posts back. Its class is registered on first use; `self` goes into the user data, where
// the class's procedure finds its object. The window belongs to the calling thread, which must
// destroy it.
#pragma once

#include <windows.h>

namespace platform {

// Null when the window cannot be created.
HWND CreateMessageWindow(const wchar_t* className, WNDPROC proc, void* self);

}  // namespace platform
