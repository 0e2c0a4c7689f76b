#include "tests/support/fake_engine_api.h"

#include <algorithm>

namespace fake {
namespace {

EngineApi* state = new EngineApi();

// Distinct addresses serve as opaque handles.
char engineToken, messengerToken, controllerToken, viewToken, registrarToken, windowToken;

void Log(const char* name) { state->calls.emplace_back(name); }

}  // namespace

EngineApi& Engine() { return *state; }

void ResetEngine() {
  delete state;
  state = new EngineApi();
}

FlutterDesktopEngineRef FakeEngineHandle() {
  return reinterpret_cast<FlutterDesktopEngineRef>(&engineToken);
}
FlutterDesktopMessengerRef FakeMessengerHandle() {
  return reinterpret_cast<FlutterDesktopMessengerRef>(&messengerToken);
}

const FlutterDesktopMessageResponseHandle* EngineApi::deliver(const std::string& channel,
                                                              const std::vector<uint8_t>& bytes) {
  responseHandles.push_back(std::make_unique<int>(0));
  auto* handle =
      reinterpret_cast<const FlutterDesktopMessageResponseHandle*>(responseHandles.back().get());
  auto found = callbacks.find(channel);
  if (found == callbacks.end()) return handle;
  FlutterDesktopMessage message{sizeof(FlutterDesktopMessage), channel.c_str(), bytes.data(),
                                bytes.size(), handle};
  found->second.callback(FakeMessengerHandle(), &message, found->second.userData);
  return handle;
}

void EngineApi::fireNextFrame() {
  if (nextFrame != nullptr) nextFrame(nextFrameUserData);
}

void EngineApi::answer(size_t index, const std::vector<uint8_t>& bytes) {
  const Sent& message = sent.at(index);
  message.reply(bytes.empty() ? nullptr : bytes.data(), bytes.size(), message.userData);
}

int EngineApi::count(const std::string& call) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

}  // namespace fake

using fake::Log;
using fake::state;

extern "C" {

FlutterDesktopEngineRef FlutterDesktopEngineCreate(const FlutterDesktopEngineProperties* p) {
  Log("FlutterDesktopEngineCreate");
  for (int i = 0; i < p->dart_entrypoint_argc; ++i) {
    state->entrypointArguments.emplace_back(p->dart_entrypoint_argv[i]);
  }
  return fake::FakeEngineHandle();
}
bool FlutterDesktopEngineDestroy(FlutterDesktopEngineRef) {
  Log("FlutterDesktopEngineDestroy");
  return true;
}
FlutterDesktopMessengerRef FlutterDesktopEngineGetMessenger(FlutterDesktopEngineRef) {
  Log("FlutterDesktopEngineGetMessenger");
  return fake::FakeMessengerHandle();
}
FlutterDesktopPluginRegistrarRef FlutterDesktopEngineGetPluginRegistrar(FlutterDesktopEngineRef,
                                                                        const char* name) {
  Log("FlutterDesktopEngineGetPluginRegistrar");
  state->registrarNames.emplace_back(name);
  return reinterpret_cast<FlutterDesktopPluginRegistrarRef>(&fake::registrarToken);
}
void FlutterDesktopEngineReloadSystemFonts(FlutterDesktopEngineRef) {
  Log("FlutterDesktopEngineReloadSystemFonts");
}
void FlutterDesktopEngineSetNextFrameCallback(FlutterDesktopEngineRef, VoidCallback callback,
                                              void* userData) {
  Log("FlutterDesktopEngineSetNextFrameCallback");
  state->nextFrame = callback;
  state->nextFrameUserData = userData;
}
bool FlutterDesktopMessengerSend(FlutterDesktopMessengerRef, const char* channel,
                                 const uint8_t* message, size_t size) {
  Log("FlutterDesktopMessengerSend");
  state->sent.push_back({channel, std::vector<uint8_t>(message, message + size), nullptr, nullptr});
  return true;
}
bool FlutterDesktopMessengerSendWithReply(FlutterDesktopMessengerRef, const char* channel,
                                          const uint8_t* message, size_t size,
                                          FlutterDesktopBinaryReply reply, void* userData) {
  Log("FlutterDesktopMessengerSendWithReply");
  if (state->refuseSendWithReply) return false;
  state->sent.push_back({channel, std::vector<uint8_t>(message, message + size), reply, userData});
  return true;
}
void FlutterDesktopMessengerSendResponse(FlutterDesktopMessengerRef,
                                         const FlutterDesktopMessageResponseHandle* handle,
                                         const uint8_t* data, size_t size) {
  Log("FlutterDesktopMessengerSendResponse");
  state->responses.push_back({handle, std::vector<uint8_t>(data, data + size)});
}
void FlutterDesktopMessengerSetCallback(FlutterDesktopMessengerRef, const char* channel,
                                        FlutterDesktopMessageCallback callback, void* userData) {
  Log("FlutterDesktopMessengerSetCallback");
  if (callback == nullptr) {
    state->callbacks.erase(channel);
  } else {
    state->callbacks[channel] = {callback, userData};
  }
}
FlutterDesktopMessengerRef FlutterDesktopMessengerAddRef(FlutterDesktopMessengerRef messenger) {
  ++state->messengerReferences;
  return messenger;
}
void FlutterDesktopMessengerRelease(FlutterDesktopMessengerRef) { --state->messengerReferences; }
FlutterDesktopMessengerRef FlutterDesktopMessengerLock(FlutterDesktopMessengerRef messenger) {
  ++state->locked;
  return messenger;
}
void FlutterDesktopMessengerUnlock(FlutterDesktopMessengerRef) { --state->locked; }
bool FlutterDesktopMessengerIsAvailable(FlutterDesktopMessengerRef) {
  // Availability is only meaningful under the lock.
  return state->locked > 0 && state->available;
}
FlutterDesktopViewControllerRef FlutterDesktopViewControllerCreate(int, int,
                                                                   FlutterDesktopEngineRef) {
  Log("FlutterDesktopViewControllerCreate");
  if (state->failViewController) return nullptr;
  return reinterpret_cast<FlutterDesktopViewControllerRef>(&fake::controllerToken);
}
void FlutterDesktopViewControllerDestroy(FlutterDesktopViewControllerRef) {
  Log("FlutterDesktopViewControllerDestroy");
}
FlutterDesktopViewRef FlutterDesktopViewControllerGetView(FlutterDesktopViewControllerRef) {
  Log("FlutterDesktopViewControllerGetView");
  return reinterpret_cast<FlutterDesktopViewRef>(&fake::viewToken);
}
HWND FlutterDesktopViewGetHWND(FlutterDesktopViewRef) {
  Log("FlutterDesktopViewGetHWND");
  return reinterpret_cast<HWND>(&fake::windowToken);
}
void FlutterDesktopViewControllerForceRedraw(FlutterDesktopViewControllerRef) {
  Log("FlutterDesktopViewControllerForceRedraw");
}
bool FlutterDesktopViewControllerHandleTopLevelWindowProc(FlutterDesktopViewControllerRef, HWND,
                                                          UINT, WPARAM, LPARAM, LRESULT* result) {
  Log("FlutterDesktopViewControllerHandleTopLevelWindowProc");
  if (!state->consumeWindowMessages) return false;
  *result = state->consumedResult;
  return true;
}
UINT FlutterDesktopGetDpiForMonitor(HMONITOR) { return 96; }
void FlutterDesktopResyncOutputStreams() { Log("FlutterDesktopResyncOutputStreams"); }

}  // extern "C"
