#include "shell/single_instance.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/win32_window.h"

namespace {

// Long enough for any path Windows can start a program from.
constexpr DWORD kMaxPath = 32768;

std::wstring OwnExecutablePath() {
  std::vector<wchar_t> buffer(kMaxPath);
  const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), kMaxPath);
  return std::wstring(buffer.data(), length < kMaxPath ? length : 0);
}

std::wstring ExecutablePathOf(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return {};
  std::vector<wchar_t> buffer(kMaxPath);
  DWORD length = kMaxPath;
  const bool found = QueryFullProcessImageNameW(process, 0, buffer.data(), &length) != 0;
  CloseHandle(process);
  return found ? std::wstring(buffer.data(), length) : std::wstring();
}

// File names on Windows compare without regard to case.
bool SamePath(const std::wstring& left, const std::wstring& right) {
  return !left.empty() &&
         CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                              static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

// "Local\murmurly-" and a hash of the case-folded path: mutex names cannot hold backslashes and
// have a length limit that a path may exceed.
std::wstring MutexName(const std::wstring& executablePath) {
  std::wstring folded = executablePath;
  if (!folded.empty()) CharUpperBuffW(folded.data(), static_cast<DWORD>(folded.size()));
  // 64-bit FNV-1a over the UTF-16 code units.
  uint64_t hash = 14695981039346656037ull;
  for (wchar_t unit : folded) {
    hash = (hash ^ static_cast<uint16_t>(unit)) * 1099511628211ull;
  }
  std::wstring name = L"Local\\murmurly-";
  for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
  return name;
}

struct Search {
  std::wstring executable;
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
  if (processId == search->ownProcess ||
      !SamePath(ExecutablePathOf(processId), search->executable)) {
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
  const std::wstring name = MutexName(OwnExecutablePath());
  SetLastError(ERROR_SUCCESS);
  mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  const DWORD error = GetLastError();
  // Access denied: it exists, made by the same user at another integrity level.
  return error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED;
}

void SingleInstance::ActivateRunningInstance() {
  Search search{OwnExecutablePath(), GetCurrentProcessId(), nullptr};
  EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return;
  DWORD processId = 0;
  GetWindowThreadProcessId(search.found, &processId);
  // This launch holds the user's permission to take the foreground: pass it on.
  AllowSetForegroundWindow(processId);
  if (IsIconic(search.found)) ShowWindow(search.found, SW_RESTORE);
  SetForegroundWindow(search.found);
}
