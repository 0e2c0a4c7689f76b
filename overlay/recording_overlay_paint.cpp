#include <cmath>

#include "overlay/overlay_drawing.h"
#include "overlay/recording_overlay.h"

namespace overlay {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr FontStyle kCaptionFont{-13, FW_MEDIUM, u"Segoe UI"};
constexpr FontStyle kCancelFont{-12, FW_BOLD, u"Segoe UI"};
constexpr float kPi = 3.14159f;
constexpr RECT kDot{14, 15, 24, 25};
constexpr RECT kArcBounds{14, 12, 30, 28};
// The arc's bounds and the 2-pixel pen's overhang; inside the pill's flat part and left of the
// caption, so repainting it with the pill colour restores exactly what a whole paint gives.
constexpr RECT kArcArea{12, 10, 32, 30};

// Mix from the pill's blue (level 0) to red (level 1), each channel truncated to 8 bits.
COLORREF dotColour(float level) {
  const float rest = 1.0f - level;
  const auto channel = [](float value) { return static_cast<BYTE>(static_cast<int>(value)); };
  return RGB(channel(level * 255.0f + rest * 0.0f), channel(rest * 86.0f), channel(rest * 179.0f));
}

void drawSpinner(platform::Gdi& gdi, HDC dc, HPEN pen, float angle) {
  const platform::SelectionGuard penSelected(gdi, dc, pen);
  const platform::SelectionGuard brushSelected(gdi, dc, gdi.GetStockObject(NULL_BRUSH));
  const float a = angle * kPi / 180.0f;
  const float b = (angle + 270.0f) * kPi / 180.0f;
  // The DC's default counter-clockwise direction: three quarters of a turn from a to b.
  gdi.Arc(
      dc, kArcBounds.left, kArcBounds.top, kArcBounds.right, kArcBounds.bottom,
      static_cast<int>(22.0f + 8.0f * std::cos(a)), static_cast<int>(20.0f - 8.0f * std::sin(a)),
      static_cast<int>(22.0f + 8.0f * std::cos(b)), static_cast<int>(20.0f - 8.0f * std::sin(b)));
}

void drawDot(platform::Gdi& gdi, HDC dc, HBRUSH brush, HPEN pen) {
  const platform::SelectionGuard brushSelected(gdi, dc, brush);
  const platform::SelectionGuard penSelected(gdi, dc, pen);
  gdi.Ellipse(dc, kDot.left, kDot.top, kDot.right, kDot.bottom);
}

}  // namespace

RecordingOverlay::Frame::Frame(platform::Gdi& gdi, HDC target, int width, int height)
    : canvas(gdi, target, width, height),
      key(createBrush(gdi, kColourKey)),
      pill(createBrush(gdi, kPillColour)),
      nullPen(createNullPen(gdi)),
      arcPen(gdi, gdi.CreatePen(PS_SOLID, 2, kWhite)),
      captionFont(createFont(gdi, kCaptionFont)),
      cancelFont(createFont(gdi, kCancelFont)) {}

RECT RecordingOverlay::animationRect() const { return showSpinner ? kArcArea : kDot; }

void RecordingOverlay::paint(HDC target, const RECT& client, const RECT& area) {
  platform::Gdi& gdi = *platform_.gdi;
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (!frame_ || frame_->canvas.width() != width || frame_->canvas.height() != height) {
    frame_.reset();
    frame_.emplace(gdi, target, width, height);
  }
  Frame& frame = *frame_;
  if (!frame.composed || frame.spinnerLook != showSpinner ||
      frame.textsVersion != texts_.version()) {
    compose(frame);
  } else if (showSpinner ? frame.drawnAngle != spinnerAngle : frame.drawnLevel != pulseLevel) {
    const RECT changed = animationRect();
    gdi.FillRect(frame.canvas.dc(), &changed, frame.pill.get());
    drawAnimation(frame);
  }
  frame.canvas.present(target, area);
}

void RecordingOverlay::compose(Frame& frame) {
  platform::Gdi& gdi = *platform_.gdi;
  const HDC dc = frame.canvas.dc();
  const RECT all{0, 0, frame.canvas.width(), frame.canvas.height()};
  gdi.FillRect(dc, &all, frame.key.get());
  fillRounded(gdi, dc, all, kCorner, frame.pill.get(), frame.nullPen.get());
  drawAnimation(frame);
  constexpr UINT kCaption = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
  if (showSpinner) {
    drawText(gdi, dc, texts_.transcribing(), RECT{34, 0, kCancelAreaLeft, 40}, kCaption, kWhite,
             frame.captionFont.get());
  } else {
    drawText(gdi, dc, texts_.listening(), RECT{30, 0, kCancelAreaLeft, 40}, kCaption, kWhite,
             frame.captionFont.get());
  }
  drawText(gdi, dc, u"\u2715", RECT{130, 0, 154, 40}, DT_SINGLELINE | DT_VCENTER | DT_CENTER,
           RGB(200, 200, 200), frame.cancelFont.get());
  frame.composed = true;
  frame.spinnerLook = showSpinner;
  frame.textsVersion = texts_.version();
}

void RecordingOverlay::drawAnimation(Frame& frame) {
  platform::Gdi& gdi = *platform_.gdi;
  if (showSpinner) {
    drawSpinner(gdi, frame.canvas.dc(), frame.arcPen.get(), spinnerAngle);
    frame.drawnAngle = spinnerAngle;
    return;
  }
  const COLORREF colour = dotColour(pulseLevel);
  if (!frame.dot || frame.dotColour != colour) {
    frame.dot = createBrush(gdi, colour);
    frame.dotColour = colour;
  }
  drawDot(gdi, frame.canvas.dc(), frame.dot.get(), frame.nullPen.get());
  frame.drawnLevel = pulseLevel;
}

}  // namespace overlay
