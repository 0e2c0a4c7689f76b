// The Dart entry point's arguments: the process command line after the program path, as UTF-8.
//
// Called once by wWinMain. An argument that does not convert (an unpaired surrogate) keeps its
// position as an empty string, so the Dart side can still index its arguments.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> CollectEntrypointArguments();

// UTF-16 (null-terminated) to UTF-8; empty for a null input or text that does not convert.
std::string WideToUtf8(const wchar_t* text);
