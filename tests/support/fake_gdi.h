// Drawing fake: every call is checked against the DC's state and drawing calls are recorded with
// the objects selected at that moment, so a test reads "an ellipse at (14,15)-(24,25) with a red
// brush and a null pen" rather than a list of handles.
//
// Objects and DCs are counted: created against deleted, deletion of a still-selected object,
// memory DCs deleted with one of our objects still selected. Text extents use a fixed metric:
// each UTF-16 unit is |height| / 2 pixels wide, one more for bold (weight >= 700).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/gdi.h"

namespace fake {

struct FontSpec {
  int height = 0;
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 0;
  DWORD italic = 0;
  DWORD underline = 0;
  DWORD strikeOut = 0;
  DWORD charSet = 0;
  DWORD outPrecision = 0;
  DWORD clipPrecision = 0;
  DWORD quality = 0;
  DWORD pitchAndFamily = 0;
  std::u16string face;
};

struct DrawCall {
  std::string op;  // FillRect, RoundRect, Ellipse, Arc, DrawTextW, BitBlt
  HDC dc = nullptr;
  std::vector<int> coords;
  // Brush: the one passed to FillRect, else the selected one. nullBrush for the stock NULL_BRUSH.
  COLORREF brushColour = 0;
  bool nullBrush = false;
  int penStyle = PS_SOLID;
  int penWidth = 1;
  COLORREF penColour = 0;
  FontSpec font;
  COLORREF textColour = 0;
  int bkMode = OPAQUE;
  std::u16string text;
  int length = 0;
  UINT format = 0;
  // BitBlt: the source DC, the size of the bitmap selected into it, and the raster operation.
  HDC source = nullptr;
  int sourceBitmapWidth = 0;
  int sourceBitmapHeight = 0;
  DWORD rop = 0;
};

class FakeGdi final : public platform::Gdi {
 public:
  FakeGdi();

  HDC CreateCompatibleDC(HDC dc) override;
  HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) override;
  HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) override;
  BOOL DeleteObject(HGDIOBJ object) override;
  BOOL DeleteDC(HDC dc) override;
  HGDIOBJ GetStockObject(int index) override;
  HBRUSH CreateSolidBrush(COLORREF colour) override;
  HPEN CreatePen(int style, int width, COLORREF colour) override;
  HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight,
                    DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                    DWORD outPrecision, DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                    LPCWSTR faceName) override;
  int FillRect(HDC dc, const RECT* rect, HBRUSH brush) override;
  BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height) override;
  BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) override;
  BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
           int yEnd) override;
  int SetBkMode(HDC dc, int mode) override;
  COLORREF SetTextColor(HDC dc, COLORREF colour) override;
  int DrawTextW(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format) override;
  BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, SIZE* size) override;
  BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int length, int maxExtent, int* fit, int* dx,
                             SIZE* size) override;
  BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int xSource, int ySource,
              DWORD rop) override;

  // Test side.
  std::vector<DrawCall> draws;
  std::vector<DrawCall> ofOp(const std::string& op) const;
  // Extents measured: the text and the font it was measured in.
  std::vector<std::pair<std::u16string, FontSpec>> measured;

  int objectsCreated = 0;
  int objectsDeleted = 0;
  int dcsCreated = 0;
  int dcsDeleted = 0;
  // Misuse that Windows would punish: each should stay 0.
  int deletedWhileSelected = 0;
  int dcsDeletedWithSelection = 0;
  int invalidCalls = 0;  // unknown or deleted handle, or a selection of the wrong kind

 private:
  enum class Kind { Brush, Pen, Font, Bitmap };
  struct Object {
    Kind kind = Kind::Brush;
    bool stock = false;
    bool deleted = false;
    COLORREF colour = 0;
    bool nullBrush = false;
    int penStyle = PS_SOLID;
    int penWidth = 1;
    FontSpec font;
    int width = 0;
    int height = 0;
  };
  struct Dc {
    bool memory = false;
    bool deleted = false;
    HGDIOBJ brush = nullptr;
    HGDIOBJ pen = nullptr;
    HGDIOBJ font = nullptr;
    HGDIOBJ bitmap = nullptr;
    COLORREF textColour = 0;
    int bkMode = OPAQUE;
  };

  static Object of(Kind kind) {
    Object o;
    o.kind = kind;
    return o;
  }
  HGDIOBJ add(Object object);
  Object* object(HGDIOBJ handle);
  Dc* dc(HDC handle);  // external DCs (paint, screen) are adopted on first use
  DrawCall snapshot(const std::string& op, HDC handle, std::vector<int> coords);
  bool isSelectedAnywhere(HGDIOBJ handle) const;

  std::map<HGDIOBJ, Object> objects_;
  std::map<HDC, Dc> dcs_;
  HGDIOBJ stockWhiteBrush_;
  HGDIOBJ stockNullBrush_;
  HGDIOBJ stockBlackPen_;
  HGDIOBJ stockFont_;
  HGDIOBJ stockBitmap_;
  std::uintptr_t next_ = 0x6000;
};

}  // namespace fake
