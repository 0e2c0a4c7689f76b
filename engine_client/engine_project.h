// EngineProject: what the engine is started with. Every field is passed to the engine as it is;
// relative paths are resolved by the engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct EngineProject {
  std::wstring assetsPath;
  std::wstring icuDataPath;
  std::wstring aotLibraryPath;
  // Empty for the engine's default entry point.
  std::string dartEntrypoint;
  // UTF-8.
  std::vector<std::string> entrypointArguments;
  // Copied into the two integer fields of the engine properties that follow the arguments.
  int32_t gpuPreference = 0;
  int32_t uiThreadPolicy = 0;
};
