#include "engine_client/flutter_view_controller.h"

#include <iostream>

FlutterViewController::FlutterViewController(int width, int height, const EngineProject& project)
    : engine(std::make_shared<FlutterEngine>(project)) {
  controller = FlutterDesktopViewControllerCreate(width, height, engine->HandOverEngine());
  if (controller == nullptr) {
    std::cerr << "Failed to create view controller." << std::endl;
    return;
  }
  view = std::make_unique<FlutterView>(FlutterDesktopViewControllerGetView(controller));
}

FlutterViewController::~FlutterViewController() {
  if (controller != nullptr) FlutterDesktopViewControllerDestroy(controller);
  view.reset();
  engine.reset();
}

void FlutterViewController::ForceRedraw() { FlutterDesktopViewControllerForceRedraw(controller); }

std::optional<LRESULT> FlutterViewController::HandleTopLevelWindowProc(HWND hwnd, UINT message,
                                                                       WPARAM wparam,
                                                                       LPARAM lparam) {
  LRESULT result = 0;
  if (FlutterDesktopViewControllerHandleTopLevelWindowProc(controller, hwnd, message, wparam,
                                                           lparam, &result)) {
    return result;
  }
  return std::nullopt;
}
