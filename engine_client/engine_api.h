// The engine library's exported functions, declared by us, and the records they take.
//
// flutter_windows.dll (the real engine or the stand-in in standin/engine/) exports exactly these
// 23 functions. The engine client wrappers are their only callers; handles are opaque. On the
// host nothing is imported: tests link a recording fake of the same functions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

// MURMURLY_ENGINE_LINKED_IN: a Windows test links the functions into its own executable (the
// recording fake) instead of importing them from the library.
#if defined(_WIN32) && defined(MURMURLY_ENGINE_EXPORTS)
#define MURMURLY_ENGINE_API __declspec(dllexport)
#elif defined(_WIN32) && !defined(MURMURLY_ENGINE_LINKED_IN)
#define MURMURLY_ENGINE_API __declspec(dllimport)
#else
#define MURMURLY_ENGINE_API
#endif

extern "C" {

struct FlutterDesktopEngine;
struct FlutterDesktopMessenger;
struct FlutterDesktopViewController;
struct FlutterDesktopView;
struct FlutterDesktopPluginRegistrar;
// The engine's own name for the record behind a response handle.
typedef struct _FlutterPlatformMessageResponseHandle  // NOLINT(bugprone-reserved-identifier)
    FlutterDesktopMessageResponseHandle;

using FlutterDesktopEngineRef = FlutterDesktopEngine*;
using FlutterDesktopMessengerRef = FlutterDesktopMessenger*;
using FlutterDesktopViewControllerRef = FlutterDesktopViewController*;
using FlutterDesktopViewRef = FlutterDesktopView*;
using FlutterDesktopPluginRegistrarRef = FlutterDesktopPluginRegistrar*;

// Everything the engine needs to start. Fields the shell does not fill stay zero. The SDK's
// record declares the last two as 4-byte enums, and newer SDKs append more fields: the shell
// zero-initialises it and sets fields by name, so it fills whichever record it is built with.
struct FlutterDesktopEngineProperties {
  const wchar_t* assets_path;
  const wchar_t* icu_data_path;
  const wchar_t* aot_library_path;
  const char* dart_entrypoint;
  int dart_entrypoint_argc;
  const char** dart_entrypoint_argv;
  int32_t gpu_preference;
  int32_t ui_thread_policy;
};
// The SDK's layout on x64, which the stand-in reads: the arguments end at 48, the enums follow.
static_assert(sizeof(void*) != 8 || offsetof(FlutterDesktopEngineProperties, gpu_preference) == 48);

// One platform message from the Dart side, valid only during the callback that receives it.
struct FlutterDesktopMessage {
  size_t struct_size;
  const char* channel;
  const uint8_t* message;
  size_t message_size;
  const FlutterDesktopMessageResponseHandle* response_handle;
};

using FlutterDesktopMessageCallback = void (*)(FlutterDesktopMessengerRef messenger,
                                               const FlutterDesktopMessage* message,
                                               void* userData);
using FlutterDesktopBinaryReply = void (*)(const uint8_t* data, size_t dataSize, void* userData);
using VoidCallback = void (*)(void* userData);

// Engine.
MURMURLY_ENGINE_API FlutterDesktopEngineRef
FlutterDesktopEngineCreate(const FlutterDesktopEngineProperties* properties);
MURMURLY_ENGINE_API bool FlutterDesktopEngineDestroy(FlutterDesktopEngineRef engine);
MURMURLY_ENGINE_API FlutterDesktopMessengerRef
FlutterDesktopEngineGetMessenger(FlutterDesktopEngineRef engine);
MURMURLY_ENGINE_API FlutterDesktopPluginRegistrarRef
FlutterDesktopEngineGetPluginRegistrar(FlutterDesktopEngineRef engine, const char* pluginName);
MURMURLY_ENGINE_API void FlutterDesktopEngineReloadSystemFonts(FlutterDesktopEngineRef engine);
MURMURLY_ENGINE_API void FlutterDesktopEngineSetNextFrameCallback(FlutterDesktopEngineRef engine,
                                                                  VoidCallback callback,
                                                                  void* userData);

// Messenger.
MURMURLY_ENGINE_API bool FlutterDesktopMessengerSend(FlutterDesktopMessengerRef messenger,
                                                     const char* channel, const uint8_t* message,
                                                     size_t messageSize);
MURMURLY_ENGINE_API bool FlutterDesktopMessengerSendWithReply(
    FlutterDesktopMessengerRef messenger, const char* channel, const uint8_t* message,
    size_t messageSize, FlutterDesktopBinaryReply reply, void* userData);
MURMURLY_ENGINE_API void FlutterDesktopMessengerSendResponse(
    FlutterDesktopMessengerRef messenger, const FlutterDesktopMessageResponseHandle* handle,
    const uint8_t* data, size_t dataSize);
MURMURLY_ENGINE_API void FlutterDesktopMessengerSetCallback(FlutterDesktopMessengerRef messenger,
                                                            const char* channel,
                                                            FlutterDesktopMessageCallback callback,
                                                            void* userData);
MURMURLY_ENGINE_API FlutterDesktopMessengerRef
FlutterDesktopMessengerAddRef(FlutterDesktopMessengerRef messenger);
MURMURLY_ENGINE_API void FlutterDesktopMessengerRelease(FlutterDesktopMessengerRef messenger);
MURMURLY_ENGINE_API FlutterDesktopMessengerRef
FlutterDesktopMessengerLock(FlutterDesktopMessengerRef messenger);
MURMURLY_ENGINE_API void FlutterDesktopMessengerUnlock(FlutterDesktopMessengerRef messenger);
MURMURLY_ENGINE_API bool FlutterDesktopMessengerIsAvailable(FlutterDesktopMessengerRef messenger);

// View controller and view.
MURMURLY_ENGINE_API FlutterDesktopViewControllerRef
FlutterDesktopViewControllerCreate(int width, int height, FlutterDesktopEngineRef engine);
MURMURLY_ENGINE_API void FlutterDesktopViewControllerDestroy(
    FlutterDesktopViewControllerRef controller);
MURMURLY_ENGINE_API FlutterDesktopViewRef
FlutterDesktopViewControllerGetView(FlutterDesktopViewControllerRef controller);
MURMURLY_ENGINE_API HWND FlutterDesktopViewGetHWND(FlutterDesktopViewRef view);
MURMURLY_ENGINE_API void FlutterDesktopViewControllerForceRedraw(
    FlutterDesktopViewControllerRef controller);
MURMURLY_ENGINE_API bool FlutterDesktopViewControllerHandleTopLevelWindowProc(
    FlutterDesktopViewControllerRef controller, HWND hwnd, UINT message, WPARAM wparam,
    LPARAM lparam, LRESULT* result);

// Other.
MURMURLY_ENGINE_API UINT FlutterDesktopGetDpiForMonitor(HMONITOR monitor);
MURMURLY_ENGINE_API void FlutterDesktopResyncOutputStreams();

}  // extern "C"
