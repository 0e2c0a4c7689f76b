// The one export of the stand-in engine beyond the engine library's own: the stand-in plugins
// call it from their entry functions so the engine can tell the Dart peer they ran.
#pragma once

#include "engine_client/engine_api.h"

extern "C" MURMURLY_ENGINE_API void MurmurlyStandinPluginCalled(
    FlutterDesktopPluginRegistrarRef registrar, const char* pluginName);
