// The recording overlay on the fake platform: window, looks, animations, fade, cancel area, paint.
#include <gtest/gtest.h>

#include "overlay/recording_overlay.h"
#include "tests/support/overlay_fixture.h"

namespace fake {
namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kPill = RGB(0, 86, 179);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class RecordingOverlayTest : public OverlayFixture {
 protected:
  // Opacity after each 20 ms tick of a fade, until the window is hidden.
  std::vector<int> fadeSteps() {
    std::vector<int> steps;
    hotkey->recording().fadeOut();
    for (int tick = 0; tick < 20 && recording()->visible; ++tick) {
      advance(20);
      if (recording()->visible) steps.push_back(recording()->layeredAlpha);
    }
    return steps;
  }
};

TEST_F(RecordingOverlayTest, ListeningLookIsALayeredTopmostPillAtTheTopCentre) {
  hotkey->recording().showListeningLook();
  FakeWindow* w = recording();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->className, u"MurmurlyRecordingOverlay");
  EXPECT_EQ(w->exStyle & 0x8080088u, 0x8080088u);
  EXPECT_EQ(w->style, WS_POPUP);
  EXPECT_EQ(w->x, 880);
  EXPECT_EQ(w->y, 8);
  EXPECT_EQ(w->width, 160);
  EXPECT_EQ(w->height, 40);
  EXPECT_TRUE(w->visible);
  EXPECT_TRUE(w->topmost);
  EXPECT_EQ(w->layeredKey, kMagenta);
  EXPECT_EQ(w->layeredAlpha, 240);
  EXPECT_EQ(w->layeredFlags, LWA_COLORKEY | LWA_ALPHA);
  EXPECT_EQ(fake.timers.periodMs(hotkey->recording().pulse().id()), 50);
  EXPECT_EQ(FakeWindowSystem::registrationsOf(u"MurmurlyRecordingOverlay"), 1);
}

TEST_F(RecordingOverlayTest, EachListeningLookRecreatesTheWindowAndFollowsTheScreenWidth) {
  hotkey->recording().showListeningLook();
  const HWND first = hotkey->recording().window();
  fake.windows.screenWidth = 1001;
  hotkey->recording().showListeningLook();
  EXPECT_NE(hotkey->recording().window(), first);
  EXPECT_TRUE(fake.windows.window(first)->destroyed);
  EXPECT_EQ(recording()->x, 420);  // (1001 - 160) / 2, truncated
  EXPECT_EQ(fake.windows.liveWindows().size(), 1u);
  EXPECT_EQ(FakeWindowSystem::registrationsOf(u"MurmurlyRecordingOverlay"), 1);
}

TEST_F(RecordingOverlayTest, PaintOfTheListeningLook) {
  hotkey->recording().showListeningLook();
  const std::vector<DrawCall> draws = paint(hotkey->recording().window());
  ASSERT_EQ(draws.size(), 6u);

  EXPECT_EQ(draws[0].op, "FillRect");
  EXPECT_EQ(draws[0].coords, rect(0, 0, 160, 40));
  EXPECT_EQ(draws[0].brushColour, kMagenta);

  EXPECT_EQ(draws[1].op, "RoundRect");
  EXPECT_EQ(draws[1].coords, (std::vector<int>{0, 0, 160, 40, 24, 24}));
  EXPECT_EQ(draws[1].brushColour, kPill);
  EXPECT_EQ(draws[1].penStyle, PS_NULL);

  EXPECT_EQ(draws[2].op, "Ellipse");
  EXPECT_EQ(draws[2].coords, rect(14, 15, 24, 25));
  EXPECT_EQ(draws[2].brushColour, RGB(255, 0, 0));
  EXPECT_EQ(draws[2].penStyle, PS_NULL);

  const DrawCall& caption = draws[3];
  EXPECT_EQ(caption.op, "DrawTextW");
  EXPECT_EQ(caption.text, u"Listening...");
  EXPECT_EQ(caption.length, -1);
  EXPECT_EQ(caption.coords, rect(30, 0, 124, 40));
  EXPECT_EQ(caption.format, 0x24u | DT_END_ELLIPSIS);
  EXPECT_EQ(caption.textColour, kWhite);
  EXPECT_EQ(caption.bkMode, TRANSPARENT);
  EXPECT_EQ(caption.font.height, -13);
  EXPECT_EQ(caption.font.weight, 500);
  EXPECT_EQ(caption.font.face, u"Segoe UI");
  EXPECT_EQ(caption.font.charSet, DEFAULT_CHARSET);
  EXPECT_EQ(caption.font.quality, CLEARTYPE_QUALITY);

  const DrawCall& cancel = draws[4];
  EXPECT_EQ(cancel.text, u"\u2715");
  EXPECT_EQ(cancel.coords, rect(130, 0, 154, 40));
  EXPECT_EQ(cancel.format, 0x25u);
  EXPECT_EQ(cancel.textColour, RGB(200, 200, 200));
  EXPECT_EQ(cancel.font.height, -12);
  EXPECT_EQ(cancel.font.weight, 700);

  const DrawCall& copy = draws[5];
  EXPECT_EQ(copy.op, "BitBlt");
  EXPECT_EQ(copy.dc, fake.windows.paintDc);
  EXPECT_EQ(copy.coords, (std::vector<int>{0, 0, 160, 40, 0, 0}));
  EXPECT_EQ(copy.rop, SRCCOPY);
  EXPECT_EQ(copy.sourceBitmapWidth, 160);
  EXPECT_EQ(copy.sourceBitmapHeight, 40);
  // Everything but the final copy went to the off-screen DC.
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(draws[i].dc, copy.source) << i;
  hotkey->recording().hide();
  expectGdiBalanced();
}

