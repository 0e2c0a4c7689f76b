// The hint overlay on the fake platform: measuring and width, placement, auto-close, close area,
// repeated taps, paint.
#include <gtest/gtest.h>

#include <string>

#include "overlay/hint_overlay.h"
#include "tests/support/overlay_fixture.h"

namespace fake {
namespace {

// The fake's metric: bold -13 is 7 pixels a unit, regular -11 is 5.
constexpr int kFirstUnit = 7;
constexpr int kSecondUnit = 5;
const std::u16string kFirst = u"Don't tap. Hold down Left Shift + Left Ctrl.";
const std::u16string kSecond =
    u"Hold down Left Shift + Left Ctrl while speaking, release to see text.";

class HintOverlayTest : public OverlayFixture {
 protected:
  void setDontTap(const std::string& text) {
    hotkey->setLocalizedStrings({{EncodableValue(std::string("dontTap")), EncodableValue(text)}});
  }
};

TEST_F(HintOverlayTest, WidthIsTheWiderMeasuredLinePlus100AndTheHintIsCentred) {
  hotkey->showHintOverlay();
  ASSERT_EQ(fake.gdi.measured.size(), 2u);
  EXPECT_EQ(fake.gdi.measured[0].first, kFirst);
  EXPECT_EQ(fake.gdi.measured[0].second.height, -13);
  EXPECT_EQ(fake.gdi.measured[0].second.weight, 700);
  EXPECT_EQ(fake.gdi.measured[1].first, kSecond);
  EXPECT_EQ(fake.gdi.measured[1].second.height, -11);
  EXPECT_EQ(fake.gdi.measured[1].second.weight, 400);

  const int width = static_cast<int>(kSecond.size()) * kSecondUnit + 100;
  FakeWindow* w = hint();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->className, u"MurmurlyHintOverlay");
  EXPECT_EQ(w->width, width);
  EXPECT_EQ(w->height, 58);
  EXPECT_EQ(w->x, (1920 - width) / 2);
  EXPECT_EQ(w->y, 8);
  EXPECT_EQ(w->exStyle & 0x8080088u, 0x8080088u);
  EXPECT_TRUE(w->visible);
  EXPECT_EQ(w->layeredAlpha, 230);
  EXPECT_EQ(w->layeredKey, RGB(255, 0, 255));
  EXPECT_EQ(fake.timers.periodMs(hotkey->hint().timer().id()), 6000);
  expectGdiBalanced();  // the screen DC was released and both fonts deleted

