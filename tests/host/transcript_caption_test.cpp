// The transcript caption under the recording pill, on the fake platform (7 pixels a unit).
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "overlay/recording_overlay.h"
#include "tests/support/overlay_fixture.h"

namespace fake {
namespace {

class TranscriptCaptionTest : public OverlayFixture {
 protected:
  FakeWindow* caption() { return fake.windows.window(hotkey->recording().caption().window()); }
  bool captionShows() { return caption() != nullptr && caption()->visible; }  // not destroyed
};

TEST_F(TranscriptCaptionTest, ShowsTheNewestWordsThatFitUnderThePill) {
  // The text, what shows of it, the caption's width, and DT_RTLREADING or 0.
  const std::tuple<std::string, std::u16string, int, UINT> cases[] = {
      {"Tom &\nJerry", u"Tom & Jerry", 160, 0u},
      // 85 units fit behind the mark; they start 3 before the space, so the cut moves past it.
      {std::string(50, 'x') + " " + std::string(40, 'y') + " " + std::string(40, 'z'),
       u"\u2026" + std::u16string(40, u'y') + u" " + std::u16string(40, u'z'), 606, 0u},
      {std::string(200, 'w'), u"\u2026" + std::u16string(85, u'w'), 634, 0u},
      // Right to left: only the last 4,096 units count, and of them the digits do not.
      {"a" + std::string(4096, '1') + "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D",
       u"\u2026" + std::u16string(81, u'1') + u"\u05E9\u05DC\u05D5\u05DD", 634, DT_RTLREADING},
  };
  hotkey->recording().showListeningLook();
  for (const auto& [text, shown, width, reading] : cases) {
    fake.gdi.draws.clear();
    hotkey->setOverlayTranscript(text);
    ASSERT_TRUE(captionShows()) << text;
    EXPECT_EQ(rect(caption()->x, caption()->y, caption()->width, caption()->height),
              rect((1920 - width) / 2, 54, width, 32));
    const DrawCall drawn = fake.gdi.ofOp("DrawTextW").at(0);
    EXPECT_EQ(drawn.text, shown);
    EXPECT_EQ(drawn.format & (DT_RTLREADING | DT_NOPREFIX), DT_NOPREFIX | reading);
  }
}

TEST_F(TranscriptCaptionTest, ANewHoldAHideACancelAnEmptyTextAndOverlaysOffClearTheWords) {
  overlay::RecordingOverlay& pill = hotkey->recording();
  const std::pair<const char*, std::function<void()>> ends[] = {
      {"new hold", [&] { pill.showListeningLook(); }},
      {"hide", [&] { hotkey->hideOverlay(); }},
      {"cancel", [&] { pill.fadeOut(); }},
      {"empty text", [&] { hotkey->setOverlayTranscript(""); }},
      {"overlays off", [&] { hotkey->setOverlayEnabled(false); }},  // last: they stay off
  };
  for (const auto& [what, end] : ends) {
    pill.showListeningLook();
    hotkey->setOverlayTranscript("old words");
    ASSERT_TRUE(captionShows()) << what;
    end();
    advance(300);  // past a fade
    if (!recording()->visible) hotkey->setOverlayTranscript("sent while no pill showed");
    EXPECT_FALSE(captionShows()) << what;
  }
}

TEST_F(TranscriptCaptionTest, FollowsThePillsOpacityAndIsDrawnOnlyWhenItsTextChanges) {
  overlay::RecordingOverlay& pill = hotkey->recording();
  pill.showListeningLook();
  hotkey->setOverlayTranscript("hello");
  const HWND window = pill.caption().window();
  fake.gdi.draws.clear();
  advance(1000);  // the pill's pulse ticks
  hotkey->setOverlayTranscript("hello");
  EXPECT_TRUE(fake.gdi.ofOp("DrawTextW").empty());
  EXPECT_EQ(paint(window).size(), 1u);  // the kept picture copied

  hotkey->setOverlayTranscript("hello world");
  pill.showTranscribingLook();
  EXPECT_EQ(pill.caption().window(), window);
  EXPECT_EQ(caption()->layeredAlpha, 230);
  pill.fadeOut();
  advance(100);
  EXPECT_EQ(caption()->layeredAlpha, recording()->layeredAlpha);  // fading out with the pill
  pill.showTranscribingLook();  // back before the fade ended: the cancelled words stay away
  EXPECT_FALSE(caption()->visible);
  hotkey->hideOverlay();
  expectGdiBalanced();
}

}  // namespace
}  // namespace fake
