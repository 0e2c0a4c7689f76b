// The overlays and the text conversion on the real platform, under Wine: pixels read back from
// the screen, a real click in the cancel area, and toWide against MultiByteToWideChar.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "hotkey/global_hotkey.h"
#include "text/utf8_to_utf16.h"
#include "platform/win32/win32_platform.h"
#include "tests/support/foreground.h"
#include "tests/windows/wine_pump.h"

namespace {

using namespace std::chrono_literals;

// The conversion of the bytes up to the first zero, with three ASCII bytes after them: Wine 8 turns
// a sequence whose lead promises more bytes than the input has left into one U+FFFD for the whole
// rest (and with a length of -1 swallows the terminator too), where Windows replaces only the
// maximal ill-formed part. The padding keeps the comparison to what both agree on.
std::u16string realToWide(std::string bytes) {
  bytes += "zzz";
  const int length =
      static_cast<int>(bytes.find('\0') == std::string::npos ? bytes.size() : bytes.find('\0'));
  if (length == 0) return {};
  const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, out.data(), units);
  return std::u16string(out.begin(), out.end());
}

TEST(ToWideAgainstWindows, AgreesWithMultiByteToWideCharOnEveryOneAndTwoByteInput) {
  for (int a = 1; a < 256; ++a) {
    const std::string one(1, static_cast<char>(a));
    ASSERT_EQ(text::toWide(one + "zzz"), realToWide(one)) << a;
    for (int b = 1; b < 256; ++b) {
      const std::string two = one + static_cast<char>(b);
      ASSERT_EQ(text::toWide(two + "zzz"), realToWide(two)) << a << " " << b;
    }
  }
}

TEST(ToWideAgainstWindows, AgreesOnRandomMixturesOfLeadAndContinuationBytes) {
  // Bytes near every boundary of the well-formed table, plus ASCII.
  const unsigned char alphabet[] = {0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0,
                                    0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE, 0xEF,
                                    0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xF8, 0xFE, 0xFF};
  std::mt19937 random(20261207);
  std::uniform_int_distribution<std::size_t> pick(0, sizeof(alphabet) - 1);
  std::uniform_int_distribution<int> length(1, 9);
  for (int i = 0; i < 40000; ++i) {
    std::string bytes;
    for (int n = length(random); n > 0; --n) bytes += static_cast<char>(alphabet[pick(random)]);
    ASSERT_EQ(text::toWide(bytes + "zzz"), realToWide(bytes)) << i;
  }
}

class OverlayOnScreenTest : public ::testing::Test {
 protected:
  COLORREF pixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
  }
  // Waits until the screen shows `colour` at (x, y).
  bool shows(int x, int y, COLORREF colour) {
    return wine::pumpUntil([&] { return pixel(x, y) == colour; }, 5s);
  }

  GlobalHotkey hotkey{platform::Win32Platform()};
};

TEST_F(OverlayOnScreenTest, ListeningPillIsBlueWithARedDotAt880By8) {
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
  hotkey.recording().showListeningLook();
  RECT r{};
  GetWindowRect(hotkey.recording().window(), &r);
  EXPECT_EQ(r.left, 880);
  EXPECT_EQ(r.top, 8);
  EXPECT_EQ(r.right - r.left, 160);
  EXPECT_TRUE(shows(880 + 100, 8 + 4, RGB(0, 86, 179)));  // pill, above the caption
  EXPECT_TRUE(shows(880 + 19, 8 + 20, RGB(255, 0, 0)));   // dot centre at full level
  EXPECT_NE(pixel(880, 8), RGB(0, 86, 179));              // rounded corner is see-through
  BYTE alpha = 0;
  COLORREF key = 0;
  GetLayeredWindowAttributes(hotkey.recording().window(), &key, &alpha, nullptr);
  EXPECT_EQ(alpha, 240);
  EXPECT_EQ(key, RGB(255, 0, 255));
}

