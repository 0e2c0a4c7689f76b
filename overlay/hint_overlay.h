// The hint overlay: a red panel at the top centre telling the user to hold the hotkey, shown after
// a tap and closed by its close area or after six seconds. Its width follows the wider line.
//
// Owned by the hotkey controller, which shows it (after hiding the recording overlay). It owns
// its window and its auto-close timer, whose procedure is the controller's context-free callback
// handing over to onAutoClose. It reads the texts and the hotkey's label it was given, anew at
// each show and paint. Main thread.
#pragma once

#include <string>

#include "overlay/overlay_texts.h"
#include "overlay/overlay_window.h"
#include "platform/platform.h"
#include "platform/thread_timer.h"
#include "platform/win_types.h"

namespace overlay {

inline constexpr const char16_t* kHintClassName = u"MurmurlyHintOverlay";
inline constexpr int kHintHeight = 58;
inline constexpr int kHintExtraWidth = 100;  // added to the wider measured line
inline constexpr int kHintCloseAreaWidth = 36;
inline constexpr BYTE kHintAlpha = 230;
inline constexpr COLORREF kHintPanelColour = RGB(200, 30, 30);

class HintOverlay final : private OverlayWindow::Content {
 public:
  HintOverlay(platform::Platform& platform, const OverlayTexts& texts, const std::string& label,
              TIMERPROC autoCloseProc);
  // Stops the timer, then destroys the window.
  ~HintOverlay() = default;

  // Replaces a hint still on screen: measured, created and shown anew, closing in six seconds.
  void show();
  void close();
  // The auto-close timer fired.
  void onAutoClose();

  // Draws the panel, the warning sign, both filled lines and the close glyph into `target`.
  void paint(HDC target, const RECT& client) override;

  HWND window() const { return hintOverlay.handle(); }
  const platform::ThreadTimer& timer() const { return hintTimer; }

 private:
  void click(int x) override;

  platform::Platform& platform_;
  const OverlayTexts& texts_;
  const std::string& label_;
  OverlayWindow hintOverlay;
  platform::ThreadTimer hintTimer;
};

}  // namespace overlay
