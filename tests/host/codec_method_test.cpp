// Method calls and reply envelopes of the standard method codec, the channel traffic of the
// hotkey channel as it appears on the wire, and the once-only reply of EngineMethodResult.
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "engine_client/engine_method_result.h"
#include "engine_client/standard_method_codec.h"
#include "tests/support/codec_wire.h"

namespace {

using codec_wire::CerrCapture;
using codec_wire::wire;

const StandardMethodCodec& codec() { return StandardMethodCodec::GetInstance(); }

std::vector<uint8_t> encodeCall(const std::string& name, std::optional<EncodableValue> arguments) {
  const MethodCall call(name, arguments ? std::make_unique<EncodableValue>(*arguments) : nullptr);
  return *codec().EncodeMethodCall(call);
}

std::unique_ptr<MethodCall> decodeCall(const std::vector<uint8_t>& bytes) {
  return codec().DecodeMethodCall(bytes.data(), bytes.size());
}

// What a result was answered with, in order.
class RecordingResult : public MethodResult {
 public:
  struct Answer {
    std::string kind;
    std::optional<EncodableValue> value;
    std::string code;
    std::string message;
  };
  std::vector<Answer> answers;

 protected:
  void SuccessInternal(const EncodableValue* result) override {
    answers.push_back({"success", result ? std::optional(*result) : std::nullopt, "", ""});
  }
  void ErrorInternal(const std::string& code, const std::string& message,
                     const EncodableValue* details) override {
    answers.push_back({"error", details ? std::optional(*details) : std::nullopt, code, message});
  }
  void NotImplementedInternal() override { answers.push_back({"notImplemented", {}, "", ""}); }
};

TEST(StandardMethodCodec, EncodesCalls) {
  EXPECT_EQ(encodeCall("m", std::nullopt), wire(7, 1, "m", 0));
  EXPECT_EQ(encodeCall("m", EncodableValueMap{{"a", true}}), wire(7, 1, "m", 13, 1, 7, 1, "a", 1));
  // The hotkey channel's events carry no arguments.
  EXPECT_EQ(encodeCall("onHotkeyUp", std::nullopt), wire(7, 10, "onHotkeyUp", 0));
  EXPECT_EQ(encodeCall("onHotkeyDown", EncodableValue()), wire(7, 12, "onHotkeyDown", 0));
}

TEST(StandardMethodCodec, DecodesCalls) {
  const auto call = decodeCall(wire(7, 17, "setOverlayEnabled", 13, 1, 7, 7, "enabled", 2));
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->MethodName(), "setOverlayEnabled");
  ASSERT_NE(call->Arguments(), nullptr);
  EXPECT_EQ(*call->Arguments(), EncodableValue(EncodableValueMap{{"enabled", false}}));
}

TEST(StandardMethodCodec, ACallOfOnlyANameHasNullArguments) {
  CerrCapture cerr;
  const auto call = decodeCall(wire(7, 1, "m"));
  ASSERT_NE(call, nullptr);
  ASSERT_NE(call->Arguments(), nullptr);
  EXPECT_TRUE(call->Arguments()->IsNull());
  EXPECT_EQ(cerr.lines(),
            std::vector<std::string>{"Invalid read in StandardCodecByteStreamReader"});
}

TEST(StandardMethodCodec, ANameThatIsNotAStringIsNoCall) {
  CerrCapture cerr;
  EXPECT_EQ(decodeCall(wire(3, 1, 0, 0, 0, 0)), nullptr);
  EXPECT_EQ(decodeCall(wire(0, 0)), nullptr);
  EXPECT_EQ(cerr.lines(),
            std::vector<std::string>(2, "Invalid method call; method name is not a string."));
}

TEST(StandardMethodCodec, EncodesEnvelopes) {
  EXPECT_EQ(*codec().EncodeSuccessEnvelope(), wire(0, 0));
  const EncodableValue ok("ok");
  EXPECT_EQ(*codec().EncodeSuccessEnvelope(&ok), wire(0, 7, 2, "ok"));
  EXPECT_EQ(*codec().EncodeErrorEnvelope("E"), wire(1, 7, 1, "E", 0, 0));
  EXPECT_EQ(*codec().EncodeErrorEnvelope("INVALID_ARGS", "Missing label"),
            wire(1, 7, 12, "INVALID_ARGS", 7, 13, "Missing label", 0));
  const EncodableValue details = int32_t{5};
  EXPECT_EQ(*codec().EncodeErrorEnvelope("E", "", &details), wire(1, 7, 1, "E", 0, 3, 5, 0, 0, 0));
}