TEST_F(RecordingOverlayTest, PulseReachesItsLowestLevelAfter400msAndIsRedAgainAfter800ms) {
  hotkey->recording().showListeningLook();
  advance(350);
  EXPECT_TRUE(hotkey->recording().falling());
  advance(50);
  EXPECT_EQ(hotkey->recording().level(), 0.2f);
  EXPECT_FALSE(hotkey->recording().falling());
  paint(hotkey->recording().window());
  EXPECT_EQ(fake.gdi.ofOp("Ellipse").at(0).brushColour, RGB(51, 68, 143));
  advance(400);
  EXPECT_EQ(hotkey->recording().level(), 1.0f);
  EXPECT_TRUE(hotkey->recording().falling());
  paint(hotkey->recording().window());
  EXPECT_EQ(fake.gdi.ofOp("Ellipse").at(0).brushColour, RGB(255, 0, 0));
  // Animation frames invalidate without erasing.
  EXPECT_FALSE(recording()->eraseRequested);
  hotkey->recording().fadeOut();
  advance(240);
  expectGdiBalanced();  // the end of the fade hides the pill and releases its objects
}

TEST_F(RecordingOverlayTest, TranscribingLookKeepsTheWindowAndTurnsTheArc) {
  hotkey->recording().showListeningLook();
  const HWND window = hotkey->recording().window();
  const UINT_PTR pulse = hotkey->recording().pulse().id();
  hotkey->recording().showTranscribingLook();
  EXPECT_EQ(hotkey->recording().window(), window);
  EXPECT_EQ(recording()->layeredAlpha, 230);
  EXPECT_FALSE(fake.timers.isRunning(pulse));
  EXPECT_EQ(hotkey->recording().pulse().id(), 0u);
  EXPECT_EQ(fake.timers.periodMs(hotkey->recording().spinner().id()), 30);

  std::vector<DrawCall> draws = paint(window);
  ASSERT_EQ(draws.size(), 6u);
  const DrawCall& arc = draws[2];
  EXPECT_EQ(arc.op, "Arc");
  // From 3 o'clock (30, 20) three quarters round to just left of 6 o'clock: cos(270 degrees) in
  // float with 3.14159 is slightly negative, so 21 after truncation.
  EXPECT_EQ(arc.coords, (std::vector<int>{14, 12, 30, 28, 30, 20, 21, 28}));
  EXPECT_EQ(arc.penStyle, PS_SOLID);
  EXPECT_EQ(arc.penWidth, 2);
  EXPECT_EQ(arc.penColour, kWhite);
  EXPECT_TRUE(arc.nullBrush);
  EXPECT_EQ(draws[3].text, u"Transcribing...");
  EXPECT_EQ(draws[3].coords, rect(34, 0, 124, 40));

  advance(30);
  EXPECT_EQ(hotkey->recording().angle(), 12.0f);
  paint(window);
  EXPECT_EQ(fake.gdi.ofOp("Arc").at(0).coords, (std::vector<int>{14, 12, 30, 28, 29, 18, 23, 27}));
  advance(29 * 30);
  EXPECT_EQ(hotkey->recording().angle(), 0.0f);  // a whole turn in 30 ticks
  hotkey.reset();
  expectGdiBalanced();
}

