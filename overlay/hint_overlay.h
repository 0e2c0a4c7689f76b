// The hint overlay: a red panel at the top centre telling the user to hold the hotkey, shown after
// a tap and closed by its close area or after six seconds. Its width follows the wider line.
//
// Owned by the hotkey controller, which shows it (after hiding the recording overlay). It owns
// its window, its auto-close timer, whose procedure is the controller's context-free callback
// handing over to onAutoClose, and from show to close its fonts, brushes and off-screen picture.
// It reads the texts and the hotkey's label it was given at each show and paint, and redraws the
// picture only when a filled line changed. Never wider than the primary monitor's work area: a
// line that does not fit ends in "...". Main thread.
#pragma once

#include <optional>
#include <string>

#include "overlay/overlay_drawing.h"
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

  // Copies the panel, the warning sign, both filled lines and the close glyph (what of them lies in
  // `area`) into `target`, drawing them off screen first when the picture is new or a line changed.
  void paint(HDC target, const RECT& client, const RECT& area) override;

  HWND window() const { return hintOverlay.handle(); }
  const platform::ThreadTimer& timer() const { return hintTimer; }

 private:
  // What the hint draws with from show to close, and the lines its picture shows.
  struct Frame {
    explicit Frame(platform::Gdi& gdi);
    platform::UniqueGdiObject<HFONT> signFont;
    platform::UniqueGdiObject<HFONT> firstFont;
    platform::UniqueGdiObject<HFONT> secondFont;
    platform::UniqueGdiObject<HFONT> closeFont;
    platform::UniqueGdiObject<HBRUSH> key;
    platform::UniqueGdiObject<HBRUSH> panel;
    platform::UniqueGdiObject<HPEN> nullPen;
    std::optional<OffscreenCanvas> canvas;  // made at the first paint, for the paint's DC
    std::u16string first;
    std::u16string second;
  };

  void click(int x) override;
  // `tmpl` filled with the label, of which only the part a line can hold is converted.
  std::u16string filled(const std::u16string& tmpl) const;
  void compose(Frame& frame, const std::u16string& first, const std::u16string& second);

  platform::Platform& platform_;
  const OverlayTexts& texts_;
  const std::string& label_;
  OverlayWindow hintOverlay;
  platform::ThreadTimer hintTimer;
  std::optional<Frame> frame_;
};

}  // namespace overlay
