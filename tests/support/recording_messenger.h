// RecordingMessenger: a BinaryMessenger without an engine. It keeps the handler of each channel,
// delivers raw messages to them as the engine would, and records every message sent, so channel
// tests can compare bytes on the wire in both directions.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine_client/binary_messenger.h"
#include "engine_client/method_call.h"
#include "engine_client/standard_method_codec.h"

namespace fake {

class RecordingMessenger final : public BinaryMessenger {
 public:
  struct Sent {
    std::string channel;
    std::vector<std::uint8_t> bytes;
    bool withReply;
  };

  void Send(const std::string& channel, const std::uint8_t* message, std::size_t messageSize,
            BinaryReplyFn reply) override {
    sent.push_back({channel, std::vector<std::uint8_t>(message, message + messageSize),
                    static_cast<bool>(reply)});
    if (onSend) {
      onSend(sent.back());
    }
  }

  void SetMessageHandler(const std::string& channel, BinaryMessageHandlerFn handler) override {
    if (handler) {
      handlers[channel] = std::move(handler);
    } else {
      handlers.erase(channel);
    }
  }

  // Delivers one message to the channel's handler; `replied` tells whether any reply came back
  // before the handler returned (an empty reply is still a reply).
  std::vector<std::uint8_t> deliver(const std::string& channel,
                                    const std::vector<std::uint8_t>& message,
                                    bool* replied = nullptr) {
    std::vector<std::uint8_t> reply;
    bool answered = false;
    handlers.at(channel)(message.data(), message.size(),
                         [&reply, &answered](const std::uint8_t* bytes, std::size_t size) {
                           answered = true;
                           reply.assign(bytes, bytes + size);
                         });
    if (replied != nullptr) {
      *replied = answered;
    }
    return reply;
  }

  // The method name of a sent method call, "" when the bytes are not one.
  static std::string methodName(const Sent& message) {
    const auto call = StandardMethodCodec::GetInstance().DecodeMethodCall(message.bytes.data(),
                                                                          message.bytes.size());
    return call != nullptr ? call->MethodName() : std::string();
  }

  // Runs after each message is recorded, e.g. to merge events into a test's ordered log.
  std::function<void(const Sent&)> onSend;
  std::map<std::string, BinaryMessageHandlerFn> handlers;
  std::vector<Sent> sent;
};

}  // namespace fake