TEST_F(RecordingOverlayTest, AnimationFramesRepaintOnlyTheDotOrArcWithTheKeptObjects) {
  hotkey->recording().showListeningLook();
  const HWND window = hotkey->recording().window();
  paint(window);
  const int created = fake.gdi.objectsCreated;
  const int dcs = fake.gdi.dcsCreated;
  advance(50);
  std::vector<DrawCall> draws = paint(window);
  ASSERT_EQ(draws.size(), 3u);
  EXPECT_EQ(draws[0].op, "FillRect");  // the dot's square back to the pill colour
  EXPECT_EQ(draws[0].coords, rect(14, 15, 24, 25));
  EXPECT_EQ(draws[0].brushColour, kPill);
  EXPECT_EQ(draws[1].op, "Ellipse");
  EXPECT_EQ(draws[2].op, "BitBlt");  // only the invalidated square reaches the window
  EXPECT_EQ(draws[2].coords, (std::vector<int>{14, 15, 10, 10, 14, 15}));
  EXPECT_EQ(fake.gdi.objectsCreated, created + 1);  // only the dot's new colour
  EXPECT_EQ(fake.gdi.dcsCreated, dcs);
  EXPECT_EQ(paint(window).size(), 1u);  // nothing changed: the kept picture is copied again

  // A new caption or look redraws the whole picture.
  hotkey->setLocalizedStrings({{EncodableValue(std::string("listening")), EncodableValue("Ho")}});
  draws = paint(window);
  ASSERT_EQ(draws.size(), 6u);
  EXPECT_EQ(draws[3].text, u"Ho");
  hotkey->recording().showTranscribingLook();
  draws = paint(window);
  ASSERT_EQ(draws.size(), 6u);
  advance(30);
  draws = paint(window);
  ASSERT_EQ(draws.size(), 3u);
  EXPECT_EQ(draws[0].coords, rect(12, 10, 32, 30));  // the arc and its 2-pixel pen's overhang
  EXPECT_EQ(draws[1].op, "Arc");
  EXPECT_EQ(draws[2].coords, (std::vector<int>{12, 10, 20, 20, 12, 10}));
  hotkey->recording().hide();
  expectGdiBalanced();
}

TEST_F(RecordingOverlayTest, StaysInTheWorkAreaAndCutsAnOverlongCaptionWithAnEllipsis) {
  fake.windows.workArea = RECT{0, 40, 1920, 1080};  // a taskbar along the top
  hotkey->setLocalizedStrings(
      {{EncodableValue(std::string("listening")), EncodableValue(std::string(1 << 20, 'L'))}});
  hotkey->recording().showListeningLook();
  EXPECT_EQ(recording()->x, 880);
  EXPECT_EQ(recording()->y, 40);
  const DrawCall caption = paint(hotkey->recording().window())[3];
  EXPECT_EQ(caption.text, std::u16string(95, u'L'));  // the 94 pixels across, and one to overflow
  EXPECT_EQ(caption.format & DT_END_ELLIPSIS, DT_END_ELLIPSIS);
}

TEST_F(RecordingOverlayTest, TranscribingLookWithoutAWindowCreatesOne) {
  hotkey->recording().showTranscribingLook();
  ASSERT_NE(recording(), nullptr);
  EXPECT_TRUE(recording()->visible);
  EXPECT_EQ(recording()->x, 880);
  EXPECT_EQ(recording()->layeredAlpha, 230);
}

TEST_F(RecordingOverlayTest, FadeHidesOnTheTwelfthTickFromEitherLook) {
  hotkey->recording().showListeningLook();
  EXPECT_EQ(fadeSteps(), (std::vector<int>{220, 200, 180, 160, 140, 120, 100, 80, 60, 40, 20}));
  EXPECT_EQ(hotkey->recording().fade().id(), 0u);
  EXPECT_TRUE(fake.timers.running().empty());
  EXPECT_FALSE(recording()->destroyed);

  hotkey->recording().showTranscribingLook();
  EXPECT_EQ(fadeSteps(), (std::vector<int>{210, 190, 170, 150, 130, 110, 90, 70, 50, 30, 10}));
  EXPECT_TRUE(fake.timers.running().empty());
}

