// The timeline on the fake platform: nothing at all when tracing is off, and when it is on one
// line per mark in the documented format, stamped by the platform's steady clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/trace.h"
#include "tests/support/fake_platform.h"

namespace fake {
namespace {

using Lines = std::vector<std::string>;

TEST(TraceTest, OffWritesNothingWhateverIsMarked) {
  FakePlatform fake;
  fake.trace.mark(platform::phase::kWindowCreated);
  fake.trace.markAt(platform::phase::kProcessStart, 5'000);
  EXPECT_FALSE(fake.trace.enabled());
  EXPECT_TRUE(fake.debug.lines.empty());
}

TEST(TraceTest, OnWritesOneLinePerMarkInMicrosecondsOfTheSteadyClock) {
  FakePlatform fake;
  fake.trace = platform::Trace(fake.clock, fake.debug, true);
  fake.clock.nowNs = 7'000'999;  // whole microseconds: the remainder is cut, not rounded
  fake.trace.markAt(platform::phase::kProcessStart, 1'500);
  fake.trace.mark(platform::phase::kMainEntered);
  fake.clock.Sleep(3);
  fake.trace.mark(platform::phase::kWindowVisible);
  EXPECT_EQ(fake.debug.lines, (Lines{"[Trace] 1 process start\n", "[Trace] 7000 main entered\n",
                                     "[Trace] 10000 window visible\n"}));
}

TEST(TraceTest, AnOverlongPhaseIsCutAndTheLineStillEnds) {
  FakePlatform fake;
  fake.trace = platform::Trace(fake.clock, fake.debug, true);
  const std::string longName(500, 'x');
  fake.trace.mark(longName.c_str());
  ASSERT_EQ(fake.debug.lines.size(), 1u);
  const std::string& line = fake.debug.lines[0];
  EXPECT_LT(line.size(), 128u);
  EXPECT_EQ(line.rfind("[Trace] 1000000000 xxx", 0), 0u);
  EXPECT_EQ(line.back(), '\n');
}

}  // namespace
}  // namespace fake
