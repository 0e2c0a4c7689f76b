// A console of the process's own, for a start under a debugger without a parent console, so
// the engine's and the engine client's standard-error lines can be read.
#pragma once

void OpenDebugConsole();
