// The 23 functions of the engine library, and the plugins' notice, over the stand-in objects.
// Every handle may be null: the call then fails quietly with a failure value.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "standin/engine/standin_engine.h"
#include "standin/engine/standin_plugin_api.h"

#include <shellscalingapi.h>

namespace {

std::string Environment(const char* name) {
  char value[64];
  const DWORD size = GetEnvironmentVariableA(name, value, sizeof value);
  return size > 0 && size < sizeof value ? std::string(value, size) : std::string();
}

FlutterDesktopEngine* EngineOf(FlutterDesktopMessengerRef messenger) {
  return messenger != nullptr ? messenger->engine : nullptr;
}

}  // namespace

extern "C" {

FlutterDesktopEngineRef FlutterDesktopEngineCreate(const FlutterDesktopEngineProperties* p) {
  if (p == nullptr) return nullptr;
  return new FlutterDesktopEngine(*p);
}

bool FlutterDesktopEngineDestroy(FlutterDesktopEngineRef engine) {
  if (engine == nullptr) return false;
  delete engine;
  return true;
}

FlutterDesktopMessengerRef FlutterDesktopEngineGetMessenger(FlutterDesktopEngineRef engine) {
  return engine != nullptr ? engine->messenger : nullptr;
}

FlutterDesktopPluginRegistrarRef FlutterDesktopEngineGetPluginRegistrar(
    FlutterDesktopEngineRef engine, const char* pluginName) {
  if (engine == nullptr || pluginName == nullptr) return nullptr;
  return engine->Registrar(pluginName);
}

void FlutterDesktopEngineReloadSystemFonts(FlutterDesktopEngineRef engine) {
  if (engine != nullptr) engine->ShowStatus("fonts", "reloaded");
}

void FlutterDesktopEngineSetNextFrameCallback(FlutterDesktopEngineRef engine, VoidCallback callback,
                                              void* userData) {
  if (engine == nullptr) return;
  engine->nextFrame = callback;
  engine->nextFrameUserData = userData;
}

bool FlutterDesktopMessengerSend(FlutterDesktopMessengerRef messenger, const char* channel,
                                 const uint8_t* message, size_t messageSize) {
  FlutterDesktopEngine* engine = EngineOf(messenger);
  if (engine == nullptr || channel == nullptr || (message == nullptr && messageSize > 0)) {
    return false;
  }
  return engine->SendToDart(channel, message, messageSize, nullptr, nullptr);
}

bool FlutterDesktopMessengerSendWithReply(FlutterDesktopMessengerRef messenger, const char* channel,
                                          const uint8_t* message, size_t messageSize,
                                          FlutterDesktopBinaryReply reply, void* userData) {
  FlutterDesktopEngine* engine = EngineOf(messenger);
  if (engine == nullptr || channel == nullptr || reply == nullptr ||
      (message == nullptr && messageSize > 0)) {
    return false;
  }
  return engine->SendToDart(channel, message, messageSize, reply, userData);
}

void FlutterDesktopMessengerSendResponse(FlutterDesktopMessengerRef messenger,
                                         const FlutterDesktopMessageResponseHandle* handle,
                                         const uint8_t* data, size_t dataSize) {
  if (messenger == nullptr || handle == nullptr) return;
  // The handle is answered once and freed here, as the engine library promises.
  std::unique_ptr<const FlutterDesktopMessageResponseHandle> owned(handle);
  std::lock_guard<std::recursive_mutex> guard(messenger->lock);
  if (messenger->engine == nullptr) return;
  std::vector<uint8_t> bytes;
  if (data != nullptr) bytes.assign(data, data + dataSize);
  owned->reply(bytes);
}

void FlutterDesktopMessengerSetCallback(FlutterDesktopMessengerRef messenger, const char* channel,
                                        FlutterDesktopMessageCallback callback, void* userData) {
  FlutterDesktopEngine* engine = EngineOf(messenger);
  if (engine != nullptr && channel != nullptr) engine->SetCallback(channel, callback, userData);
}

FlutterDesktopMessengerRef FlutterDesktopMessengerAddRef(FlutterDesktopMessengerRef messenger) {
  if (messenger != nullptr) ++messenger->references;
  return messenger;
}

void FlutterDesktopMessengerRelease(FlutterDesktopMessengerRef messenger) {
  if (messenger != nullptr && --messenger->references == 0) delete messenger;
}

FlutterDesktopMessengerRef FlutterDesktopMessengerLock(FlutterDesktopMessengerRef messenger) {
  if (messenger == nullptr) return nullptr;
  messenger->lock.lock();
  return messenger;
}

void FlutterDesktopMessengerUnlock(FlutterDesktopMessengerRef messenger) {
  if (messenger != nullptr) messenger->lock.unlock();
}

bool FlutterDesktopMessengerIsAvailable(FlutterDesktopMessengerRef messenger) {
  return EngineOf(messenger) != nullptr;
}

FlutterDesktopViewControllerRef FlutterDesktopViewControllerCreate(int width, int height,
                                                                   FlutterDesktopEngineRef engine) {
  if (engine == nullptr) return nullptr;
  // The controller takes the engine over even when it fails, so nothing leaks.
  std::unique_ptr<FlutterDesktopEngine> owned(engine);
  if (Environment("MURMURLY_STANDIN_FAIL") == "view-controller") return nullptr;
  owned->Run(width, height);
  return new FlutterDesktopViewController{std::move(owned)};
}

void FlutterDesktopViewControllerDestroy(FlutterDesktopViewControllerRef controller) {
  delete controller;
}

FlutterDesktopViewRef FlutterDesktopViewControllerGetView(
    FlutterDesktopViewControllerRef controller) {
  return controller != nullptr ? &controller->engine->view : nullptr;
}

HWND FlutterDesktopViewGetHWND(FlutterDesktopViewRef view) {
  return view != nullptr ? view->window : nullptr;
}

void FlutterDesktopViewControllerForceRedraw(FlutterDesktopViewControllerRef controller) {
  if (controller == nullptr) return;
  FlutterDesktopEngine* engine = controller->engine.get();
  engine->PostTask([engine] { engine->ProduceFrame(); });
}

bool FlutterDesktopViewControllerHandleTopLevelWindowProc(
    FlutterDesktopViewControllerRef controller, HWND hwnd, UINT message, WPARAM wparam, LPARAM,
    LRESULT*) {
  if (controller != nullptr) controller->engine->WatchTopLevel(hwnd, message, wparam);
  return false;
}

UINT FlutterDesktopGetDpiForMonitor(HMONITOR monitor) {
  const std::string forced = Environment("MURMURLY_STANDIN_DPI");
  if (!forced.empty()) {
    const int dpi = std::atoi(forced.c_str());
    if (dpi > 0) return static_cast<UINT>(dpi);
  }
  UINT x = 0;
  UINT y = 0;
  if (monitor != nullptr && SUCCEEDED(GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &x, &y))) {
    return x;
  }
  return 96;  // An unknown monitor is taken as 100 %.
}

// The stand-in shares the C runtime with the executable, so its stderr already is the reopened
// stream; flushing keeps earlier output in order.
void FlutterDesktopResyncOutputStreams() { std::fflush(stderr); }

void MurmurlyStandinPluginCalled(FlutterDesktopPluginRegistrarRef registrar,
                                 const char* pluginName) {
  if (pluginName == nullptr || !IsLiveRegistrar(registrar)) return;
  registrar->engine->Notice(std::string("plugin ") + pluginName);
}

}  // extern "C"
