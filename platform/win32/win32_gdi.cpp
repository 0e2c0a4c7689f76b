#include <windows.h>

#include "platform/gdi.h"
#include "platform/win32/win32_platform.h"

namespace platform {
namespace {

class RealGdi final : public Gdi {
 public:
  HDC CreateCompatibleDC(HDC dc) override { return ::CreateCompatibleDC(dc); }
  HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) override {
    return ::CreateCompatibleBitmap(dc, width, height);
  }
  HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) override { return ::SelectObject(dc, object); }
  BOOL DeleteObject(HGDIOBJ object) override { return ::DeleteObject(object); }
  BOOL DeleteDC(HDC dc) override { return ::DeleteDC(dc); }
  HGDIOBJ GetStockObject(int index) override { return ::GetStockObject(index); }
  HBRUSH CreateSolidBrush(COLORREF colour) override { return ::CreateSolidBrush(colour); }
  HPEN CreatePen(int style, int width, COLORREF colour) override {
    return ::CreatePen(style, width, colour);
  }
  HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight,
                    DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                    DWORD outPrecision, DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                    LPCWSTR faceName) override {
    return ::CreateFontW(height, width, escapement, orientation, weight, italic, underline,
                         strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily,
                         faceName);
  }
  int FillRect(HDC dc, const RECT* rect, HBRUSH brush) override {
    return ::FillRect(dc, rect, brush);
  }
  BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height) override {
    return ::RoundRect(dc, left, top, right, bottom, width, height);
  }
  BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) override {
    return ::Ellipse(dc, left, top, right, bottom);
  }
  BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
           int yEnd) override {
    return ::Arc(dc, left, top, right, bottom, xStart, yStart, xEnd, yEnd);
  }
  int SetBkMode(HDC dc, int mode) override { return ::SetBkMode(dc, mode); }
  COLORREF SetTextColor(HDC dc, COLORREF colour) override { return ::SetTextColor(dc, colour); }
  int DrawTextW(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format) override {
    return ::DrawTextW(dc, text, length, rect, format);
  }
  BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, SIZE* size) override {
    return ::GetTextExtentPoint32W(dc, text, length, size);
  }
  BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int xSource, int ySource,
              DWORD rop) override {
    return ::BitBlt(target, x, y, width, height, source, xSource, ySource, rop);
  }
};

}  // namespace

Gdi& Win32Gdi() {
  static auto* gdi = new RealGdi;  // never destroyed: see win32_platform.h
  return *gdi;
}

}  // namespace platform
