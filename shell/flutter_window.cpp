#include "shell/flutter_window.h"

#include "hotkey/hotkey_channel.h"
#include "permissions/permissions_channel.h"
#include "platform/trace.h"
#include "platform/win32/win32_platform.h"
#include "shell/plugin_registration.h"
#ifndef MURMURLY_FLUTTER_SDK
#include "shell/standin_requests.h"
#endif

namespace {

// The opening size in logical pixels, also the smallest the user may shrink the window to.
constexpr double kMinimumWidth = 1200.0;
constexpr double kMinimumHeight = 750.0;

}  // namespace

FlutterWindow::FlutterWindow(const EngineProject& project)
    : project(project), paste(platform::Win32Platform()), hotkey(platform::Win32Platform()) {}

// A WM_QUIT that came without WM_DESTROY ended the loop with the engine still running: it goes
// now, in the same order, while every member it needs is alive.
FlutterWindow::~FlutterWindow() { ShutDownEngine(); }

bool FlutterWindow::OnCreated() {
  if (!Win32Window::OnCreated()) return false;
  platform::Trace& trace = platform::Win32Trace();
  trace.mark(platform::phase::kWindowCreated);
  const RECT frame = ClientArea();
  viewController = std::make_unique<FlutterViewController>(frame.right - frame.left,
                                                           frame.bottom - frame.top, project);
  if (!viewController->GetEngine() || !viewController->GetView()) {
    // Its engine handle was given up to the failed creation: nothing may reach it later.
    viewController.reset();
    return false;
  }
  trace.mark(platform::phase::kEngineRunning);

  FlutterEngine* engine = viewController->GetEngine().get();
  RegisterAllPlugins(engine);
  RegisterHotkeyChannel(hotkey, paste, engine->GetMessenger());
  RegisterPermissionsChannel(permissionsChannel, engine->GetMessenger(), platform::Win32Platform());
  sessionWatch = std::make_unique<SessionWatch>(GetHandle());
#ifndef MURMURLY_FLUTTER_SDK
  OfferStandinRequests(hotkey);
#endif

  SetContent(viewController->GetView()->GetNativeWindow());
  engine->SetNextFrameCallback([this, trace = &trace]() {
    trace->mark(platform::phase::kFirstFrame);
    Show();
    trace->mark(platform::phase::kWindowVisible);
    // Now, not inside the first "pasteText": its creation would hold that call for milliseconds.
    paste.start();
  });
  viewController->ForceRedraw();
  return true;
}

void FlutterWindow::OnDestroyed() {
  ShutDownEngine();
  Win32Window::OnDestroyed();
}

void FlutterWindow::ShutDownEngine() {
  if (viewController) {
    // The paste puts the user's clipboard back and answers its pending calls while the engine
    // still runs; nothing it posted is handled afterwards.
    paste.stop();
    // The messenger dies with the engine, but the hook and timers run until the controller's
    // own teardown: cut them off from the channel first so nothing is sent into a dead engine.
#ifndef MURMURLY_FLUTTER_SDK
    WithdrawStandinRequests();
#endif
    sessionWatch.reset();
    hotkey.stopListening();
    hotkey.detachChannel();
    std::unique_ptr<FlutterViewController> dying = std::move(viewController);
    dying.reset();
  }
}

LRESULT FlutterWindow::HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (viewController) {
    if (auto result = viewController->HandleTopLevelWindowProc(hwnd, message, wparam, lparam)) {
      return *result;
    }
  }
  hotkey.noteWindowMessage(hwnd, message, wparam, lparam);

  switch (message) {
    case WM_CLOSE:
      // Queued pastes would go on typing into other windows while the window goes.
      paste.closeQueue();
      break;
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
