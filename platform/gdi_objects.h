// Owners for the drawing objects the overlays create: GDI objects, memory DCs, a screen DC, and a
// selection that puts the previous object back.
//
// Declaration order is release order reversed, so writing
//   UniqueGdiObject<HFONT> font = ...;  SelectionGuard selected(gdi, dc, font.get());
// re-selects the previous font before the font is deleted, as GDI requires.
#pragma once

#include "platform/gdi.h"
#include "platform/unique_handle.h"
#include "platform/window_system.h"

namespace platform {

template <typename H>
struct GdiObjectTraits {
  using Handle = H;
  using Owner = Gdi;
  static void release(Gdi& gdi, H handle) { gdi.DeleteObject(handle); }
};
template <typename H>
using UniqueGdiObject = UniqueHandle<GdiObjectTraits<H>>;

struct MemoryDcTraits {
  using Handle = HDC;
  using Owner = Gdi;
  static void release(Gdi& gdi, HDC dc) { gdi.DeleteDC(dc); }
};
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

// Selects `object` into `dc` and re-selects whatever was there before on destruction.
class SelectionGuard {
 public:
  SelectionGuard(Gdi& gdi, HDC dc, HGDIOBJ object)
      : gdi_(gdi), dc_(dc), previous_(gdi.SelectObject(dc, object)) {}
  ~SelectionGuard() {
    if (previous_ != nullptr) gdi_.SelectObject(dc_, previous_);
  }
  SelectionGuard(const SelectionGuard&) = delete;
  SelectionGuard& operator=(const SelectionGuard&) = delete;

 private:
  Gdi& gdi_;
  HDC dc_;
  HGDIOBJ previous_;
};

// A window's (or, for a null window, the screen's) DC from GetDC, handed back with ReleaseDC.
class WindowDc {
 public:
  WindowDc(WindowSystem& windows, HWND window)
      : windows_(windows), window_(window), dc_(windows.GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) windows_.ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC get() const { return dc_; }

 private:
  WindowSystem& windows_;
  HWND window_;
  HDC dc_;
};

// A window's paint session: BeginPaint on construction, EndPaint on destruction.
class PaintSession {
 public:
  PaintSession(WindowSystem& windows, HWND window)
      : windows_(windows), window_(window), dc_(windows.BeginPaint(window, &paint_)) {}
  ~PaintSession() { windows_.EndPaint(window_, &paint_); }
  PaintSession(const PaintSession&) = delete;
  PaintSession& operator=(const PaintSession&) = delete;

  HDC dc() const { return dc_; }
  // What this paint must cover: the bounds of what was invalidated or uncovered.
  const RECT& area() const { return paint_.rcPaint; }

 private:
  WindowSystem& windows_;
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace platform
