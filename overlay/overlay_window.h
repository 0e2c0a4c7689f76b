// One overlay window and what the two overlays have in common: layered, topmost, never activated,
// top centre of the primary screen and never beyond its work area, and one window procedure in
// which only painting and the left click differ. The overlay part that owns it supplies those two
// as its Content.
//
// The window procedure is context-free: it takes its OverlayWindow from the window's user data,
// which the window's first message (WM_NCCREATE) stores from the creation parameter. Main thread.
#pragma once

#include "platform/trace.h"
#include "platform/win_types.h"
#include "platform/window_system.h"

namespace overlay {

inline constexpr COLORREF kColourKey = RGB(255, 0, 255);
inline constexpr DWORD kExStyle =
    WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE;
inline constexpr int kTop = 8;
inline constexpr int kCorner = 24;

class OverlayWindow {
 public:
  // What differs between the overlays: the picture, and what a left click at client x does.
  class Content {
   public:
    // `area`: the part of the client rectangle this paint must cover.
    virtual void paint(HDC target, const RECT& client, const RECT& area) = 0;
    virtual void click(int x) = 0;

   protected:
    ~Content() = default;
  };

  OverlayWindow(platform::WindowSystem& windows, platform::Trace& trace, Content& content)
      : windows_(windows), trace_(trace), content_(content) {}
  ~OverlayWindow() { destroy(); }
  OverlayWindow(const OverlayWindow&) = delete;
  OverlayWindow& operator=(const OverlayWindow&) = delete;

  // Registers `className` on the first call for `classAttempted`, the caller's process-wide flag
  // (window classes live as long as the process; the result is not checked: creating the window
  // is what fails if registration did), then creates the hidden window at topCentre. The handle
  // stays null if creation fails.
  void create(const char16_t* className, bool& classAttempted, int width, int height,
              int top = kTop);
  // Moves the window to topCentre(width, height, top), topmost, without activating it; returns
  // that place (also when there is no window).
  RECT place(int width, int height, int top = kTop);
  void destroy();
  // Shows the window without activating it. The timeline gets "overlay shown" and, at the next
  // WM_PAINT, "first paint".
  void show();

  HWND handle() const { return window_; }
  explicit operator bool() const { return window_ != nullptr; }

  // Where a window of `width` x `height` goes: centred on the primary screen, `top` pixels from
  // its top, then cut to the primary monitor's work area and moved inside it (a taskbar at the top
  // pushes it down). right and bottom are the width and height, as CreateWindowExW takes them.
  RECT topCentre(int width, int height, int top = kTop) const;
  // The primary monitor's work area; the whole screen if the monitor cannot be asked.
  RECT workArea() const;
  void setOpacity(BYTE alpha);

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  platform::WindowSystem& windows_;
  platform::Trace& trace_;
  Content& content_;
  HWND window_ = nullptr;
  bool firstPaintPending_ = false;
};

}  // namespace overlay
