// A recording fake of the engine library's 23 functions for host tests.
//
// Every call is logged by name; messages, responses and registrations are kept so tests can play
// the engine: deliver a message to a channel's callback, answer a send, fire the next frame.
// One process-wide state, reset by each test.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine_client/engine_api.h"

namespace fake {

struct EngineApi {
  struct Callback {
    FlutterDesktopMessageCallback callback = nullptr;
    void* userData = nullptr;
  };
  struct Sent {
    std::string channel;
    std::vector<uint8_t> bytes;
    FlutterDesktopBinaryReply reply = nullptr;  // null for Send without reply
    void* userData = nullptr;
  };
  struct Response {
    const FlutterDesktopMessageResponseHandle* handle;
    std::vector<uint8_t> bytes;
  };

  // Switches tests set before the calls.
  bool failViewController = false;
  bool refuseSendWithReply = false;
  bool available = true;
  bool consumeWindowMessages = false;
  LRESULT consumedResult = 0;

  // What the calls left behind.
  std::vector<std::string> calls;
  std::vector<std::string> entrypointArguments;
  std::map<std::string, Callback> callbacks;
  std::vector<Sent> sent;
  std::vector<Response> responses;
  std::vector<std::string> registrarNames;
  int messengerReferences = 0;  // AddRef minus Release
  int locked = 0;
  VoidCallback nextFrame = nullptr;
  void* nextFrameUserData = nullptr;

  // Delivers `bytes` on `channel` as the engine would, with a fresh response handle, and
  // returns that handle. A channel without a callback gets nothing.
  const FlutterDesktopMessageResponseHandle* deliver(const std::string& channel,
                                                     const std::vector<uint8_t>& bytes);
  // Runs the pending next-frame callback once, as the engine does after a frame.
  void fireNextFrame();
  // Answers the send at `index` with `bytes`.
  void answer(size_t index, const std::vector<uint8_t>& bytes);
  int count(const std::string& call) const;

  std::vector<std::unique_ptr<int>> responseHandles;
};

// The state the fake functions work on; Reset() starts a test afresh.
EngineApi& Engine();
void ResetEngine();

// Handles the fake hands out.
FlutterDesktopEngineRef FakeEngineHandle();
FlutterDesktopMessengerRef FakeMessengerHandle();

}  // namespace fake
