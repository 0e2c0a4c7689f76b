#include "shell/debug_console.h"

#include <windows.h>

#include <cstdio>
#include <io.h>
#include <iostream>

#include "engine_client/engine_library.h"

void OpenDebugConsole() {
  if (!AllocConsole()) return;
  FILE* unused = nullptr;
  if (freopen_s(&unused, "CONOUT$", "w", stdout) != 0) _dup2(_fileno(stdout), 1);
  // Falls back to stdout's descriptor: stderr's own is the one that failed to reopen.
  if (freopen_s(&unused, "CONOUT$", "w", stderr) != 0) _dup2(_fileno(stdout), 2);
  std::ios::sync_with_stdio(true);
  FlutterDesktopResyncOutputStreams();
}
