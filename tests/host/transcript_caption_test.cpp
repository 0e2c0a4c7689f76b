// The transcript caption under the recording pill, on the fake platform (7 pixels a unit).
#include <gtest/gtest.h>

#include <functional>

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
  const std::string hebrew = "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D";  // four letters
  struct Case {
    std::string text;
    std::u16string shown;
    int width;
    bool rightToLeft;
  } cases[] = {
      {"Tom &\nJerry", u"Tom & Jerry", 160, false},
      // 85 units fit behind the mark; they start 3 before the space, so the cut moves past it.
      {std::string(50, 'x') + " " + std::string(40, 'y') + " " + std::string(40, 'z'),
       u"\u2026" + std::u16string(40, u'y') + u" " + std::u16string(40, u'z'), 606, false},
      {std::string(200, 'w'), u"\u2026" + std::u16string(85, u'w'), 634, false},
      // Right to left: only the last 4,096 units count, and of them the digits do not.
      {"a" + std::string(4096, '1') + hebrew,
       u"\u2026" + std::u16string(81, u'1') + u"\u05E9\u05DC\u05D5\u05DD", 634, true},
  };
  for (const Case& c : cases) {
    hotkey->recording().showListeningLook();
    hotkey->setOverlayTranscript("earlier words");
    fake.gdi.draws.clear();
    hotkey->setOverlayTranscript(c.text);
    ASSERT_TRUE(captionShows()) << c.text;
    EXPECT_EQ((std::vector<int>{caption()->x, caption()->y, caption()->width, caption()->height}),
              (std::vector<int>{(1920 - c.width) / 2, 54, c.width, 32}));
    const DrawCall text = fake.gdi.ofOp("DrawTextW").at(0);
    EXPECT_EQ(text.text, c.shown);
    EXPECT_EQ(text.format & (DT_RTLREADING | DT_NOPREFIX),
              c.rightToLeft ? DT_RTLREADING | DT_NOPREFIX : DT_NOPREFIX);
    EXPECT_EQ(text.font.height, -14);
  }
}

TEST_F(TranscriptCaptionTest, ANewHoldAHideACancelAndOverlaysOffClearTheWords) {
  overlay::RecordingOverlay& pill = hotkey->recording();
  const std::pair<const char*, std::function<void()>> ends[] = {
      {"new hold", [&] { pill.showListeningLook(); }},
      {"hide", [&] { hotkey->hideOverlay(); }},
      {"cancel", [&] { pill.fadeOut(); }},
      {"overlays off", [&] { hotkey->setOverlayEnabled(false); }},
  };
  for (const auto& [what, end] : ends) {
    pill.showListeningLook();
    hotkey->setOverlayTranscript("old words");
    end();
    advance(300);
    EXPECT_FALSE(captionShows()) << what;
    if (pill.window() == nullptr || !recording()->visible) {
      hotkey->setOverlayTranscript("sent while no pill showed");
      hotkey->setOverlayEnabled(true);
      pill.showTranscribingLook();
      EXPECT_FALSE(captionShows()) << what;
    }
  }
}

TEST_F(TranscriptCaptionTest, FollowsThePillsOpacityAndIsDrawnOnlyWhenItsTextChanges) {
  overlay::RecordingOverlay& pill = hotkey->recording();
  pill.showListeningLook();
  hotkey->setOverlayTranscript("hello");
  const HWND window = pill.caption().window();
  paint(pill.window());
  fake.gdi.draws.clear();
  advance(1000);  // pulse ticks, each repainting the dot
  fake.windows.paint(pill.window());
  const int objects = fake.gdi.objectsCreated;
  hotkey->setOverlayTranscript("hello");
  EXPECT_TRUE(fake.gdi.ofOp("DrawTextW").empty());
  EXPECT_EQ(paint(window).size(), 1u);  // the kept picture copied

  hotkey->setOverlayTranscript("hello world");
  pill.showTranscribingLook();
  EXPECT_EQ(pill.caption().window(), window);
  EXPECT_EQ(fake.gdi.objectsCreated, objects);  // window, canvas, brushes and font reused
  EXPECT_EQ(caption()->layeredAlpha, 230);
  pill.fadeOut();
  advance(100);
  EXPECT_EQ(caption()->layeredAlpha, recording()->layeredAlpha);  // fading out with the pill
  pill.showTranscribingLook();  // back before the fade ended: the cancelled words stay away
  EXPECT_FALSE(caption()->visible);
  hotkey->setOverlayTranscript("again");
  hotkey->setOverlayTranscript("");  // an empty text hides the caption
  EXPECT_FALSE(caption()->visible);
  hotkey->hideOverlay();
  expectGdiBalanced();
}

}  // namespace
}  // namespace fake
