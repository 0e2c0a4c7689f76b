// The stand-in engine's own module handle: the DLL's, not the executable's, so the windows it
// registers belong to the library that holds their procedures.
#pragma once

#include <windows.h>

namespace standin {

inline HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

}  // namespace standin
