// Which process a window belongs to, what its executable is called and how far the system trusts
// it (its integrity level).
//
// Used by the paste before it types: Windows silently drops synthesised input aimed at a process
// of higher integrity (an elevated window), so the paste must know before sending its keys; it
// names the target in its report, and tells the target's clipboard read from other programs'.
// Any thread. The fake keeps a window-to-process table, a name and a level per process.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace platform {

class Processes {
 public:
  virtual ~Processes() = default;
  virtual DWORD GetWindowThreadProcessId(HWND window, DWORD* processId) = 0;
  virtual DWORD GetCurrentProcessId() = 0;
  // The mandatory integrity level of the process (a SECURITY_MANDATORY_*_RID value, e.g. 0x2000
  // medium, 0x3000 high), or 0 when it cannot be read: no such process, no access, or a system
  // without integrity levels. The real one composes OpenProcess, OpenProcessToken and
  // GetTokenInformation (TokenIntegrityLevel).
  virtual DWORD processIntegrityLevel(DWORD processId) = 0;
  // The file name of the process's executable, in UTF-8 ("notepad.exe"); empty when it cannot
  // be read. The real one asks QueryFullProcessImageNameW, which needs only limited access, so an
  // elevated process is named too.
  virtual std::string processFileName(DWORD processId) = 0;
};

}  // namespace platform
