#include "engine_client/engine_method_result.h"

#include <iostream>
#include <utility>

ReplyGuard::ReplyGuard(BinaryReplyFn reply) : reply_(std::move(reply)) {}

ReplyGuard::~ReplyGuard() {
  if (reply_) {
    std::cerr << "Warning: Failed to respond to a message. This is a memory leak." << std::endl;
  }
}

void ReplyGuard::SendResponseData(const std::vector<uint8_t>* data) {
  if (!reply_) {
    std::cerr << "Error: Only one of Success, Error, or NotImplemented can be called,"
              << " and it can be called exactly once. Ignoring duplicate result." << std::endl;
    return;
  }
  const uint8_t* bytes = data != nullptr && !data->empty() ? data->data() : nullptr;
  const size_t size = data != nullptr ? data->size() : 0;
  // Disarm before calling, so a reply callable that answers again re-entrantly is refused.
  BinaryReplyFn reply = std::move(reply_);
  reply_ = nullptr;
  reply(bytes, size);
}

EngineMethodResult::EngineMethodResult(BinaryReplyFn reply, const MethodCodec* codec)
    : replyGuard_(std::make_unique<ReplyGuard>(std::move(reply))), codec_(codec) {}

EngineMethodResult::~EngineMethodResult() = default;

void EngineMethodResult::SuccessInternal(const EncodableValue* result) {
  const auto envelope = codec_->EncodeSuccessEnvelope(result);
  replyGuard_->SendResponseData(envelope.get());
}

void EngineMethodResult::ErrorInternal(const std::string& code, const std::string& message,
                                       const EncodableValue* details) {
  const auto envelope = codec_->EncodeErrorEnvelope(code, message, details);
  replyGuard_->SendResponseData(envelope.get());
}

void EngineMethodResult::NotImplementedInternal() { replyGuard_->SendResponseData(nullptr); }