TEST_F(RecordingOverlayTest, HideDuringTheFadeStopsItAndHidesAtOnce) {
  hotkey->recording().showListeningLook();
  hotkey->recording().fadeOut();
  advance(60);
  hotkey->hideOverlay();
  EXPECT_FALSE(recording()->visible);
  EXPECT_EQ(hotkey->recording().fade().id(), 0u);
  EXPECT_TRUE(fake.timers.running().empty());
  EXPECT_EQ(recording()->layeredAlpha, 180);
}

TEST_F(RecordingOverlayTest, ANewLookStopsAFadeStillRunning) {
  hotkey->recording().showListeningLook();
  hotkey->recording().fadeOut();
  advance(100);
  hotkey->recording().showListeningLook();
  advance(500);
  EXPECT_TRUE(recording()->visible);
  EXPECT_EQ(recording()->layeredAlpha, 240);

  hotkey->recording().fadeOut();
  advance(100);
  hotkey->recording().showTranscribingLook();
  advance(500);
  EXPECT_TRUE(recording()->visible);
  EXPECT_EQ(recording()->layeredAlpha, 230);
  EXPECT_EQ(hotkey->recording().fade().id(), 0u);
}

TEST_F(RecordingOverlayTest, FadeAndHideWithoutAWindowChangeNothing) {
  hotkey->recording().fadeOut();
  hotkey->recording().hide();
  EXPECT_EQ(hotkey->recording().fade().id(), 0u);
  EXPECT_TRUE(fake.timers.running().empty());
  EXPECT_TRUE(fake.windows.liveWindows().empty());
}

TEST_F(RecordingOverlayTest, CancelAreaStartsAtX124AndNeverTakesTheFocus) {
  const HWND editor = fake.windows.addWindow(u"Notepad", WS_VISIBLE);
  fake.windows.foreground = editor;
  listen();
  press(VK_LCONTROL);
  press(VK_LSHIFT);
  takeLog();
  const HWND window = hotkey->recording().window();
  EXPECT_EQ(fake.windows.sendMessage(window, WM_MOUSEACTIVATE), MA_NOACTIVATE);
  EXPECT_EQ(fake.windows.sendMessage(window, WM_ERASEBKGND), 1);

  fake.windows.click(window, 123, 20);
  EXPECT_EQ(takeLog(), Log{});
  EXPECT_EQ(hotkey->recording().fade().id(), 0u);
  EXPECT_TRUE(hotkey->hold().recording());

  fake.windows.click(window, 124, 20);
  EXPECT_EQ(takeLog(), Log{"=> onHotkeyCancelled"});
  EXPECT_TRUE(hotkey->hold().byButton());
  EXPECT_NE(hotkey->recording().fade().id(), 0u);
  advance(240);
  EXPECT_FALSE(recording()->visible);
  EXPECT_EQ(fake.windows.foreground, editor);
}

TEST_F(RecordingOverlayTest, FailedCreationLeavesNoWindowAndTheTimersIdle) {
  fake.windows.failCreateWindow = true;
  hotkey->recording().showListeningLook();
  EXPECT_EQ(hotkey->recording().window(), nullptr);
  advance(400);
  EXPECT_EQ(hotkey->recording().level(), 1.0f);
  hotkey->recording().showTranscribingLook();
  advance(300);
  EXPECT_EQ(hotkey->recording().angle(), 0.0f);
  hotkey->recording().fadeOut();
  EXPECT_EQ(hotkey->recording().fade().id(), 0u);
}

TEST_F(RecordingOverlayTest, TeardownDestroysTheWindowAndStopsEveryTimer) {
  hotkey->recording().showListeningLook();
  hotkey->recording().fadeOut();
  hotkey->recording().showTranscribingLook();
  hotkey.reset();
  EXPECT_TRUE(fake.windows.liveWindows().empty());
  EXPECT_TRUE(fake.timers.running().empty());
}

}  // namespace
}  // namespace fake