TEST_F(OverlayOnScreenTest, TranscribingLookDrawsAWhiteArcInsteadOfTheDot) {
  hotkey.recording().showListeningLook();
  hotkey.recording().showTranscribingLook();
  // No dot any more, and white arc pixels somewhere on the circle of radius 8 round (22, 20).
  EXPECT_TRUE(shows(880 + 19, 8 + 20, RGB(0, 86, 179)));
  const bool arc = wine::pumpUntil(
      [&] {
        int white = 0;
        for (int y = 12; y < 29; ++y) {
          for (int x = 14; x < 31; ++x) white += pixel(880 + x, 8 + y) == RGB(255, 255, 255);
        }
        return white >= 10;
      },
      5s);
  EXPECT_TRUE(arc);
}

TEST_F(OverlayOnScreenTest, HintPanelIsRedAndCentred) {
  hotkey.showHintOverlay();
  ASSERT_NE(hotkey.hint().window(), nullptr);
  RECT r{};
  GetWindowRect(hotkey.hint().window(), &r);
  const int width = r.right - r.left;
  EXPECT_EQ(r.left, (1920 - width) / 2);
  EXPECT_EQ(r.bottom - r.top, 58);
  EXPECT_GT(width, 200);
  EXPECT_TRUE(shows(r.left + width / 2, 8 + 3, RGB(200, 30, 30)));
  hotkey.hint().close();
}

TEST_F(OverlayOnScreenTest, TheHintStillClosesItselfAfterThirtyThousandFades) {
  // Each fade restarts its timer under a fresh id; a stale id once killed the hint's timer.
  hotkey.showHintOverlay();
  hotkey.recording().showListeningLook();
  for (int i = 0; i < 30000; ++i) hotkey.setOverlayEnabled(false);
  hotkey.setOverlayEnabled(true);
  EXPECT_TRUE(wine::pumpUntil([&] { return hotkey.hint().window() == nullptr; }, 15s));
  EXPECT_FALSE(IsWindowVisible(hotkey.recording().window()));
}

TEST_F(OverlayOnScreenTest, AnOverlongHintStaysInTheWorkAreaWithItsPanelOnScreen) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  hotkey.setLocalizedStrings(
      {{EncodableValue("dontTap"), EncodableValue(std::string(1 << 20, 'W'))}});
  hotkey.showHintOverlay();
  ASSERT_NE(hotkey.hint().window(), nullptr);
  RECT r{};
  GetWindowRect(hotkey.hint().window(), &r);
  EXPECT_GE(r.left, work.left);
  EXPECT_LE(r.right, work.right);
  EXPECT_GE(r.top, work.top);
  EXPECT_TRUE(shows(r.left + (r.right - r.left) / 2, r.top + 3, RGB(200, 30, 30)));
  hotkey.hint().close();
}

LRESULT CALLBACK plainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

void clickAt(int x, int y) {
  INPUT inputs[3]{};
  for (INPUT& input : inputs) {
    input.type = INPUT_MOUSE;
    input.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
  inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
  SendInput(3, inputs, sizeof(INPUT));
}

TEST_F(OverlayOnScreenTest, AClickInTheCancelAreaFadesThePillAndLeavesTheFocusAlone) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = plainProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"MurmurlyFocusTarget";
  RegisterClassExW(&windowClass);
  HWND target = CreateWindowExW(0, L"MurmurlyFocusTarget", L"target", WS_OVERLAPPEDWINDOW, 100, 300,
                                400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
  ShowWindow(target, SW_SHOWNORMAL);
  ASSERT_TRUE(desktop::TakeForeground(target));

  hotkey.recording().showListeningLook();
  ASSERT_TRUE(shows(880 + 100, 8 + 4, RGB(0, 86, 179)));
  clickAt(880 + 100, 8 + 20);  // left of the cancel area: nothing
  wine::pumpFor(200ms);
  EXPECT_FALSE(hotkey.recording().fade().running());
  clickAt(880 + 140, 8 + 20);
  EXPECT_TRUE(wine::pumpUntil([&] { return !IsWindowVisible(hotkey.recording().window()); }, 5s));
  EXPECT_EQ(GetForegroundWindow(), target);
  DestroyWindow(target);
}

}  // namespace