TEST(StandardMethodCodec, DecodesEnvelopesIntoTheResult) {
  RecordingResult result;
  const auto feed = [&result](const std::vector<uint8_t>& bytes) {
    return codec().DecodeAndProcessResponseEnvelope(bytes.data(), bytes.size(), &result);
  };
  EXPECT_TRUE(feed(wire(0, 0)));
  EXPECT_TRUE(feed(wire(0, 7, 2, "ok")));
  EXPECT_TRUE(feed(wire(1, 7, 1, "E", 0, 0)));
  EXPECT_TRUE(feed(wire(1, 7, 1, "E", 7, 3, "msg", 3, 5, 0, 0, 0)));
  ASSERT_EQ(result.answers.size(), 4u);
  EXPECT_EQ(result.answers[0].kind, "success");
  EXPECT_FALSE(result.answers[0].value.has_value());
  EXPECT_EQ(result.answers[1].value, EncodableValue("ok"));
  EXPECT_EQ(result.answers[2].kind, "error");
  EXPECT_EQ(result.answers[2].code, "E");
  EXPECT_EQ(result.answers[2].message, "");
  EXPECT_FALSE(result.answers[2].value.has_value());
  EXPECT_EQ(result.answers[3].message, "msg");
  EXPECT_EQ(result.answers[3].value, EncodableValue(int32_t{5}));
}

TEST(StandardMethodCodec, RefusesEnvelopesItCannotHandOn) {
  CerrCapture cerr;
  RecordingResult result;
  for (const auto& bytes : {wire(2, 0), wire(7, 1, "m", 0),
                            // An error whose code or message is not text.
                            wire(1, 3, 1, 0, 0, 0, 0, 0), wire(1, 7, 1, "E", 1, 0)}) {
    EXPECT_FALSE(codec().DecodeAndProcessResponseEnvelope(bytes.data(), bytes.size(), &result));
  }
  EXPECT_TRUE(result.answers.empty());
}

TEST(StandardMethodCodec, OneSharedCodecPerSerializer) {
  EXPECT_EQ(&StandardMethodCodec::GetInstance(),
            &StandardMethodCodec::GetInstance(&StandardCodecSerializer::GetInstance()));
}

// A serializer with one extra type, 128, that reads as the string "custom".
class ExtendedSerializer : public StandardCodecSerializer {
 public:
  EncodableValue ReadValueOfType(uint8_t type, ByteStreamReader* stream) const override {
    return type == 128 ? EncodableValue("custom")
                       : StandardCodecSerializer::ReadValueOfType(type, stream);
  }
};

TEST(StandardMethodCodec, NestedValuesGoThroughADerivedSerializer) {
  const ExtendedSerializer extended;
  const StandardMethodCodec& custom = StandardMethodCodec::GetInstance(&extended);
  EXPECT_NE(&custom, &codec());
  EXPECT_EQ(&custom, &StandardMethodCodec::GetInstance(&extended));
  const auto bytes = wire(7, 1, "m", 12, 1, 13, 1, 128, 128);
  const auto call = custom.DecodeMethodCall(bytes.data(), bytes.size());
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(*call->Arguments(),
            EncodableValue(EncodableValueList{EncodableValueMap{{"custom", "custom"}}}));
}

// The derived serializer takes the path through the virtual operations for every nested value;
// its bytes must match the standard serializer's own, alignment and all.
TEST(StandardMethodCodec, ADerivedSerializerWritesAndReadsTheSameBytes) {
  const ExtendedSerializer extended;
  const EncodableValue value =
      EncodableValueList{EncodableValue(),
                         true,
                         int32_t{-7},
                         int64_t{1} << 40,
                         "s",
                         2.5,
                         std::vector<uint8_t>{1},
                         std::vector<int32_t>{2},
                         std::vector<int64_t>{3},
                         std::vector<double>{4},
                         std::vector<float>{5},
                         EncodableValueMap{{"k", EncodableValueList{std::string(300, 'x')}}}};
  std::vector<uint8_t> bytes;
  ByteBufferStreamWriter writer(&bytes);
  extended.WriteValue(value, &writer);
  EXPECT_EQ(bytes, codec_wire::encode(value));
  ByteBufferStreamReader reader(bytes.data(), bytes.size());
  EXPECT_EQ(extended.ReadValue(&reader), value);
}

