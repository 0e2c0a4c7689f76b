// Process entry: one instance per installation, console, COM, the engine project, the one
// top-level window and the message loop on the main thread.

#include <windows.h>

#include <utility>

#include "engine_client/engine_project.h"
#include "platform/win32/win32_platform.h"
#include "shell/debug_console.h"
#include "shell/entrypoint_arguments.h"
#include "shell/flutter_window.h"
#include "shell/single_instance.h"

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 750;
// Used when the screen is no larger than the window, so the title bar stays reachable.
constexpr int kFallbackOffset = 10;

EngineProject ProjectFromDataDirectory(const std::wstring& data) {
  EngineProject project;
  project.assetsPath = data + L"\\flutter_assets";
  project.icuDataPath = data + L"\\icudtl.dat";
  project.aotLibraryPath = data + L"\\app.so";
  return project;
}

// Centred on the primary screen. The metrics are physical pixels and the size is logical;
// Create scales both by the DPI of the monitor at the origin.
Win32Window::Origin CentredOrigin() {
  int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  if (x <= 0) x = kFallbackOffset;
  if (y <= 0) y = kFallbackOffset;
  return {x, y};
}

}  // namespace

int APIENTRY wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
  platform::TraceProcessStart();
  SingleInstance instance;
  if (!instance.Claim()) {
    SingleInstance::ActivateRunningInstance();
    return EXIT_SUCCESS;
  }
  if (!AttachConsole(ATTACH_PARENT_PROCESS) && IsDebuggerPresent()) OpenDebugConsole();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  EngineProject project = ProjectFromDataDirectory(L"data");
  project.entrypointArguments = CollectEntrypointArguments();

  {
    // The window, the engine and the plugins are gone before COM is.
    FlutterWindow window(project);
    if (!window.Create(L"murmurly", CentredOrigin(), {kWidth, kHeight})) return EXIT_FAILURE;
    window.SetQuitWhenClosed(true);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  CoUninitialize();
  return EXIT_SUCCESS;
}
