// FlutterViewController: creates the engine, runs it in a view, and owns both.
//
// Destroying the controller shuts the engine down. When creation fails the controller has no
// view, which the engine host window treats as a failed window creation.
#pragma once

#include <memory>
#include <optional>

#include "engine_client/engine_library.h"
#include "engine_client/engine_project.h"
#include "engine_client/flutter_engine.h"
#include "engine_client/flutter_view.h"

class FlutterViewController {
 public:
  FlutterViewController(int width, int height, const EngineProject& project);
  virtual ~FlutterViewController();

  FlutterViewController(const FlutterViewController&) = delete;
  FlutterViewController& operator=(const FlutterViewController&) = delete;

  const std::shared_ptr<FlutterEngine>& GetEngine() const { return engine; }
  FlutterView* GetView() const { return view.get(); }
  void ForceRedraw();
  // The engine's result when it consumed the message, nothing otherwise.
  std::optional<LRESULT> HandleTopLevelWindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                                  LPARAM lparam);

 private:
  FlutterDesktopViewControllerRef controller = nullptr;
  std::shared_ptr<FlutterEngine> engine;
  std::unique_ptr<FlutterView> view;
};
