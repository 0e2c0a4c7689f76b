// The recording overlay: the pill at the top centre of the primary screen, 160 x 40, shown while
// the user holds the hotkey (listening look: pulsing dot and caption) and while the Dart side
// transcribes (transcribing look: rotating arc and caption); its right-hand end is the cancel area.
// Below it, the transcript caption shows the partial transcript the Dart side sends.
//
// Owned by the hotkey controller, which tells it which look to show and is told when the cancel
// area is clicked. It owns its window, the caption, its animation state and its pulse, spinner and
// fade timers; their procedures are the controller's context-free callbacks, which hand over to
// onPulse, onSpinner and onFade at once. Main thread.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "overlay/overlay_drawing.h"
#include "overlay/overlay_texts.h"
#include "overlay/overlay_window.h"
#include "overlay/transcript_caption.h"
#include "platform/platform.h"
#include "platform/thread_timer.h"
#include "platform/win_types.h"

namespace overlay {

inline constexpr const char16_t* kRecordingClassName = u"MurmurlyRecordingOverlay";
inline constexpr int kRecordingWidth = 160;
inline constexpr int kRecordingHeight = 40;
inline constexpr int kCancelAreaLeft = 124;
inline constexpr COLORREF kPillColour = RGB(0, 86, 179);
inline constexpr BYTE kListeningAlpha = 240;
inline constexpr BYTE kTranscribingAlpha = 230;

class RecordingOverlay final : private OverlayWindow::Content {
 public:
  // The procedures the three animation timers run.
  struct TimerProcs {
    TIMERPROC pulse;
    TIMERPROC spinner;
    TIMERPROC fade;
  };

  RecordingOverlay(platform::Platform& platform, const OverlayTexts& texts, TimerProcs procs,
                   std::function<void()> cancelAreaClicked);
  // Stops the timers, then destroys the window.
  ~RecordingOverlay() = default;

  // The window is created afresh, red dot at full level, opacity 240, pulse running.
  void showListeningLook();
  // The same window (created if missing) shows the arc from angle 0, opacity 230, spinner running.
  void showTranscribingLook();
  // Stops the animations; an existing window fades out over twelve 20 ms steps and is hidden.
  void fadeOut();
  // Stops every timer and hides the window at once.
  void hide();
  // The newest partial transcript (UTF-8) for the caption, taken only while the pill shows: every
  // listening look starts without one, and a hide or a fade-out drops it.
  void setTranscript(const std::string& utf8);

  // One step of each animation, from the timer procedures.
  void onPulse();
  void onSpinner();
  void onFade();

  // Brings the kept off-screen picture up to date for the current look (the whole picture after a
  // change of look or text, else only the dot or the arc) and copies its `area` into `target`.
  void paint(HDC target, const RECT& client, const RECT& area) override;

  HWND window() const { return recordingOverlay.handle(); }
  const TranscriptCaption& caption() const { return caption_; }
  float level() const { return pulseLevel; }
  bool falling() const { return pulseFalling; }
  float angle() const { return spinnerAngle; }
  const platform::ThreadTimer& pulse() const { return pulseTimer; }
  const platform::ThreadTimer& spinner() const { return spinnerTimer; }
  const platform::ThreadTimer& fade() const { return fadeTimer; }

 private:
  // What the overlay draws with while it is on screen, created at its first paint after a show and
  // released when it is hidden or destroyed; and what the picture in the canvas shows.
  struct Frame {
    Frame(platform::Gdi& gdi, HDC target, int width, int height);
    OffscreenCanvas canvas;
    platform::UniqueGdiObject<HBRUSH> key;
    platform::UniqueGdiObject<HBRUSH> pill;
    platform::UniqueGdiObject<HPEN> nullPen;
    platform::UniqueGdiObject<HPEN> arcPen;
    platform::UniqueGdiObject<HFONT> captionFont;
    platform::UniqueGdiObject<HFONT> cancelFont;
    platform::UniqueGdiObject<HBRUSH> dot;
    COLORREF dotColour = 0;
    bool composed = false;
    bool spinnerLook = false;
    unsigned textsVersion = 0;
    float drawnLevel = -1.0f;
    float drawnAngle = -1.0f;
  };

  void click(int x) override;
  void compose(Frame& frame);
  void drawAnimation(Frame& frame);
  // The part of the window the dot or the arc covers: all an animation step repaints.
  RECT animationRect() const;
  void create();
  void place();
  void destroy();
  // The pill's opacity, which the caption follows.
  void setOpacity(BYTE alpha);

  platform::Platform& platform_;
  const OverlayTexts& texts_;
  std::function<void()> cancelAreaClicked_;
  // Declared before the timers so that they are stopped before the window goes.
  OverlayWindow recordingOverlay;
  platform::ThreadTimer pulseTimer;
  platform::ThreadTimer spinnerTimer;
  platform::ThreadTimer fadeTimer;
  float pulseLevel = 1.0f;
  bool pulseFalling = true;
  float spinnerAngle = 0.0f;
  bool showSpinner = false;
  // Shown in either look, neither fading nor hidden: when the caption takes text.
  bool showing_ = false;
  std::optional<Frame> frame_;
  TranscriptCaption caption_;
};

}  // namespace overlay
