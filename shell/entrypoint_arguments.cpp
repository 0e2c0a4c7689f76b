#include "shell/entrypoint_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

std::vector<std::string> CollectEntrypointArguments() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return {};
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(WideToUtf8(argv[i]));
  LocalFree(argv);
  return arguments;
}

std::string WideToUtf8(const wchar_t* text) {
  if (text == nullptr) return {};
  const int needed =
      WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, nullptr, 0, nullptr, nullptr);
  // The size counts the terminator; 0 means the text does not convert.
  const int length = needed - 1;
  if (needed == 0 || length == 0) return {};
  std::string utf8(static_cast<size_t>(length), '\0');
  const int converted =
      WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, static_cast<int>(std::wcslen(text)),
                          utf8.data(), length, nullptr, nullptr);
  if (converted == 0) return {};
  return utf8;
}
