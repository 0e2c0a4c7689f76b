#include <windows.h>

#include <vector>

#include "platform/processes.h"
#include "platform/win32/win32_platform.h"

namespace platform {
namespace {

struct HandleCloser {
  HANDLE handle;
  ~HandleCloser() {
    if (handle != nullptr) CloseHandle(handle);
  }
};

class RealProcesses final : public Processes {
 public:
  DWORD GetWindowThreadProcessId(HWND window, DWORD* processId) override {
    return ::GetWindowThreadProcessId(window, processId);
  }
  DWORD GetCurrentProcessId() override { return ::GetCurrentProcessId(); }
  DWORD processIntegrityLevel(DWORD processId) override {
    HandleCloser process{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)};
    if (process.handle == nullptr) return 0;
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(process.handle, TOKEN_QUERY, &rawToken)) return 0;
    HandleCloser token{rawToken};
    DWORD size = 0;
    GetTokenInformation(token.handle, TokenIntegrityLevel, nullptr, 0, &size);
    if (size == 0) return 0;
    std::vector<unsigned char> buffer(size);
    if (!GetTokenInformation(token.handle, TokenIntegrityLevel, buffer.data(), size, &size)) {
      return 0;
    }
    const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data());
    const UCHAR count = *GetSidSubAuthorityCount(label->Label.Sid);
    return count == 0 ? 0 : *GetSidSubAuthority(label->Label.Sid, count - 1);
  }
};

}  // namespace

Processes& Win32Processes() {
  static RealProcesses processes;
  return processes;
}

}  // namespace platform
