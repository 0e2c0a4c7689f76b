// FakeShell: records every ShellExecuteW call and answers with a chosen result.
#pragma once

#include <string>
#include <vector>

#include "platform/shell.h"

namespace fake {

class FakeShell final : public platform::Shell {
 public:
  struct Call {
    HWND owner;
    std::u16string operation;
    std::u16string file;
    bool hasParameters;
    bool hasDirectory;
    INT showCommand;
  };

  HINSTANCE ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                          LPCWSTR directory, INT showCommand) override {
    calls.push_back({owner, text(operation), text(file), parameters != nullptr,
                     directory != nullptr, showCommand});
    return result;
  }

  // Values of 32 or less mean failure; 2 is "file not found".
  HINSTANCE result = reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(42));
  std::vector<Call> calls;

 private:
  static std::u16string text(LPCWSTR value) {
    return value != nullptr ? std::u16string(platform::U(value)) : std::u16string();
  }
};

}  // namespace fake
