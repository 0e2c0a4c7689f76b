// EngineMethodResult: the MethodResult that answers an incoming engine message. Its ReplyGuard
// hands the encoded reply to the message's reply callable exactly once; a second answer, or
// destruction without any, is reported on standard error and sends nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine_client/method_codec.h"
#include "engine_client/method_result.h"

// Receives a reply's bytes; a null pointer with size 0 is the empty (not implemented) reply.
using BinaryReplyFn = std::function<void(const uint8_t* reply, size_t replySize)>;

class ReplyGuard {
 public:
  explicit ReplyGuard(BinaryReplyFn reply);
  // Still armed: reports the leak. The reply callable is then destroyed unanswered.
  ~ReplyGuard();
  ReplyGuard(const ReplyGuard&) = delete;
  ReplyGuard& operator=(const ReplyGuard&) = delete;

  // Sends `data` (null or empty: the empty reply) and disarms; once disarmed, reports instead.
  void SendResponseData(const std::vector<uint8_t>* data);

 private:
  BinaryReplyFn reply_;
};

class EngineMethodResult : public MethodResult {
 public:
  // `codec` encodes the reply envelopes; it is shared and outlives the result.
  EngineMethodResult(BinaryReplyFn reply, const MethodCodec* codec);
  ~EngineMethodResult() override;

 protected:
  void SuccessInternal(const EncodableValue* result) override;
  void ErrorInternal(const std::string& code, const std::string& message,
                     const EncodableValue* details) override;
  void NotImplementedInternal() override;

 private:
  std::unique_ptr<ReplyGuard> replyGuard_;
  const MethodCodec* codec_;
};
