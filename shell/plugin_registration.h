// RegisterAllPlugins: connects the ten plugin libraries the executable imports to the running
// engine, in their fixed order. Called once by the engine host window, before its own channels.
#pragma once

class PluginRegistry;

void RegisterAllPlugins(PluginRegistry* registry);
