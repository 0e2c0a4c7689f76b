#include "shell/plugin_registration.h"

#include "engine_client/plugin_registry.h"

// The plugins' entry functions, imported at load time: the process does not start without them.
extern "C" {
__declspec(dllimport) void AudioplayersWindowsPluginRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
__declspec(dllimport) void ConnectivityPlusWindowsPluginRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
__declspec(dllimport) void FileSaverPluginRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
__declspec(dllimport) void FileSelectorWindowsRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
__declspec(dllimport) void FlutterSecureStorageWindowsPluginRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
__declspec(dllimport) void FvpPluginCApiRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
__declspec(dllimport) void PermissionHandlerWindowsPluginRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
__declspec(dllimport) void RecordWindowsPluginCApiRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
__declspec(dllimport) void SharePlusWindowsPluginCApiRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
__declspec(dllimport) void UrlLauncherWindowsRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
}

namespace {

struct Plugin {
  const char* registrarName;
  void (*registerWithRegistrar)(FlutterDesktopPluginRegistrarRef);
};

const Plugin kPlugins[] = {
    {"AudioplayersWindowsPlugin", &AudioplayersWindowsPluginRegisterWithRegistrar},
    {"ConnectivityPlusWindowsPlugin", &ConnectivityPlusWindowsPluginRegisterWithRegistrar},
    {"FileSaverPlugin", &FileSaverPluginRegisterWithRegistrar},
    {"FileSelectorWindows", &FileSelectorWindowsRegisterWithRegistrar},
    {"FlutterSecureStorageWindowsPlugin", &FlutterSecureStorageWindowsPluginRegisterWithRegistrar},
    {"FvpPluginCApi", &FvpPluginCApiRegisterWithRegistrar},
    {"PermissionHandlerWindowsPlugin", &PermissionHandlerWindowsPluginRegisterWithRegistrar},
    {"RecordWindowsPluginCApi", &RecordWindowsPluginCApiRegisterWithRegistrar},
    {"SharePlusWindowsPluginCApi", &SharePlusWindowsPluginCApiRegisterWithRegistrar},
    {"UrlLauncherWindows", &UrlLauncherWindowsRegisterWithRegistrar},
};

}  // namespace

void RegisterAllPlugins(PluginRegistry* registry) {
  for (const Plugin& plugin : kPlugins) {
    plugin.registerWithRegistrar(registry->GetRegistrarForPlugin(plugin.registrarName));
  }
}
