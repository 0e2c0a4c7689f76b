// FlutterEngine: owns the engine handle until a view controller takes it over, and the
// messenger over it.
//
// Created by FlutterViewController; the shell uses it for plugin registrars, the messenger,
// fonts and the next-frame callback. After the hand-over it keeps its handle for use but never
// destroys the engine.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine_client/binary_messenger_impl.h"
#include "engine_client/engine_library.h"
#include "engine_client/engine_project.h"
#include "engine_client/plugin_registry.h"

class FlutterEngine : public PluginRegistry {
 public:
  explicit FlutterEngine(const EngineProject& project);
  ~FlutterEngine() override;

  FlutterEngine(const FlutterEngine&) = delete;
  FlutterEngine& operator=(const FlutterEngine&) = delete;

  FlutterDesktopPluginRegistrarRef GetRegistrarForPlugin(const std::string& pluginName) override;
  BinaryMessenger* GetMessenger() const;
  void ReloadSystemFonts();
  // Runs once after the next frame; a second call before the frame replaces the first.
  void SetNextFrameCallback(std::function<void()> callback);
  // Gives the engine to a view controller, which destroys it from then on.
  FlutterDesktopEngineRef HandOverEngine();

 private:
  static void OnNextFrame(void* userData);

  FlutterDesktopEngineRef engine;
  std::unique_ptr<BinaryMessengerImpl> messenger;
  bool ownsEngine = true;
  std::function<void()> nextFrameCallback;
};
