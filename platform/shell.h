// The Windows shell's "open this target" call, used to show a system settings page.
#pragma once

#include "platform/win_types.h"

namespace platform {

class Shell {
 public:
  virtual ~Shell() = default;
  // Returns a value greater than 32 on success, as ShellExecuteW does.
  virtual HINSTANCE ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                                  LPCWSTR directory, INT showCommand) = 0;
};

}  // namespace platform
