#include "shell/single_instance.h"

#include <string>
#include <string_view>
#include <vector>

#include "shell/win32_window.h"

#ifndef MURMURLY_BINARY_NAME
#error "the build names the app: MURMURLY_BINARY_NAME"
#endif

namespace {

constexpr const wchar_t* kMutexName = L"Local\\" MURMURLY_BINARY_NAME L".instance";
constexpr const wchar_t* kExecutableName = MURMURLY_BINARY_NAME L".exe";
// Long enough for any path Windows can start a program from.
constexpr DWORD kMaxPath = 32768;

std::wstring ExecutablePathOf(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return {};
  std::vector<wchar_t> buffer(kMaxPath);
  DWORD length = kMaxPath;
  const bool found = QueryFullProcessImageNameW(process, 0, buffer.data(), &length) != 0;
  CloseHandle(process);
  return found ? std::wstring(buffer.data(), length) : std::wstring();
}

// The app's executable, whatever folder it lies in; file names compare without regard to case.
bool IsAppExecutable(const std::wstring& path) {
  const std::wstring_view name = std::wstring_view(path).substr(path.find_last_of(L"\\/") + 1);
  const std::wstring_view expected = kExecutableName;
  return CompareStringOrdinal(name.data(), static_cast<int>(name.size()), expected.data(),
                              static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

struct Search {
  DWORD ownProcess;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (std::wstring_view(className) != Win32Window::kClassName) return TRUE;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == search->ownProcess || !IsAppExecutable(ExecutablePathOf(processId))) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

}  // namespace

SingleInstance::~SingleInstance() {
  if (mutex != nullptr) CloseHandle(mutex);
}

bool SingleInstance::Claim() {
  SetLastError(ERROR_SUCCESS);
  mutex = CreateMutexW(nullptr, FALSE, kMutexName);
  const DWORD error = GetLastError();
  // Access denied: it exists, made by the same user at another integrity level.
  return error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED;
}

void SingleInstance::ActivateRunningInstance() {
  Search search{GetCurrentProcessId(), nullptr};
  EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return;
  DWORD processId = 0;
  GetWindowThreadProcessId(search.found, &processId);
  // This launch holds the user's permission to take the foreground: pass it on.
  AllowSetForegroundWindow(processId);
  if (IsIconic(search.found)) ShowWindow(search.found, SW_RESTORE);
  SetForegroundWindow(search.found);
}
