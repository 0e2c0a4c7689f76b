#include <windows.h>

#include <algorithm>
#include <string>
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
  std::string processFileName(DWORD processId) override {
    HandleCloser process{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)};
    if (process.handle == nullptr) return {};
    wchar_t path[MAX_PATH * 2];
    DWORD length = MAX_PATH * 2;
    if (!QueryFullProcessImageNameW(process.handle, 0, path, &length)) return {};
    const wchar_t* name = path;
    for (DWORD i = 0; i < length; ++i) {
      if (path[i] == L'\\' || path[i] == L'/') name = path + i + 1;
    }
    const int nameLength = static_cast<int>(path + length - name);
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, name, nameLength, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, name, nameLength, out.data(), size, nullptr, nullptr);
    return out;
  }
};

}  // namespace

Processes& Win32Processes() {
  static auto* processes = new RealProcesses;  // never destroyed: see win32_platform.h
  return *processes;
}

}  // namespace platform
