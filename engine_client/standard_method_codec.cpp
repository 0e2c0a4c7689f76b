#include "engine_client/standard_method_codec.h"

#include <iostream>
#include <map>

#include "engine_client/byte_streams.h"

namespace {

// A method call: the name as a string value, then the arguments (null when there are none).
// Success envelope: 0, then the result. Error envelope: 1, code, message (null when empty),
// details (null when none).
enum : uint8_t { kSuccessEnvelope = 0, kErrorEnvelope = 1 };

const EncodableValue kNull;

// Channel messages are mostly small: one allocation up front instead of a string of doublings.
constexpr size_t kInitialCapacity = 256;

std::unique_ptr<std::vector<uint8_t>> newMessage() {
  auto bytes = std::make_unique<std::vector<uint8_t>>();
  bytes->reserve(kInitialCapacity);
  return bytes;
}

// A string value written from the text itself: wrapping the text in an EncodableValue first would
// copy it (and allocate, for a method name longer than the short-string buffer).
void writeString(const StandardCodecSerializer& serializer, const std::string& text,
                 ByteBufferStreamWriter& stream) {
  constexpr uint8_t kStringType = 7;
  stream.WriteByte(kStringType);
  serializer.WriteSize(text.size(), &stream);
  stream.WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

}  // namespace

const StandardMethodCodec& StandardMethodCodec::GetInstance(
    const StandardCodecSerializer* serializer) {
  if (serializer == nullptr) {
    serializer = &StandardCodecSerializer::GetInstance();
  }
  // Never destroyed: channels may still point at a codec while static destructors run.
  static auto* const codecs =
      new std::map<const StandardCodecSerializer*, std::unique_ptr<StandardMethodCodec>>();
  auto& codec = (*codecs)[serializer];
  if (!codec) {
    codec.reset(new StandardMethodCodec(serializer));
  }
  return *codec;
}

std::unique_ptr<MethodCall> StandardMethodCodec::DecodeMethodCallInternal(
    const uint8_t* message, size_t messageSize) const {
  ByteBufferStreamReader stream(message, messageSize);
  EncodableValue name = serializer_->ReadValue(&stream);
  auto* methodName = std::get_if<std::string>(&name);
  if (methodName == nullptr) {
    std::cerr << "Invalid method call; method name is not a string." << std::endl;
    return nullptr;
  }
  auto arguments = std::make_unique<EncodableValue>(serializer_->ReadValue(&stream));
  return std::make_unique<MethodCall>(std::move(*methodName), std::move(arguments));
}

std::unique_ptr<std::vector<uint8_t>> StandardMethodCodec::EncodeMethodCallInternal(
    const MethodCall& call) const {
  auto bytes = newMessage();
  ByteBufferStreamWriter stream(bytes.get());
  writeString(*serializer_, call.MethodName(), stream);
  serializer_->WriteValue(call.Arguments() != nullptr ? *call.Arguments() : kNull, &stream);
  return bytes;
}

std::unique_ptr<std::vector<uint8_t>> StandardMethodCodec::EncodeSuccessEnvelopeInternal(
    const EncodableValue* result) const {
  auto bytes = newMessage();
  ByteBufferStreamWriter stream(bytes.get());
  stream.WriteByte(kSuccessEnvelope);
  serializer_->WriteValue(result != nullptr ? *result : kNull, &stream);
  return bytes;
}

std::unique_ptr<std::vector<uint8_t>> StandardMethodCodec::EncodeErrorEnvelopeInternal(
    const std::string& code, const std::string& message, const EncodableValue* details) const {
  auto bytes = newMessage();
  ByteBufferStreamWriter stream(bytes.get());
  stream.WriteByte(kErrorEnvelope);
  writeString(*serializer_, code, stream);
  if (message.empty()) {
    serializer_->WriteValue(kNull, &stream);
  } else {
    writeString(*serializer_, message, stream);
  }
  serializer_->WriteValue(details != nullptr ? *details : kNull, &stream);
  return bytes;
}

bool StandardMethodCodec::DecodeAndProcessResponseEnvelopeInternal(const uint8_t* response,
                                                                   size_t responseSize,
                                                                   MethodResult* result) const {
  ByteBufferStreamReader stream(response, responseSize);
  const uint8_t envelope = stream.ReadByte();
  if (envelope == kSuccessEnvelope) {
    const EncodableValue value = serializer_->ReadValue(&stream);
    if (value.IsNull()) {
      result->Success();
    } else {
      result->Success(value);
    }
    return true;
  }
  if (envelope != kErrorEnvelope) {
    return false;
  }
  const EncodableValue code = serializer_->ReadValue(&stream);
  const EncodableValue message = serializer_->ReadValue(&stream);
  const EncodableValue details = serializer_->ReadValue(&stream);
  // The result's error operation takes text: a code that is not a string, or a message that is
  // neither null nor a string, cannot be passed on and the envelope counts as not understood.
  const auto* codeText = std::get_if<std::string>(&code);
  const auto* messageText = std::get_if<std::string>(&message);
  if (codeText == nullptr || (messageText == nullptr && !message.IsNull())) {
    return false;
  }
  const std::string text = messageText != nullptr ? *messageText : std::string();
  if (details.IsNull()) {
    result->Error(*codeText, text);
  } else {
    result->Error(*codeText, text, details);
  }
  return true;
}
