// FlutterWindow: the application's one top-level window, hosting the Flutter engine.
//
// When its native window exists it creates the view controller (and with it the engine),
// registers the plugins and both method channels, embeds the Flutter view and shows itself on
// the engine's first frame. Every message goes to the engine first, then to the hotkey
// controller (session and power changes included), then to this class and its base. It owns the
// paste thread, the hotkey controller, the session watch and the permissions channel; members are
// destroyed in reverse order of declaration.
#pragma once

#include <memory>

#include "engine_client/engine_project.h"
#include "engine_client/flutter_view_controller.h"
#include "engine_client/method_channel.h"
#include "hotkey/global_hotkey.h"
#include "paste/paste_thread.h"
#include "shell/session_watch.h"
#include "shell/win32_window.h"

class FlutterWindow : public Win32Window {
 public:
  explicit FlutterWindow(const EngineProject& project);
  ~FlutterWindow() override;

 protected:
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnCreated() override;
  void OnDestroyed() override;

 private:
  // Stops the paste thread, answers what it still owes, and destroys the view controller and
  // with it the engine; nothing once the engine is gone.
  void ShutDownEngine();

  EngineProject project;
  std::unique_ptr<FlutterViewController> viewController;
  paste::PasteThread paste;
  GlobalHotkey hotkey;
  std::unique_ptr<SessionWatch> sessionWatch;
  std::unique_ptr<MethodChannel> permissionsChannel;
};
