#include "overlay/transcript_caption.h"

#include <algorithm>

#include "platform/gdi_objects.h"
#include "platform/window_system.h"
#include "text/reading_direction.h"
#include "text/utf8_to_utf16.h"

namespace overlay {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kCaptionColour = RGB(0, 86, 179);  // the pill's blue
constexpr FontStyle kCaptionFont{-14, FW_MEDIUM, u"Segoe UI"};
constexpr int kTextRoom = kCaptionMaxWidth - 2 * kCaptionPadding;
// How far into the newest part a space may lie for the cut to move to it.
constexpr std::size_t kNearSpace = 16;
// How much of a text's end is measured first (units).
constexpr std::size_t kFirstLook = 128;
constexpr char16_t kCutMark[] = u"\u2026";

bool captionClassAttempted = false;

bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

}  // namespace

TranscriptCaption::Frame::Frame(platform::Gdi& gdi, HDC screen)
    : canvas(gdi, screen, kCaptionMaxWidth, kCaptionHeight),
      key(createBrush(gdi, kColourKey)),
      pill(createBrush(gdi, kCaptionColour)),
      nullPen(createNullPen(gdi)),
      font(createFont(gdi, kCaptionFont)),
      markWidth(textWidth(gdi, canvas.dc(), kCutMark, 1, font.get())),
      extents(kTextRoom) {}

TranscriptCaption::TranscriptCaption(platform::Platform& platform)
    : platform_(platform), window_(*platform.windows, *platform.trace, *this) {}

void TranscriptCaption::setText(const std::string& utf8) {
  std::u16string text = text::toWideTail(utf8, kCaptionKeptUnits);
  // One line: a line break or tab from the recogniser reads as the space it stands for.
  std::replace_if(
      text.begin(), text.end(), [](char16_t unit) { return unit < 0x20 || unit == 0x7F; }, u' ');
  if (text == text_ && visible_) return;
  if (text.empty()) return hide();
  text_ = std::move(text);
  platform::WindowSystem& windows = *platform_.windows;
  if (!frame_) {
    const platform::WindowDc screen(windows, nullptr);
    frame_.emplace(*platform_.gdi, screen.get());
  }
  const int width = compose(*frame_);
  if (!window_) {
    window_.create(kCaptionClassName, captionClassAttempted, width, kCaptionHeight, top_);
    window_.setOpacity(alpha_);
  } else if (width != placedWidth_ || top_ != placedTop_) {
    window_.place(width, kCaptionHeight, top_);
  }
  if (!window_) {
    frame_.reset();
    text_.clear();
    return;
  }
  placedWidth_ = width;
  placedTop_ = top_;
  windows.InvalidateRect(window_.handle(), nullptr, FALSE);
  if (!visible_) {
    windows.ShowWindow(window_.handle(), SW_SHOWNOACTIVATE);
    visible_ = true;
  }
}

void TranscriptCaption::follow(int pillBottom) {
  top_ = pillBottom + kCaptionGap;
  if (!visible_ || top_ == placedTop_) return;
  window_.place(placedWidth_, kCaptionHeight, top_);
  placedTop_ = top_;
}

void TranscriptCaption::setOpacity(BYTE alpha) {
  alpha_ = alpha;
  window_.setOpacity(alpha);
}

void TranscriptCaption::hide() {
  if (visible_) platform_.windows->ShowWindow(window_.handle(), SW_HIDE);
  visible_ = false;
  text_.clear();
  frame_.reset();
}

void TranscriptCaption::destroy() {
  window_.destroy();
  visible_ = false;
  text_.clear();
  frame_.reset();
  placedWidth_ = 0;
}

void TranscriptCaption::paint(HDC target, const RECT&, const RECT& area) {
  if (frame_) frame_->canvas.present(target, area);
}

int TranscriptCaption::compose(Frame& frame) {
  platform::Gdi& gdi = *platform_.gdi;
  int textWidth = 0;
  const std::u16string shown = fitted(frame, textWidth);
  const int width = std::clamp(textWidth + 2 * kCaptionPadding, kCaptionMinWidth, kCaptionMaxWidth);
  const HDC dc = frame.canvas.dc();
  const RECT all{0, 0, width, kCaptionHeight};
  gdi.FillRect(dc, &all, frame.key.get());
  fillRounded(gdi, dc, all, kCaptionHeight, frame.pill.get(), frame.nullPen.get());
  // A transcript is no menu label: "&" is a character.
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX;
  if (text::startsRightToLeft(text_)) format |= DT_RTLREADING;
  drawText(gdi, dc, shown, RECT{kCaptionPadding, 0, width - kCaptionPadding, kCaptionHeight},
           format, kWhite, frame.font.get());
  return width;
}

std::u16string TranscriptCaption::fitted(Frame& frame, int& width) const {
  platform::Gdi& gdi = *platform_.gdi;
  const HDC dc = frame.canvas.dc();
  // One measurement of the text's end gives the width up to each of its units, and so of every
  // part that ends the text: what a cut keeps. The last kFirstLook units hold the cut in any
  // readable font; only where they do not fill the caption is it measured as far as it can show
  // (a visible glyph is at least a pixel wide, so no more than its last kTextRoom units).
  std::size_t start = 0;
  SIZE size{};
  const auto measureLast = [&](std::size_t units) {
    start = text_.size() > units ? text_.size() - units : 0;
    const platform::SelectionGuard selected(gdi, dc, frame.font.get());
    return gdi.GetTextExtentExPointW(dc, platform::W(text_.c_str() + start),
                                     static_cast<int>(text_.size() - start), 0, nullptr,
                                     frame.extents.data(), &size) != FALSE;
  };
  bool measured = measureLast(kFirstLook);
  if (measured && start > 0 && frame.markWidth + size.cx <= kTextRoom) {
    measured = measureLast(frame.extents.size());
  }
  if (!measured) {
    width = kTextRoom;
    return text_.substr(start);
  }
  const auto widthFrom = [&](std::size_t from) {
    return from == start ? size.cx : size.cx - frame.extents[from - start - 1];
  };
  if (start == 0 && size.cx <= kTextRoom) {
    width = size.cx;
    return text_;
  }
  // The earliest start whose rest fits behind the mark.
  std::size_t from = std::max<std::size_t>(start, 1);
  while (from < text_.size() && frame.markWidth + widthFrom(from) > kTextRoom) ++from;
  // Begin with a whole word when a space is near.
  const std::size_t space = text_.find(u' ', from);
  const std::size_t word = text_.find_first_not_of(u' ', space);
  if (space != std::u16string::npos && space - from < kNearSpace && word != std::u16string::npos) {
    from = word;
  }
  if (from < text_.size() && isLowSurrogate(text_[from])) ++from;
  width = frame.markWidth + widthFrom(from);
  return kCutMark + text_.substr(from);
}

}  // namespace overlay
