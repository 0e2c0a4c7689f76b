// MethodCodec: how method calls and their reply envelopes become bytes and back. Channels hold a
// plain pointer to a shared codec; codecs live until process exit. Each public operation forwards
// to its protected virtual, so implementations only supply the byte layouts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine_client/encodable_value.h"
#include "engine_client/method_call.h"
#include "engine_client/method_result.h"

class MethodCodec {
 public:
  MethodCodec() = default;
  virtual ~MethodCodec() = default;
  MethodCodec(const MethodCodec&) = delete;
  MethodCodec& operator=(const MethodCodec&) = delete;

  // Null when the bytes are not a method call (reported on standard error).
  std::unique_ptr<MethodCall> DecodeMethodCall(const uint8_t* message, size_t messageSize) const {
    return DecodeMethodCallInternal(message, messageSize);
  }

  std::unique_ptr<std::vector<uint8_t>> EncodeMethodCall(const MethodCall& call) const {
    return EncodeMethodCallInternal(call);
  }

  // `result` null: the reply carries null.
  std::unique_ptr<std::vector<uint8_t>> EncodeSuccessEnvelope(
      const EncodableValue* result = nullptr) const {
    return EncodeSuccessEnvelopeInternal(result);
  }

  std::unique_ptr<std::vector<uint8_t>> EncodeErrorEnvelope(
      const std::string& code, const std::string& message = "",
      const EncodableValue* details = nullptr) const {
    return EncodeErrorEnvelopeInternal(code, message, details);
  }

  // True when the envelope was understood and handed to `result`; false leaves `result` untouched.
  bool DecodeAndProcessResponseEnvelope(const uint8_t* response, size_t responseSize,
                                        MethodResult* result) const {
    return DecodeAndProcessResponseEnvelopeInternal(response, responseSize, result);
  }

 protected:
  virtual std::unique_ptr<MethodCall> DecodeMethodCallInternal(const uint8_t* message,
                                                               size_t messageSize) const = 0;
  virtual std::unique_ptr<std::vector<uint8_t>> EncodeMethodCallInternal(
      const MethodCall& call) const = 0;
  virtual std::unique_ptr<std::vector<uint8_t>> EncodeSuccessEnvelopeInternal(
      const EncodableValue* result) const = 0;
  virtual std::unique_ptr<std::vector<uint8_t>> EncodeErrorEnvelopeInternal(
      const std::string& code, const std::string& message, const EncodableValue* details) const = 0;
  virtual bool DecodeAndProcessResponseEnvelopeInternal(const uint8_t* response,
                                                        size_t responseSize,
                                                        MethodResult* result) const = 0;
};
