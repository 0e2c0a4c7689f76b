// The engine client layer over the recording fake engine: what reaches the engine, in what
// order, and what the shell sees back.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine_client/binary_messenger_impl.h"
#include "engine_client/flutter_view_controller.h"
#include "engine_client/method_channel.h"
#include "engine_client/standard_method_codec.h"
#include "tests/support/fake_engine_api.h"

namespace {

using Bytes = std::vector<uint8_t>;

class EngineClientTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::ResetEngine(); }
  fake::EngineApi& engine() { return fake::Engine(); }
};

// Counts calls and records the last bytes; copies share the counters.
struct ReplyProbe {
  std::shared_ptr<int> calls = std::make_shared<int>(0);
  std::shared_ptr<Bytes> bytes = std::make_shared<Bytes>();
  BinaryReplyFn fn() const {
    return [calls = calls, bytes = bytes](const uint8_t* data, size_t size) {
      ++*calls;
      bytes->assign(data, data + size);
    };
  }
};

// A MethodResult that records how it was answered.
class RecordingResult : public MethodResult {
 public:
  explicit RecordingResult(std::string* log) : log(log) {}

 protected:
  void SuccessInternal(const EncodableValue*) override { *log += "success;"; }
  void ErrorInternal(const std::string& code, const std::string&, const EncodableValue*) override {
    *log += "error " + code + ";";
  }
  void NotImplementedInternal() override { *log += "notImplemented;"; }

 private:
  std::string* log;
};

TEST_F(EngineClientTest, ReplacedHandler_EngineUserDataStillPointsAtTheLiveHandler) {
  BinaryMessengerImpl messenger(fake::FakeMessengerHandle());
  std::string seen;
  messenger.SetMessageHandler("a", [&](const uint8_t*, size_t, BinaryReplyFn) { seen += "1"; });
  messenger.SetMessageHandler("b", [&](const uint8_t*, size_t, BinaryReplyFn) { seen += "b"; });
  messenger.SetMessageHandler("a", [&](const uint8_t*, size_t, BinaryReplyFn) { seen += "2"; });
  engine().deliver("a", {1});
  engine().deliver("b", {1});
  EXPECT_EQ(seen, "2b");

  messenger.SetMessageHandler("a", nullptr);
  EXPECT_EQ(engine().callbacks.count("a"), 0u);
  ASSERT_EQ(engine().callbacks.count("b"), 1u);
  engine().deliver("b", {1});
  EXPECT_EQ(seen, "2bb");
}

TEST_F(EngineClientTest, ReplyCallable_AnswersOnceHoldsAReferenceAndRunsUnderTheLock) {
  BinaryMessengerImpl messenger(fake::FakeMessengerHandle());
  BinaryReplyFn kept;
  messenger.SetMessageHandler(
      "c", [&](const uint8_t*, size_t, BinaryReplyFn reply) { kept = std::move(reply); });
  const auto* handle = engine().deliver("c", {});
  EXPECT_EQ(engine().messengerReferences, 1);

  testing::internal::CaptureStderr();
  const uint8_t byte = 7;
  // The engine frees the handle once answered: a copy made before must not answer again.
  BinaryReplyFn copy = kept;
  kept(&byte, 1);
  copy(&byte, 1);
  kept(&byte, 1);
  const std::string duplicate =
      "Error: Response can be set only once. Ignoring duplicate response.\n";
  EXPECT_EQ(testing::internal::GetCapturedStderr(), duplicate + duplicate);
  ASSERT_EQ(engine().responses.size(), 1u);
  EXPECT_EQ(engine().responses[0].handle, handle);
  EXPECT_EQ(engine().responses[0].bytes, Bytes{7});
  EXPECT_EQ(engine().locked, 0);

  kept = nullptr;
  EXPECT_EQ(engine().messengerReferences, 1);
  copy = nullptr;
  EXPECT_EQ(engine().messengerReferences, 0);
}

