// One stand-in plugin library: its entry function only tells the stand-in engine that it ran.
// Built ten times, each with its own entry-function and registrar name.
#include "standin/engine/standin_plugin_api.h"

extern "C" __declspec(dllexport) void MURMURLY_PLUGIN_ENTRY(
    FlutterDesktopPluginRegistrarRef registrar) {
  MurmurlyStandinPluginCalled(registrar, MURMURLY_PLUGIN_NAME);
}
