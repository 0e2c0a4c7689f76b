// The stand-in engine's objects behind the opaque handles of engine_api.h.
//
// One engine per FlutterDesktopEngineCreate, living on the thread that created it. The
// messenger outlives it while the shell holds references, and reports itself unavailable once
// the engine is gone.
#pragma once

// Before <windows.h>, which would otherwise pull in the old winsock.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine_client/engine_api.h"
#include "standin/engine/dart_side.h"
#include "standin/engine/engine_host.h"
#include "standin/engine/task_queue.h"

struct FlutterDesktopMessenger {
  // Recursive: the shell answers messages while it holds the lock.
  std::recursive_mutex lock;
  std::atomic<int> references{1};
  FlutterDesktopEngine* engine = nullptr;  // null once the engine is gone
};

struct _FlutterPlatformMessageResponseHandle {  // NOLINT(bugprone-reserved-identifier)
  standin::ReplyFn reply;
};

struct FlutterDesktopPluginRegistrar {
  FlutterDesktopEngine* engine;
  std::string name;
};

struct FlutterDesktopView {
  HWND window = nullptr;
};

struct FlutterDesktopEngine : standin::EngineHost {
  explicit FlutterDesktopEngine(const FlutterDesktopEngineProperties& properties);
  ~FlutterDesktopEngine() override;

  // EngineHost.
  void DeliverFromDart(const std::string& channel, const std::vector<uint8_t>& message,
                       standin::ReplyFn reply) override;
  void PostTask(std::function<void()> task) override { tasks.Post(std::move(task)); }
  void PostDelayedTask(unsigned milliseconds, std::function<void()> task) override {
    tasks.PostDelayed(milliseconds, std::move(task));
  }
  void ProduceFrame() override;
  void CloseTopLevelWindow() override;
  void ShowStatus(const std::string& key, const std::string& value) override;
  const std::vector<std::string>& EntrypointArguments() const override { return arguments; }

  void Notice(const std::string& line);
  // Any thread: the shell answered a message from Dart. Delivered on the platform thread, and at
  // the latest when the engine is destroyed: a reply sent before that is never lost.
  void QueueReply(standin::ReplyFn reply, std::vector<uint8_t> bytes);
  // Platform thread.
  void DeliverReplies();
  void SetCallback(const std::string& channel, FlutterDesktopMessageCallback callback,
                   void* userData);
  bool SendToDart(const std::string& channel, const uint8_t* message, size_t size,
                  FlutterDesktopBinaryReply reply, void* userData);
  FlutterDesktopPluginRegistrar* Registrar(const std::string& name);
  // Creates the view and runs the Dart side; platform thread.
  void Run(int width, int height);
  void WatchTopLevel(HWND window, UINT message, WPARAM wparam);
  void Paint(HDC dc, const RECT& area) const;

  std::vector<std::string> arguments;
  standin::TaskQueue tasks;
  std::mutex replyLock;  // guards `replies`
  std::deque<std::pair<standin::ReplyFn, std::vector<uint8_t>>> replies;
  FlutterDesktopMessenger* messenger;
  std::unique_ptr<standin::DartSide> dart;
  std::map<std::string, std::pair<FlutterDesktopMessageCallback, void*>> callbacks;
  std::map<std::string, std::unique_ptr<FlutterDesktopPluginRegistrar>> registrars;
  FlutterDesktopView view;
  HWND topLevel = nullptr;
  bool closeWanted = false;
  bool topLevelVisible = false;
  bool inNextFrameCallback = false;
  VoidCallback nextFrame = nullptr;
  void* nextFrameUserData = nullptr;
  int frames = 0;
  std::map<std::string, std::string> status;
  std::deque<std::string> events;
};

struct FlutterDesktopViewController {
  std::unique_ptr<FlutterDesktopEngine> engine;
};

// Whether `registrar` belongs to an engine alive in this process; checked before a registrar a
// plugin hands back is touched.
bool IsLiveRegistrar(const FlutterDesktopPluginRegistrar* registrar);

// Whether `engine` has been created and not yet destroyed; checked where a caller may hand back
// an engine handle that a failed view-controller creation already destroyed.
bool IsLiveEngine(const FlutterDesktopEngine* engine);