TEST_F(EngineClientTest, ReplyAfterTheEngineIsGone_IsDroppedSilently) {
  BinaryMessengerImpl messenger(fake::FakeMessengerHandle());
  BinaryReplyFn kept;
  messenger.SetMessageHandler(
      "c", [&](const uint8_t*, size_t, BinaryReplyFn reply) { kept = std::move(reply); });
  engine().deliver("c", {});
  engine().available = false;
  testing::internal::CaptureStderr();
  kept(nullptr, 0);
  kept(nullptr, 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(engine().responses.empty());
  EXPECT_EQ(engine().locked, 0);
}

TEST_F(EngineClientTest, Send_WithAndWithoutReply_AndRefusedReplyIsDestroyedUncalled) {
  BinaryMessengerImpl messenger(fake::FakeMessengerHandle());
  const Bytes message{1, 2};
  messenger.Send("x", message.data(), message.size(), nullptr);
  ASSERT_EQ(engine().sent.size(), 1u);
  EXPECT_EQ(engine().sent[0].bytes, message);
  EXPECT_EQ(engine().sent[0].reply, nullptr);

  ReplyProbe probe;
  messenger.Send("x", message.data(), message.size(), probe.fn());
  engine().answer(1, {9});
  EXPECT_EQ(*probe.calls, 1);
  EXPECT_EQ(*probe.bytes, Bytes{9});
  EXPECT_EQ(probe.calls.use_count(), 1);  // the record was destroyed after its one use

  engine().refuseSendWithReply = true;
  ReplyProbe refused;
  messenger.Send("x", message.data(), message.size(), refused.fn());
  EXPECT_EQ(*refused.calls, 0);
  EXPECT_EQ(refused.calls.use_count(), 1);
}

TEST_F(EngineClientTest, MethodChannel_UndecodableCallIsLoggedAndAnsweredEmpty) {
  BinaryMessengerImpl messenger(fake::FakeMessengerHandle());
  MethodChannel channel(&messenger, "murmurly/test", &StandardMethodCodec::GetInstance());
  int handled = 0;
  channel.SetMethodCallHandler([&](const MethodCall&, std::unique_ptr<MethodResult> result) {
    ++handled;
    result->Success();
  });
  testing::internal::CaptureStderr();
  engine().deliver("murmurly/test", {3, 1, 0, 0, 0});  // an int32, not a method name
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Invalid method call; method name is not a string.\n"
            "Unable to construct method call from message on channel murmurly/test\n");
  EXPECT_EQ(handled, 0);
  ASSERT_EQ(engine().responses.size(), 1u);
  EXPECT_TRUE(engine().responses[0].bytes.empty());

  engine().deliver("murmurly/test", {7, 3, 'a', 'b', 'c', 0});
  EXPECT_EQ(handled, 1);
  ASSERT_EQ(engine().responses.size(), 2u);
  EXPECT_EQ(engine().responses[1].bytes, (Bytes{0, 0}));
}

TEST_F(EngineClientTest, InvokeMethod_EmptyAndUndecodableRepliesAreNotImplemented) {
  BinaryMessengerImpl messenger(fake::FakeMessengerHandle());
  MethodChannel channel(&messenger, "murmurly/test", &StandardMethodCodec::GetInstance());
  channel.InvokeMethod("ping", nullptr);
  ASSERT_EQ(engine().sent.size(), 1u);
  EXPECT_EQ(engine().sent[0].reply, nullptr);
  EXPECT_EQ(engine().sent[0].bytes, (Bytes{7, 4, 'p', 'i', 'n', 'g', 0}));

  std::string log;
  channel.InvokeMethod("a", nullptr, std::make_unique<RecordingResult>(&log));
  channel.InvokeMethod("b", nullptr, std::make_unique<RecordingResult>(&log));
  channel.InvokeMethod("c", nullptr, std::make_unique<RecordingResult>(&log));
  engine().answer(1, {});
  testing::internal::CaptureStderr();
  engine().answer(2, {7});
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("Unable to decode reply to method invocation on channel murmurly/test\n"),
            std::string::npos);
  engine().answer(3, {0, 0});
  EXPECT_EQ(log, "notImplemented;notImplemented;success;");
}

TEST_F(EngineClientTest, NextFrameCallback_SecondReplacesFirstAndFiresOnce) {
  FlutterEngine flutterEngine(EngineProject{});
  std::string log;
  flutterEngine.SetNextFrameCallback([&] { log += "first;"; });
  flutterEngine.SetNextFrameCallback([&] { log += "second;"; });
  engine().fireNextFrame();
  engine().fireNextFrame();  // an engine calling back more often than asked
  EXPECT_EQ(log, "second;");
}

TEST_F(EngineClientTest, ViewController_OwnsTheEngineAndDestroysItOnce) {
  EngineProject project;
  project.entrypointArguments = {"--transcript", "hi"};
  std::shared_ptr<FlutterEngine> survivor;
  {
    FlutterViewController controller(800, 600, project);
    ASSERT_NE(controller.GetView(), nullptr);
    EXPECT_NE(controller.GetView()->GetNativeWindow(), nullptr);
    survivor = controller.GetEngine();
    EXPECT_FALSE(controller.HandleTopLevelWindowProc(nullptr, 0, 0, 0).has_value());
    engine().consumeWindowMessages = true;
    engine().consumedResult = 42;
    EXPECT_EQ(controller.HandleTopLevelWindowProc(nullptr, 0, 0, 0), LRESULT{42});
  }
  EXPECT_EQ(engine().count("FlutterDesktopViewControllerDestroy"), 1);
  survivor.reset();
  EXPECT_EQ(engine().count("FlutterDesktopEngineDestroy"), 0);
  EXPECT_EQ(engine().entrypointArguments, project.entrypointArguments);
}

TEST_F(EngineClientTest, FailedViewController_ReportsHasNoViewAndDestroysOnlyTheEngineWrapper) {
  engine().failViewController = true;
  testing::internal::CaptureStderr();
  {
    FlutterViewController controller(800, 600, EngineProject{});
    EXPECT_EQ(controller.GetView(), nullptr);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Failed to create view controller.\n");
  EXPECT_EQ(engine().count("FlutterDesktopViewControllerDestroy"), 0);
  EXPECT_EQ(engine().count("FlutterDesktopEngineDestroy"), 0);
}

TEST_F(EngineClientTest, EngineNeverHandedOver_IsDestroyedByItsWrapper) {
  { FlutterEngine flutterEngine(EngineProject{}); }
  EXPECT_EQ(engine().count("FlutterDesktopEngineDestroy"), 1);
}

}  // namespace
