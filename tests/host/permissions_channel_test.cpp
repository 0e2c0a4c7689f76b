// The permissions channel on the wire: each method's reply bytes and debug lines over a recording
// messenger, with the microphone answer driven by the scripted Media Foundation.
#include "permissions/permissions_channel.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine_client/encodable_value.h"
#include "engine_client/method_call.h"
#include "engine_client/method_channel.h"
#include "engine_client/standard_method_codec.h"
#include "tests/support/fake_platform.h"
#include "tests/support/recording_messenger.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes successString(const std::string& text) {
  Bytes bytes{0, 7, static_cast<std::uint8_t>(text.size())};
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

class PermissionsChannelTest : public ::testing::Test {
 protected:
  PermissionsChannelTest() { RegisterPermissionsChannel(channel, &messenger, fake.platform()); }

  Bytes call(const std::string& method, std::unique_ptr<EncodableValue> arguments = nullptr) {
    const auto message = StandardMethodCodec::GetInstance().EncodeMethodCall(
        MethodCall(method, std::move(arguments)));
    bool replied = false;
    Bytes reply = messenger.deliver("murmurly/permissions", *message, &replied);
    EXPECT_TRUE(replied) << method;
    return reply;
  }

  fake::FakePlatform fake;
  fake::RecordingMessenger messenger;
  std::unique_ptr<MethodChannel> channel;
};

TEST_F(PermissionsChannelTest, AccessibilityAnswersAreFixedWhateverTheArguments) {
  EXPECT_EQ(call("checkAccessibility"), (Bytes{0, 1}));
  EXPECT_EQ(call("checkAccessibility", std::make_unique<EncodableValue>(EncodableValueMap{
                                           {EncodableValue("x"), EncodableValue(false)}})),
            (Bytes{0, 1}));
  EXPECT_EQ(call("requestAccessibility", std::make_unique<EncodableValue>(7)), (Bytes{0, 0}));
  EXPECT_EQ(fake.debug.lines,
            (std::vector<std::string>{"[Permissions] checkAccessibility: true (Windows)\n",
                                      "[Permissions] checkAccessibility: true (Windows)\n",
                                      "[Permissions] requestAccessibility: no-op (Windows)\n"}));
  EXPECT_EQ(fake.mediaFoundation.startups, 0);
}

TEST_F(PermissionsChannelTest, MicrophoneMethodsAnswerTheSameFreshStatus) {
  fake.mediaFoundation.deviceCount = 2;
  EXPECT_EQ(call("checkMicrophone"), successString("authorized"));
  EXPECT_EQ(call("requestMicrophone"), successString("authorized"));
  fake.mediaFoundation.deviceCount = 0;
  EXPECT_EQ(call("checkMicrophone"), successString("denied"));
  EXPECT_EQ(call("requestMicrophone"), successString("denied"));
  EXPECT_EQ(fake.debug.lines,
            (std::vector<std::string>{"[Permissions] checkMicrophone: authorized\n",
                                      "[Permissions] requestMicrophone: authorized\n",
                                      "[Permissions] checkMicrophone: denied\n",
                                      "[Permissions] requestMicrophone: denied\n"}));
}

TEST_F(PermissionsChannelTest, StartupFailure_NotDeterminedAfterTheStartupLine) {
  fake.mediaFoundation.startupResult = fake::kFakeFailure;
  EXPECT_EQ(call("requestMicrophone"), successString("notDetermined"));
  EXPECT_EQ(fake.debug.lines,
            (std::vector<std::string>{"[Permissions] MFStartup failed\n",
                                      "[Permissions] requestMicrophone: notDetermined\n"}));
}

TEST_F(PermissionsChannelTest, OpenSettingsSucceedsEvenWhenTheShellFails) {
  fake.shell.result = reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(2));
  EXPECT_EQ(call("openMicrophoneSettings"), (Bytes{0, 0}));
  ASSERT_EQ(fake.shell.calls.size(), 1u);
  EXPECT_EQ(fake.shell.calls[0].file, u"ms-settings:privacy-microphone");
  EXPECT_TRUE(fake.debug.lines.empty());
}

TEST_F(PermissionsChannelTest, OtherNamesAreNotImplementedAndTheChannelStaysUsable) {
  EXPECT_EQ(call("CheckMicrophone"), Bytes{});
  EXPECT_EQ(call("checkmicrophone"), Bytes{});
  EXPECT_EQ(call(""), Bytes{});
  EXPECT_EQ(call("checkAccessibility"), (Bytes{0, 1}));
  EXPECT_EQ(fake.mediaFoundation.startups, 0);
  EXPECT_EQ(fake.shell.calls.size(), 0u);
}

TEST_F(PermissionsChannelTest, RegisteringAgainReplacesTheChannel) {
  RegisterPermissionsChannel(channel, &messenger, fake.platform());
  EXPECT_EQ(messenger.handlers.size(), 1u);
  EXPECT_EQ(call("checkAccessibility"), (Bytes{0, 1}));
}

}  // namespace
