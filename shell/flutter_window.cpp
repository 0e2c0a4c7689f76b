#include "shell/flutter_window.h"

#include "hotkey/hotkey_channel.h"
#include "permissions/permissions_channel.h"
#include "platform/trace.h"
#include "platform/win32/win32_platform.h"
#include "shell/plugin_registration.h"

namespace {

// The opening size in logical pixels, also the smallest the user may shrink the window to.
constexpr double kMinimumWidth = 1200.0;
constexpr double kMinimumHeight = 750.0;

}  // namespace

FlutterWindow::FlutterWindow(const EngineProject& project)
    : project(project), hotkey(platform::Win32Platform()) {}

FlutterWindow::~FlutterWindow() = default;

bool FlutterWindow::OnCreated() {
  if (!Win32Window::OnCreated()) return false;
  platform::Trace& trace = platform::Win32Trace();
  trace.mark(platform::phase::kWindowCreated);
  const RECT frame = ClientArea();
  viewController = std::make_unique<FlutterViewController>(frame.right - frame.left,
                                                           frame.bottom - frame.top, project);
  if (!viewController->GetEngine() || !viewController->GetView()) return false;
  trace.mark(platform::phase::kEngineRunning);

  FlutterEngine* engine = viewController->GetEngine().get();
  RegisterAllPlugins(engine);
  RegisterHotkeyChannel(hotkey, engine->GetMessenger());
  RegisterPermissionsChannel(permissionsChannel, engine->GetMessenger(), platform::Win32Platform());

  SetContent(viewController->GetView()->GetNativeWindow());
  engine->SetNextFrameCallback([this, trace = &trace]() {
    trace->mark(platform::phase::kFirstFrame);
    Show();
    trace->mark(platform::phase::kWindowVisible);
  });
  viewController->ForceRedraw();
  return true;
}

void FlutterWindow::OnDestroyed() {
  if (viewController) {
    // The messenger dies with the engine, but the hook and timers run until the controller's
    // own teardown: cut them off from the channel first so nothing is sent into a dead engine.
    hotkey.stopListening();
    hotkey.detachChannel();
    std::unique_ptr<FlutterViewController> dying = std::move(viewController);
    dying.reset();
  }
  Win32Window::OnDestroyed();
}

LRESULT FlutterWindow::HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (viewController) {
    if (auto result = viewController->HandleTopLevelWindowProc(hwnd, message, wparam, lparam)) {
      return *result;
    }
  }
  hotkey.noteWindowMessage(hwnd, message, wparam, lparam);

  switch (message) {
    case WM_FONTCHANGE:
      if (viewController) viewController->GetEngine()->ReloadSystemFonts();
      break;
    case WM_GETMINMAXINFO: {
      const double scale = GetDpiForWindow(hwnd) / 96.0;
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize.x = static_cast<LONG>(scale * kMinimumWidth);
      info->ptMinTrackSize.y = static_cast<LONG>(scale * kMinimumHeight);
      return 0;
    }
    default:
      break;
  }
  return Win32Window::HandleMessage(hwnd, message, wparam, lparam);
}
