// The timeline on the fake platform: nothing at all when tracing is off, and when it is on one
// line per mark in the documented format, stamped by the platform's steady clock; a dictation
// marks its phases in the order they happen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/trace.h"
#include "tests/support/fake_platform.h"
#include "tests/support/overlay_fixture.h"

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

class DictationTimelineTest : public OverlayFixture {
 protected:
  // The phases traced since the last call, without stamps; other lines are dropped.
  Lines takePhases() {
    Lines phases;
    for (const std::string& line : fake.debug.lines) {
      if (line.rfind("[Trace] ", 0) != 0) continue;
      const std::size_t phase = line.find(' ', 8) + 1;
      phases.push_back(line.substr(phase, line.size() - phase - 1));
    }
    fake.debug.lines.clear();
    return phases;
  }

  void hold() {
    press(VK_LSHIFT);
    press(VK_LCONTROL);
    advance(400);  // past the tap threshold
    release(VK_LCONTROL);
    release(VK_LSHIFT);
  }
};

TEST_F(DictationTimelineTest, SilentWhenOff) {
  listen("Left Shift + Left Ctrl");
  hold();
  fake.windows.paint(hotkey->recording().window());
  EXPECT_EQ(takePhases(), Lines{});
}

TEST_F(DictationTimelineTest, PhasesInTheOrderTheyHappen) {
  fake.trace = platform::Trace(fake.clock, fake.debug, true);
  listen("Left Shift + Left Ctrl");
  press(VK_LSHIFT);
  press(VK_LCONTROL);
  // WM_PAINT comes from the queue after the show; only the first paint after a show counts.
  fake.windows.paint(hotkey->recording().window());
  fake.windows.paint(hotkey->recording().window());
  EXPECT_EQ(takePhases(),
            (Lines{"hook saw the key-down", "event sent", "overlay shown", "first paint"}));

  advance(400);
  release(VK_LCONTROL);
  fake.windows.paint(hotkey->recording().window());
  EXPECT_EQ(takePhases(), (Lines{"overlay shown", "first paint"}));  // the transcribing look
}

}  // namespace
}  // namespace fake
