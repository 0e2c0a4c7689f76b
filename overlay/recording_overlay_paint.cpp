#include <cmath>

#include "overlay/overlay_drawing.h"
#include "overlay/recording_overlay.h"

namespace overlay {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr FontStyle kCaptionFont{-13, FW_MEDIUM, u"Segoe UI"};
constexpr FontStyle kCancelFont{-12, FW_BOLD, u"Segoe UI"};
constexpr float kPi = 3.14159f;

// Mix from the pill's blue (level 0) to red (level 1), each channel truncated to 8 bits.
COLORREF dotColour(float level) {
  const float rest = 1.0f - level;
  const auto channel = [](float value) { return static_cast<BYTE>(static_cast<int>(value)); };
  return RGB(channel(level * 255.0f + rest * 0.0f), channel(rest * 86.0f), channel(rest * 179.0f));
}

void drawSpinner(platform::Gdi& gdi, HDC dc, float angle) {
  const platform::UniqueGdiObject<HPEN> pen(gdi, gdi.CreatePen(PS_SOLID, 2, kWhite));
  const platform::SelectionGuard penSelected(gdi, dc, pen.get());
  const platform::SelectionGuard brushSelected(gdi, dc, gdi.GetStockObject(NULL_BRUSH));
  const float a = angle * kPi / 180.0f;
  const float b = (angle + 270.0f) * kPi / 180.0f;
  // The DC's default counter-clockwise direction: three quarters of a turn from a to b.
  gdi.Arc(dc, 14, 12, 30, 28, static_cast<int>(22.0f + 8.0f * std::cos(a)),
          static_cast<int>(20.0f - 8.0f * std::sin(a)),
          static_cast<int>(22.0f + 8.0f * std::cos(b)),
          static_cast<int>(20.0f - 8.0f * std::sin(b)));
}

void drawDot(platform::Gdi& gdi, HDC dc, float level) {
  const platform::UniqueGdiObject<HBRUSH> brush(gdi, gdi.CreateSolidBrush(dotColour(level)));
  const platform::UniqueGdiObject<HPEN> pen(gdi, gdi.CreatePen(PS_NULL, 0, 0));
  const platform::SelectionGuard brushSelected(gdi, dc, brush.get());
  const platform::SelectionGuard penSelected(gdi, dc, pen.get());
  gdi.Ellipse(dc, 14, 15, 24, 25);
}

}  // namespace

void RecordingOverlay::paint(HDC target, const RECT& client) {
  platform::Gdi& gdi = *platform_.gdi;
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  OffscreenCanvas canvas(gdi, target, width, height);
  const HDC dc = canvas.dc();

  fillSolid(gdi, dc, client, kColourKey);
  fillRounded(gdi, dc, client, kCorner, kPillColour);
  if (showSpinner) {
    drawSpinner(gdi, dc, spinnerAngle);
    drawText(gdi, dc, texts_.transcribing(), RECT{34, 0, kCancelAreaLeft, 40},
             DT_SINGLELINE | DT_VCENTER, kWhite, kCaptionFont);
  } else {
    drawDot(gdi, dc, pulseLevel);
    drawText(gdi, dc, texts_.listening(), RECT{30, 0, kCancelAreaLeft, 40},
             DT_SINGLELINE | DT_VCENTER, kWhite, kCaptionFont);
  }
  drawText(gdi, dc, u"\u2715", RECT{130, 0, 154, 40}, DT_SINGLELINE | DT_VCENTER | DT_CENTER,
           RGB(200, 200, 200), kCancelFont);
  canvas.present();
}

}  // namespace overlay