// The reply callable's calls: bytes (null pointer kept apart from an empty vector) per call.
struct Replies {
  std::vector<std::optional<std::vector<uint8_t>>> calls;
  BinaryReplyFn fn() {
    return [this](const uint8_t* bytes, size_t size) {
      calls.push_back(bytes == nullptr ? std::nullopt
                                       : std::optional(std::vector<uint8_t>(bytes, bytes + size)));
      EXPECT_TRUE(bytes != nullptr || size == 0);
    };
  }
};

TEST(EngineMethodResult, AnswersAreEncodedWithTheCodec) {
  Replies replies;
  {
    EngineMethodResult result(replies.fn(), &codec());
    result.Success();
  }
  {
    EngineMethodResult result(replies.fn(), &codec());
    result.Error("INVALID_ARGS", "Missing enabled");
  }
  {
    EngineMethodResult result(replies.fn(), &codec());
    result.Error("E", "m", EncodableValue(true));
  }
  {
    EngineMethodResult result(replies.fn(), &codec());
    result.NotImplemented();
  }
  ASSERT_EQ(replies.calls.size(), 4u);
  EXPECT_EQ(replies.calls[0], wire(0, 0));
  EXPECT_EQ(replies.calls[1], wire(1, 7, 12, "INVALID_ARGS", 7, 15, "Missing enabled", 0));
  EXPECT_EQ(replies.calls[2], wire(1, 7, 1, "E", 7, 1, "m", 1));
  EXPECT_EQ(replies.calls[3], std::nullopt);
}

TEST(EngineMethodResult, OnlyTheFirstAnswerIsSent) {
  CerrCapture cerr;
  Replies replies;
  {
    EngineMethodResult result(replies.fn(), &codec());
    result.Success(EncodableValue(1));
    result.Success(EncodableValue(2));
    result.NotImplemented();
  }
  ASSERT_EQ(replies.calls.size(), 1u);
  EXPECT_EQ(replies.calls[0], wire(0, 3, 1, 0, 0, 0));
  const std::string duplicate =
      "Error: Only one of Success, Error, or NotImplemented can be called, and it can be called "
      "exactly once. Ignoring duplicate result.";
  EXPECT_EQ(cerr.lines(), std::vector<std::string>(2, duplicate));
}

TEST(EngineMethodResult, AReplyCallableThatAnswersAgainIsRefused) {
  CerrCapture cerr;
  int calls = 0;
  std::unique_ptr<EngineMethodResult> result;
  result = std::make_unique<EngineMethodResult>(
      [&](const uint8_t*, size_t) {
        ++calls;
        result->NotImplemented();
      },
      &codec());
  result->Success();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(cerr.lines().size(), 1u);
}

TEST(EngineMethodResult, AnUnansweredResultWarnsAndSendsNothing) {
  CerrCapture cerr;
  Replies replies;
  auto held = std::make_shared<int>(0);
  {
    EngineMethodResult result(
        [&replies, held](const uint8_t* bytes, size_t size) { replies.fn()(bytes, size); },
        &codec());
  }
  EXPECT_TRUE(replies.calls.empty());
  // The callable, and what it held, is released with the result.
  EXPECT_EQ(held.use_count(), 1);
  EXPECT_EQ(cerr.lines(), std::vector<std::string>{
                              "Warning: Failed to respond to a message. This is a memory leak."});
}

TEST(ReplyGuard, AnEmptyVectorIsTheEmptyReply) {
  CerrCapture cerr;
  Replies replies;
  {
    ReplyGuard guard(replies.fn());
    const std::vector<uint8_t> empty;
    guard.SendResponseData(&empty);
  }
  ASSERT_EQ(replies.calls.size(), 1u);
  EXPECT_EQ(replies.calls[0], std::nullopt);
  EXPECT_EQ(cerr.text(), "");
}

}  // namespace
