// The transcript caption: the newest partial transcript on one line under the recording pill, so
// the user sees the words being understood while still speaking, without anything being typed
// into the target field.
//
// Owned by the recording overlay, which hands it the text only while the pill shows and makes it
// follow the pill: its place below the pill, the pill's opacity (and so its fade), hidden and
// destroyed with it. The window is created at the first text after a new pill and then reused;
// the canvas, brushes and font live from the first text until the caption is hidden. The picture
// is composed when the text changes and nowhere else: a paint only copies it, no timer of its own
// runs, and the pill's pulse and spinner never touch it. Main thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "overlay/overlay_drawing.h"
#include "overlay/overlay_window.h"
#include "platform/platform.h"
#include "platform/win_types.h"

namespace overlay {

inline constexpr const char16_t* kCaptionClassName = u"MurmurlyTranscriptOverlay";
inline constexpr int kCaptionHeight = 32;
inline constexpr int kCaptionGap = 6;  // from the pill's bottom edge to the caption's top
inline constexpr int kCaptionMinWidth = 160;
inline constexpr int kCaptionMaxWidth = 640;
inline constexpr int kCaptionPadding = 16;  // text inset at each rounded end
// What is kept of a transcript: far more than the caption can ever show, and a bound on the
// work a huge text can cause.
inline constexpr std::size_t kCaptionKeptUnits = 4096;

class TranscriptCaption final : private OverlayWindow::Content {
 public:
  explicit TranscriptCaption(platform::Platform& platform);

  // The newest transcript (UTF-8), replacing the last as a whole; an empty one hides the caption.
  // Only its last kCaptionKeptUnits units are kept, control characters shown as spaces. When it
  // is wider than the caption can be, its start is cut and marked with "...".
  void setText(const std::string& utf8);
  // The pill was placed (each look places it anew) with its bottom edge at `pillBottom`: the
  // caption goes below it.
  void follow(int pillBottom);
  // The pill's opacity, taken over at once.
  void setOpacity(BYTE alpha);
  // Forgets the text while the window fades out with the pill; no later look shows it again.
  void dropText() { text_.clear(); }
  void hide();
  void destroy();

  bool hasText() const { return !text_.empty(); }
  HWND window() const { return window_.handle(); }

  void paint(HDC target, const RECT& client, const RECT& area) override;

 private:
  struct Frame {
    Frame(platform::Gdi& gdi, HDC screen);
    OffscreenCanvas canvas;  // the widest caption: every width is drawn into its left part
    platform::UniqueGdiObject<HBRUSH> key;
    platform::UniqueGdiObject<HBRUSH> pill;
    platform::UniqueGdiObject<HPEN> nullPen;
    platform::UniqueGdiObject<HFONT> font;
    int markWidth;             // of the "..." that marks a cut start
    std::vector<int> extents;  // a measured text's widths up to each unit
  };

  void click(int) override {}
  // Draws the caption into the canvas; returns its width.
  int compose(Frame& frame);
  // What the caption shows of the text, and that part's width in pixels.
  std::u16string fitted(Frame& frame, int& width) const;

  platform::Platform& platform_;
  OverlayWindow window_;
  std::optional<Frame> frame_;
  std::u16string text_;
  bool visible_ = false;
  BYTE alpha_ = 255;
  int top_ = kTop;
  int placedWidth_ = 0;
  int placedTop_ = 0;
};

}  // namespace overlay
