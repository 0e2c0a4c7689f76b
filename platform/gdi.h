// The 2-D drawing calls the overlays make: memory DC and bitmap, brushes, pens, fonts, shapes,
// text and the final copy.
//
// The fake records every call and counts created against deleted objects, so a paint's geometry,
// colours, fonts and object balance can be checked without Windows.
#pragma once

#include "platform/win_types.h"

namespace platform {

class Gdi {
 public:
  virtual ~Gdi() = default;
  virtual HDC CreateCompatibleDC(HDC dc) = 0;
  virtual HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) = 0;
  virtual HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) = 0;
  virtual BOOL DeleteObject(HGDIOBJ object) = 0;
  virtual BOOL DeleteDC(HDC dc) = 0;
  virtual HGDIOBJ GetStockObject(int index) = 0;
  virtual HBRUSH CreateSolidBrush(COLORREF colour) = 0;
  virtual HPEN CreatePen(int style, int width, COLORREF colour) = 0;
  virtual HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight,
                            DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                            DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                            DWORD pitchAndFamily, LPCWSTR faceName) = 0;
  virtual int FillRect(HDC dc, const RECT* rect, HBRUSH brush) = 0;
  virtual BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width,
                         int height) = 0;
  virtual BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) = 0;
  virtual BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart,
                   int xEnd, int yEnd) = 0;
  virtual int SetBkMode(HDC dc, int mode) = 0;
  virtual COLORREF SetTextColor(HDC dc, COLORREF colour) = 0;
  virtual int DrawTextW(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format) = 0;
  virtual BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, SIZE* size) = 0;
  // `dx[i]`: the width of the first i + 1 units, for `length` units (`fit` may be null).
  virtual BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int length, int maxExtent, int* fit,
                                     int* dx, SIZE* size) = 0;
  virtual BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int xSource,
                      int ySource, DWORD rop) = 0;
};

}  // namespace platform