  // A wider first line decides instead.
  setDontTap(std::string(100, 'W'));
  hotkey->showHintOverlay();
  EXPECT_EQ(hint()->width, 100 * kFirstUnit + 100);
}

TEST_F(HintOverlayTest, ClosesAtTheCloseAreaOnlyAndKeepsTheFocusElsewhere) {
  const HWND editor = fake.windows.addWindow(u"Notepad", WS_VISIBLE);
  fake.windows.foreground = editor;
  hotkey->showHintOverlay();
  const HWND window = hotkey->hint().window();
  const int w = hint()->width;
  EXPECT_EQ(fake.windows.sendMessage(window, WM_MOUSEACTIVATE), MA_NOACTIVATE);

  fake.windows.click(window, w - 37, 20);
  EXPECT_EQ(hotkey->hint().window(), window);
  EXPECT_TRUE(hint()->visible);

  fake.windows.click(window, w - 36, 20);
  EXPECT_EQ(hotkey->hint().window(), nullptr);
  EXPECT_TRUE(fake.windows.window(window)->destroyed);
  EXPECT_EQ(hotkey->hint().timer().id(), 0u);
  EXPECT_TRUE(fake.timers.running().empty());
  EXPECT_EQ(fake.windows.foreground, editor);
  EXPECT_EQ(takeLog(), Log{});  // closing tells the Dart side nothing
}

TEST_F(HintOverlayTest, TwoTapsTwoSecondsApartShowOneHintClosingSixSecondsAfterTheSecond) {
  listen();
  press(VK_LCONTROL);
  press(VK_LSHIFT);
  release(VK_LSHIFT);
  const HWND first = hotkey->hint().window();
  ASSERT_NE(first, nullptr);
  release(VK_LCONTROL);
  advance(2000);
  press(VK_LCONTROL);
  press(VK_LSHIFT);
  release(VK_LSHIFT);
  release(VK_LCONTROL);
  EXPECT_TRUE(fake.windows.window(first)->destroyed);
  ASSERT_NE(hint(), nullptr);
  EXPECT_EQ(fake.windows.liveWindows().size(), 2u);  // the hint and the hidden recording pill
  advance(5999);
  EXPECT_NE(hotkey->hint().window(), nullptr);
  advance(1);
  EXPECT_EQ(hotkey->hint().window(), nullptr);
  EXPECT_TRUE(fake.timers.running().empty());
}

TEST_F(HintOverlayTest, ATapHidesTheRecordingPillAtOnceUnlessOverlaysAreOff) {
  hotkey->recording().showListeningLook();
  hotkey->showHintOverlay();
  EXPECT_FALSE(recording()->visible);
  EXPECT_EQ(hotkey->recording().pulse().id(), 0u);
  hotkey->hint().close();

  hotkey->recording().showListeningLook();
  hotkey->setOverlayEnabled(false);
  hotkey->showHintOverlay();
  EXPECT_EQ(hotkey->hint().window(), nullptr);
  EXPECT_TRUE(recording()->visible);
}

TEST_F(HintOverlayTest, PaintOfThePanel) {
  hotkey->showHintOverlay();
  const int w = hint()->width;
  const std::vector<DrawCall> draws = paint(hotkey->hint().window());
  ASSERT_EQ(draws.size(), 7u);
  EXPECT_EQ(draws[0].op, "FillRect");
  EXPECT_EQ(draws[0].coords, rect(0, 0, w, 58));
  EXPECT_EQ(draws[0].brushColour, RGB(255, 0, 255));
  EXPECT_EQ(draws[1].op, "RoundRect");
  EXPECT_EQ(draws[1].coords, (std::vector<int>{0, 0, w, 58, 24, 24}));
  EXPECT_EQ(draws[1].brushColour, RGB(200, 30, 30));
  EXPECT_EQ(draws[1].penStyle, PS_NULL);

  const DrawCall& sign = draws[2];
  EXPECT_EQ(sign.text, u"\u26A0");
  EXPECT_EQ(sign.coords, rect(12, 14, 36, 42));
  EXPECT_EQ(sign.format, DT_SINGLELINE);
  EXPECT_EQ(sign.textColour, RGB(255, 255, 0));
  EXPECT_EQ(sign.font.height, -16);
  EXPECT_EQ(sign.font.weight, 400);
  EXPECT_EQ(sign.font.face, u"Segoe UI Emoji");

  EXPECT_EQ(draws[3].text, kFirst);
  EXPECT_EQ(draws[3].coords, rect(40, 8, w - 40, 28));
  EXPECT_EQ(draws[3].format, DT_SINGLELINE | DT_VCENTER);
  EXPECT_EQ(draws[3].font.height, -13);
  EXPECT_EQ(draws[3].font.weight, 700);
  EXPECT_EQ(draws[3].textColour, RGB(255, 255, 255));
  EXPECT_EQ(draws[4].text, kSecond);
  EXPECT_EQ(draws[4].coords, rect(40, 30, w - 40, 50));
  EXPECT_EQ(draws[4].font.height, -11);
  EXPECT_EQ(draws[4].font.weight, 400);

  const DrawCall& close = draws[5];
  EXPECT_EQ(close.text, u"\u2715");
  EXPECT_EQ(close.coords, rect(w - 36, 14, w - 8, 42));
  EXPECT_EQ(close.format, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  EXPECT_EQ(close.font.height, -14);
  EXPECT_EQ(close.font.weight, 700);
  for (std::size_t i = 2; i < 6; ++i) EXPECT_EQ(draws[i].bkMode, TRANSPARENT) << i;

  EXPECT_EQ(draws[6].op, "BitBlt");
  EXPECT_EQ(draws[6].coords, (std::vector<int>{0, 0, w, 58, 0, 0}));
  EXPECT_EQ(draws[6].sourceBitmapWidth, w);
  expectGdiBalanced();
}

TEST_F(HintOverlayTest, AnOverlongLineIsCutAt511UnitsWhenMeasuredAndWhenDrawn) {
  setDontTap(std::string(600, 'x') + "%s");
  hotkey->showHintOverlay();
  EXPECT_EQ(fake.gdi.measured[0].first, std::u16string(511, u'x'));
  EXPECT_EQ(hint()->width, 511 * kFirstUnit + 100);
  EXPECT_EQ(paint(hotkey->hint().window())[3].text, std::u16string(511, u'x'));
}

TEST_F(HintOverlayTest, FailedCreationStillRunsTheTimerToNoEffect) {
  fake.windows.failCreateWindow = true;
  hotkey->showHintOverlay();
  EXPECT_EQ(hotkey->hint().window(), nullptr);
  EXPECT_NE(hotkey->hint().timer().id(), 0u);
  advance(6000);
  EXPECT_EQ(hotkey->hint().timer().id(), 0u);
  EXPECT_TRUE(fake.timers.running().empty());
}

}  // namespace
}  // namespace fake
