// Processes fake: which process each window belongs to, and each process's executable name and
// integrity level (empty and 0, unknown, unless a test sets them). This process is kOwnProcess.
#pragma once

#include <map>
#include <string>

#include "platform/processes.h"

namespace fake {

class FakeProcesses final : public platform::Processes {
 public:
  static constexpr DWORD kOwnProcess = 100;

  DWORD GetWindowThreadProcessId(HWND window, DWORD* processId) override {
    const auto entry = windowProcess.find(window);
    const DWORD process = entry != windowProcess.end() ? entry->second : 0;
    if (processId != nullptr) *processId = process;
    return process != 0 ? 1 : 0;
  }
  DWORD GetCurrentProcessId() override { return kOwnProcess; }
  DWORD processIntegrityLevel(DWORD processId) override {
    const auto entry = levels.find(processId);
    return entry != levels.end() ? entry->second : 0;
  }

  std::string processFileName(DWORD processId) override {
    const auto entry = names.find(processId);
    return entry != names.end() ? entry->second : std::string();
  }

  std::map<HWND, DWORD> windowProcess;
  std::map<DWORD, DWORD> levels;
  std::map<DWORD, std::string> names;
};

}  // namespace fake
