// The microphone check against a scripted Media Foundation: every branch's answer, its debug
// output, and that each branch gives back exactly what it took (start-up, store, devices, array).
#include "permissions/microphone_status.h"

#include <cstring>

#include <gtest/gtest.h>

#include "permissions/privacy_page.h"
#include "tests/support/fake_platform.h"

namespace {

bool sameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

class MicrophoneStatusTest : public ::testing::Test {
 protected:
  std::string query() { return QueryMicrophoneStatus(fake.platform()); }

  // Every acquired object was released and Media Foundation was shut down iff it started.
  void expectBalanced() {
    EXPECT_EQ(mf().attributesReleased, mf().attributesCreated);
    EXPECT_EQ(mf().liveActivations(), 0);
    EXPECT_EQ(mf().arraysFreed, mf().arraysAllocated);
    EXPECT_EQ(mf().shutdowns, SUCCEEDED(mf().startupResult) ? mf().startups : 0);
  }

  fake::FakeMediaFoundation& mf() { return fake.mediaFoundation; }

  fake::FakePlatform fake;
};

TEST_F(MicrophoneStatusTest, DevicesPresent_AuthorizedAndEveryDeviceReleasedInOrder) {
  mf().deviceCount = 3;
  EXPECT_EQ(query(), "authorized");
  EXPECT_EQ(mf().activationsReleased, (std::vector<std::uint32_t>{0, 1, 2}));
  EXPECT_EQ(mf().arraysFreed, 1);
  EXPECT_FALSE(mf().enumeratedWithReleasedStore);
  expectBalanced();
  EXPECT_TRUE(fake.debug.lines.empty());
}

TEST_F(MicrophoneStatusTest, StartsFullMediaFoundationAndSelectsAudioCapture) {
  mf().deviceCount = 1;
  query();
  EXPECT_EQ(mf().startupVersion, 0x00020070u);
  EXPECT_EQ(mf().startupFlags, 0u);
  EXPECT_EQ(mf().attributesInitialSize, 1u);
  ASSERT_EQ(mf().setGuidKeys.size(), 1u);
  const GUID key = {0xC60AC5FE, 0x252A, 0x478F, {0xA0, 0xEF, 0xBC, 0x8F, 0xA5, 0xF7, 0xCA, 0xD3}};
  const GUID audio = {0x14DD9A1C, 0x7CFF, 0x41BE, {0xB1, 0xB9, 0xBA, 0x1A, 0xC6, 0xEC, 0xB5, 0x71}};
  EXPECT_TRUE(sameGuid(mf().setGuidKeys[0], key));
  EXPECT_TRUE(sameGuid(mf().setGuidValues[0], audio));
}

TEST_F(MicrophoneStatusTest, NoDevices_Denied) {
  mf().deviceCount = 0;
  EXPECT_EQ(query(), "denied");
  EXPECT_EQ(mf().arraysFreed, 0);
  expectBalanced();
}

TEST_F(MicrophoneStatusTest, EnumerationFails_DeniedAndStoreStillReleased) {
  mf().deviceCount = 2;
  mf().enumResult = fake::kFakeFailure;
  EXPECT_EQ(query(), "denied");
  EXPECT_EQ(mf().attributesReleased, 1);
  expectBalanced();
  EXPECT_TRUE(fake.debug.lines.empty());
}

TEST_F(MicrophoneStatusTest, StartupFails_NotDeterminedWithLineAndNoShutdown) {
  mf().startupResult = fake::kFakeFailure;
  EXPECT_EQ(query(), "notDetermined");
  EXPECT_EQ(mf().shutdowns, 0);
  EXPECT_EQ(mf().attributesCreated, 0);
  EXPECT_EQ(fake.debug.lines, (std::vector<std::string>{"[Permissions] MFStartup failed\n"}));
}

TEST_F(MicrophoneStatusTest, AttributeStoreFailures_NotDeterminedWithoutLine) {
  mf().deviceCount = 1;
  mf().createAttributesResult = fake::kFakeFailure;
  EXPECT_EQ(query(), "notDetermined");
  expectBalanced();

  mf().createAttributesResult = 0;
  mf().setGuidResult = fake::kFakeFailure;
  EXPECT_EQ(query(), "notDetermined");
  EXPECT_EQ(mf().attributesReleased, 1);
  EXPECT_EQ(mf().arraysAllocated, 0);
  expectBalanced();
  EXPECT_TRUE(fake.debug.lines.empty());
}

TEST_F(MicrophoneStatusTest, AnswerFollowsTheDevicesOfEachCall) {
  mf().deviceCount = 1;
  EXPECT_EQ(query(), "authorized");
  mf().deviceCount = 0;
  EXPECT_EQ(query(), "denied");
  EXPECT_EQ(mf().startups, 2);
  expectBalanced();
}

TEST(PrivacyPageTest, OpensTheMicrophoneSettingsWithoutOwnerOrParameters) {
  fake::FakePlatform fake;
  ShowMicrophonePrivacyPage(fake.platform());
  ASSERT_EQ(fake.shell.calls.size(), 1u);
  const fake::FakeShell::Call& call = fake.shell.calls[0];
  EXPECT_EQ(call.owner, nullptr);
  EXPECT_EQ(call.operation, u"open");
  EXPECT_EQ(call.file, u"ms-settings:privacy-microphone");
  EXPECT_FALSE(call.hasParameters);
  EXPECT_FALSE(call.hasDirectory);
  EXPECT_EQ(call.showCommand, 1);
}

}  // namespace
