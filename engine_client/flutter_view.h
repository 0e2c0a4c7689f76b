// FlutterView: the engine's view, seen through its native child window. Not owning.
#pragma once

#include "engine_client/engine_library.h"

class FlutterView {
 public:
  explicit FlutterView(FlutterDesktopViewRef view) : view(view) {}
  virtual ~FlutterView() = default;

  HWND GetNativeWindow() const { return FlutterDesktopViewGetHWND(view); }

 private:
  FlutterDesktopViewRef view;
};
