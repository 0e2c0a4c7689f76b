// The engine library's declarations as the shell compiles against them.
//
// Built as the windows/ folder of a Flutter app, the shell takes them from the SDK's own
// flutter_windows.h (MURMURLY_FLUTTER_SDK, set by the build), so the records it fills follow
// the SDK it links. Otherwise engine_api.h declares the same names for the stand-in engine and
// the host fake. The shell's code must compile against either: it zero-initialises records,
// sets their fields by name and uses only the names both declare. No code runs here.
#pragma once

#if defined(MURMURLY_FLUTTER_SDK)
#include <flutter_windows.h>
#else
#include "engine_client/engine_api.h"
#endif
