#include "engine_client/method_channel.h"

#include <iostream>
#include <utility>

#include "engine_client/engine_method_result.h"

MethodChannel::MethodChannel(BinaryMessenger* messenger, std::string name,
                             const StandardMethodCodec* codec)
    : messenger(messenger), name(std::move(name)), codec(codec) {}

void MethodChannel::SetMethodCallHandler(MethodCallHandlerFn handler) const {
  if (!handler) {
    messenger->SetMessageHandler(name, nullptr);
    return;
  }
  const MethodCodec* methodCodec = codec;
  messenger->SetMessageHandler(
      name, [handler = std::move(handler), methodCodec, channel = name](
                const uint8_t* message, size_t messageSize, BinaryReplyFn reply) {
        auto result = std::make_unique<EngineMethodResult>(std::move(reply), methodCodec);
        std::unique_ptr<MethodCall> call = methodCodec->DecodeMethodCall(message, messageSize);
        if (!call) {
          std::cerr << "Unable to construct method call from message on channel " << channel
                    << std::endl;
          result->NotImplemented();
          return;
        }
        handler(*call, std::move(result));
      });
}

void MethodChannel::InvokeMethod(const std::string& method,
                                 std::unique_ptr<EncodableValue> arguments,
                                 std::unique_ptr<MethodResult> result) const {
  MethodCall call(method, std::move(arguments));
  std::unique_ptr<std::vector<uint8_t>> message = codec->EncodeMethodCall(call);
  if (!result) {
    messenger->Send(name, message->data(), message->size(), nullptr);
    return;
  }
  std::shared_ptr<MethodResult> shared(std::move(result));
  const MethodCodec* methodCodec = codec;
  messenger->Send(
      name, message->data(), message->size(),
      [shared, methodCodec, channel = name](const uint8_t* reply, size_t replySize) {
        if (replySize == 0) {
          shared->NotImplemented();
          return;
        }
        if (!methodCodec->DecodeAndProcessResponseEnvelope(reply, replySize, shared.get())) {
          std::cerr << "Unable to decode reply to method invocation on channel " << channel
                    << std::endl;
          shared->NotImplemented();
        }
      });
}
