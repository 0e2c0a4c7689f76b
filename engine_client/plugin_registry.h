// PluginRegistry: hands out the registrar a plugin's registration function takes.
#pragma once

#include <string>

#include "engine_client/engine_library.h"

class PluginRegistry {
 public:
  virtual ~PluginRegistry() = default;
  virtual FlutterDesktopPluginRegistrarRef GetRegistrarForPlugin(const std::string& pluginName) = 0;
};
