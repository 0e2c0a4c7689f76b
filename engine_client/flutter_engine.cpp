#include "engine_client/flutter_engine.h"

#include <iostream>
#include <utility>
#include <vector>

FlutterEngine::FlutterEngine(const EngineProject& project) {
  // The pointer array only has to live through the create call.
  std::vector<const char*> argv;
  argv.reserve(project.entrypointArguments.size());
  for (const std::string& argument : project.entrypointArguments) argv.push_back(argument.c_str());

  FlutterDesktopEngineProperties properties{};
  properties.assets_path = project.assetsPath.c_str();
  properties.icu_data_path = project.icuDataPath.c_str();
  properties.aot_library_path = project.aotLibraryPath.c_str();
  properties.dart_entrypoint = project.dartEntrypoint.c_str();
  properties.dart_entrypoint_argc = static_cast<int>(argv.size());
  properties.dart_entrypoint_argv = argv.empty() ? nullptr : argv.data();
  // Enums in the SDK's record, 32-bit integers in ours: the same 4-byte values either way.
  properties.gpu_preference =
      static_cast<decltype(properties.gpu_preference)>(project.gpuPreference);
  properties.ui_thread_policy =
      static_cast<decltype(properties.ui_thread_policy)>(project.uiThreadPolicy);

  engine = FlutterDesktopEngineCreate(&properties);
  messenger = std::make_unique<BinaryMessengerImpl>(FlutterDesktopEngineGetMessenger(engine));
}

FlutterEngine::~FlutterEngine() {
  if (engine != nullptr && ownsEngine) FlutterDesktopEngineDestroy(engine);
  engine = nullptr;
  nextFrameCallback = nullptr;
  messenger.reset();
}

FlutterDesktopPluginRegistrarRef FlutterEngine::GetRegistrarForPlugin(
    const std::string& pluginName) {
  if (engine == nullptr) {
    std::cerr << "Cannot get plugin registrar on an engine that isn't running; call Run first."
              << std::endl;
    return nullptr;
  }
  return FlutterDesktopEngineGetPluginRegistrar(engine, pluginName.c_str());
}

BinaryMessenger* FlutterEngine::GetMessenger() const { return messenger.get(); }

void FlutterEngine::ReloadSystemFonts() { FlutterDesktopEngineReloadSystemFonts(engine); }

void FlutterEngine::SetNextFrameCallback(std::function<void()> callback) {
  nextFrameCallback = std::move(callback);
  FlutterDesktopEngineSetNextFrameCallback(engine, &FlutterEngine::OnNextFrame, this);
}

FlutterDesktopEngineRef FlutterEngine::HandOverEngine() {
  ownsEngine = false;
  return engine;
}

void FlutterEngine::OnNextFrame(void* userData) {
  auto* self = static_cast<FlutterEngine*>(userData);
  // An engine calling back more often than asked finds nothing stored: nothing to do.
  if (!self->nextFrameCallback) return;
  // Emptied before the call, so the callable may register the next one.
  std::function<void()> callback = std::move(self->nextFrameCallback);
  self->nextFrameCallback = nullptr;
  callback();
}
