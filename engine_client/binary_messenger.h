// BinaryMessenger: byte-level platform messages, one handler per channel name.
//
// Channels (MethodChannel) are built over it; the engine wrapper owns the implementation that
// talks to the engine, and tests substitute their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// BinaryReplyFn: called with the reply bytes; a null pointer with count 0 is the empty reply.
#include "engine_client/engine_method_result.h"

using BinaryMessageHandlerFn =
    std::function<void(const uint8_t* message, size_t messageSize, BinaryReplyFn reply)>;

class BinaryMessenger {
 public:
  virtual ~BinaryMessenger() = default;

  // Sends a message; an empty `reply` asks for no answer.
  virtual void Send(const std::string& channel, const uint8_t* message, size_t messageSize,
                    BinaryReplyFn reply) = 0;

  // Installs the channel's handler, replacing any earlier one; an empty handler removes it.
  virtual void SetMessageHandler(const std::string& channel, BinaryMessageHandlerFn handler) = 0;
};
