// StandardMethodCodec: the standard method codec's call and reply-envelope layouts over a
// StandardCodecSerializer's value encoding. Shared: one codec per serializer, created on first use
// on the platform thread and kept until process exit, so channels may keep plain pointers to it.
#pragma once

#include "engine_client/method_codec.h"
#include "engine_client/standard_codec_serializer.h"

class StandardMethodCodec final : public MethodCodec {
 public:
  // The codec over `serializer`, or over the shared standard serializer when none is given.
  static const StandardMethodCodec& GetInstance(
      const StandardCodecSerializer* serializer = nullptr);

 protected:
  std::unique_ptr<MethodCall> DecodeMethodCallInternal(const uint8_t* message,
                                                       size_t messageSize) const override;
  std::unique_ptr<std::vector<uint8_t>> EncodeMethodCallInternal(
      const MethodCall& call) const override;
  std::unique_ptr<std::vector<uint8_t>> EncodeSuccessEnvelopeInternal(
      const EncodableValue* result) const override;
  std::unique_ptr<std::vector<uint8_t>> EncodeErrorEnvelopeInternal(
      const std::string& code, const std::string& message,
      const EncodableValue* details) const override;
  bool DecodeAndProcessResponseEnvelopeInternal(const uint8_t* response, size_t responseSize,
                                                MethodResult* result) const override;

 private:
  explicit StandardMethodCodec(const StandardCodecSerializer* serializer)
      : serializer_(serializer) {}

  const StandardCodecSerializer* serializer_;
};
