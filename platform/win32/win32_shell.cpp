#include <windows.h>
#include <shellapi.h>

#include "platform/shell.h"
#include "platform/win32/win32_platform.h"

namespace platform {
namespace {

class RealShell final : public Shell {
 public:
  HINSTANCE ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                          LPCWSTR directory, INT showCommand) override {
    return ::ShellExecuteW(owner, operation, file, parameters, directory, showCommand);
  }
};

}  // namespace

Shell& Win32Shell() {
  static auto* shell = new RealShell;  // never destroyed: see win32_platform.h
  return *shell;
}

}  // namespace platform
