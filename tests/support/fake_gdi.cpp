#include "tests/support/fake_gdi.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace fake {

FakeGdi::FakeGdi() {
  Object white = of(Kind::Brush);
  white.stock = true;
  white.colour = RGB(255, 255, 255);
  stockWhiteBrush_ = add(white);
  Object none = of(Kind::Brush);
  none.stock = true;
  none.nullBrush = true;
  stockNullBrush_ = add(none);
  Object black = of(Kind::Pen);
  black.stock = true;
  stockBlackPen_ = add(black);
  Object font = of(Kind::Font);
  font.stock = true;
  font.font.height = 16;
  font.font.face = u"System";
  stockFont_ = add(font);
  Object bitmap = of(Kind::Bitmap);
  bitmap.stock = true;
  bitmap.width = 1;
  bitmap.height = 1;
  stockBitmap_ = add(bitmap);
  objectsCreated = 0;
}

HGDIOBJ FakeGdi::add(Object object) {
  next_ += 0x10;
  const auto handle = reinterpret_cast<HGDIOBJ>(next_);
  if (!object.stock) ++objectsCreated;
  objects_.emplace(handle, std::move(object));
  return handle;
}

FakeGdi::Object* FakeGdi::object(HGDIOBJ handle) {
  const auto it = objects_.find(handle);
  if (it == objects_.end() || it->second.deleted) return nullptr;
  return &it->second;
}

FakeGdi::Dc* FakeGdi::dc(HDC handle) {
  if (handle == nullptr) return nullptr;
  auto it = dcs_.find(handle);
  if (it == dcs_.end()) {
    Dc external;
    external.brush = stockWhiteBrush_;
    external.pen = stockBlackPen_;
    external.font = stockFont_;
    it = dcs_.emplace(handle, external).first;
  }
  return it->second.deleted ? nullptr : &it->second;
}

bool FakeGdi::isSelectedAnywhere(HGDIOBJ handle) const {
  for (const auto& [h, d] : dcs_) {
    if (d.deleted) continue;
    if (d.brush == handle || d.pen == handle || d.font == handle || d.bitmap == handle) return true;
  }
  return false;
}

std::vector<DrawCall> FakeGdi::ofOp(const std::string& op) const {
  std::vector<DrawCall> out;
  for (const DrawCall& d : draws) {
    if (d.op == op) out.push_back(d);
  }
  return out;
}

DrawCall FakeGdi::snapshot(const std::string& op, HDC handle, std::vector<int> coords) {
  DrawCall call;
  call.op = op;
  call.dc = handle;
  call.coords = std::move(coords);
  const Dc* d = dc(handle);
  if (d == nullptr) return call;
  if (const Object* b = object(d->brush)) {
    call.brushColour = b->colour;
    call.nullBrush = b->nullBrush;
  }
  if (const Object* p = object(d->pen)) {
    call.penStyle = p->penStyle;
    call.penWidth = p->penWidth;
    call.penColour = p->colour;
  }
  if (const Object* f = object(d->font)) call.font = f->font;
  call.textColour = d->textColour;
  call.bkMode = d->bkMode;
  return call;
}

HDC FakeGdi::CreateCompatibleDC(HDC compatible) {
  if (compatible != nullptr && dc(compatible) == nullptr) {
    ++invalidCalls;
    return nullptr;
  }
  next_ += 0x10;
  const auto handle = reinterpret_cast<HDC>(next_);
  Dc memory;
  memory.memory = true;
  memory.brush = stockWhiteBrush_;
  memory.pen = stockBlackPen_;
  memory.font = stockFont_;
  memory.bitmap = stockBitmap_;
  dcs_.emplace(handle, memory);
  ++dcsCreated;
  return handle;
}

HBITMAP FakeGdi::CreateCompatibleBitmap(HDC compatible, int width, int height) {
  if (dc(compatible) == nullptr) {
    ++invalidCalls;
    return nullptr;
  }
  Object bitmap = of(Kind::Bitmap);
  bitmap.width = width;
  bitmap.height = height;
  return static_cast<HBITMAP>(add(bitmap));
}

HGDIOBJ FakeGdi::SelectObject(HDC handle, HGDIOBJ selected) {
  Dc* d = dc(handle);
  const Object* o = object(selected);
  if (d == nullptr || o == nullptr || (o->kind == Kind::Bitmap && !d->memory)) {
    ++invalidCalls;
    return nullptr;
  }
  HGDIOBJ* slot = nullptr;
  switch (o->kind) {
    case Kind::Brush:
      slot = &d->brush;
      break;
    case Kind::Pen:
      slot = &d->pen;
      break;
    case Kind::Font:
      slot = &d->font;
      break;
    case Kind::Bitmap:
      slot = &d->bitmap;
      break;
  }
  return std::exchange(*slot, selected);
}

BOOL FakeGdi::DeleteObject(HGDIOBJ handle) {
  Object* o = object(handle);
  if (o == nullptr || o->stock) {
    ++invalidCalls;
    return FALSE;
  }
  if (isSelectedAnywhere(handle)) {
    ++deletedWhileSelected;
    return FALSE;
  }
  o->deleted = true;
  ++objectsDeleted;
  return TRUE;
}

BOOL FakeGdi::DeleteDC(HDC handle) {
  Dc* d = dc(handle);
  if (d == nullptr || !d->memory) {
    ++invalidCalls;
    return FALSE;
  }
  for (HGDIOBJ selected : {d->brush, d->pen, d->font, d->bitmap}) {
    const Object* o = object(selected);
    if (o != nullptr && !o->stock) ++dcsDeletedWithSelection;
  }
  d->deleted = true;
  ++dcsDeleted;
  return TRUE;
}

HGDIOBJ FakeGdi::GetStockObject(int index) {
  return index == NULL_BRUSH ? stockNullBrush_ : nullptr;
}

HBRUSH FakeGdi::CreateSolidBrush(COLORREF colour) {
  Object brush = of(Kind::Brush);
  brush.colour = colour;
  return static_cast<HBRUSH>(add(brush));
}

HPEN FakeGdi::CreatePen(int style, int width, COLORREF colour) {
  Object pen = of(Kind::Pen);
  pen.penStyle = style;
  pen.penWidth = width;
  pen.colour = colour;
  return static_cast<HPEN>(add(pen));
}

HFONT FakeGdi::CreateFontW(int height, int width, int escapement, int orientation, int weight,
                           DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                           DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                           DWORD pitchAndFamily, LPCWSTR faceName) {
  Object font = of(Kind::Font);
  font.font =
      FontSpec{height,         width,
               escapement,     orientation,
               weight,         italic,
               underline,      strikeOut,
               charSet,        outPrecision,
               clipPrecision,  quality,
               pitchAndFamily, faceName != nullptr ? std::u16string(platform::U(faceName)) : u""};
  return static_cast<HFONT>(add(font));
}

int FakeGdi::FillRect(HDC handle, const RECT* rect, HBRUSH brush) {
  const Object* b = object(brush);
  if (dc(handle) == nullptr || rect == nullptr || b == nullptr) {
    ++invalidCalls;
    return 0;
  }
  DrawCall call = snapshot("FillRect", handle, {rect->left, rect->top, rect->right, rect->bottom});
  call.brushColour = b->colour;
  call.nullBrush = b->nullBrush;
  draws.push_back(call);
  return 1;
}

BOOL FakeGdi::RoundRect(HDC handle, int left, int top, int right, int bottom, int width,
                        int height) {
  if (dc(handle) == nullptr) return ++invalidCalls, FALSE;
  draws.push_back(snapshot("RoundRect", handle, {left, top, right, bottom, width, height}));
  return TRUE;
}

BOOL FakeGdi::Ellipse(HDC handle, int left, int top, int right, int bottom) {
  if (dc(handle) == nullptr) return ++invalidCalls, FALSE;
  draws.push_back(snapshot("Ellipse", handle, {left, top, right, bottom}));
  return TRUE;
}

BOOL FakeGdi::Arc(HDC handle, int left, int top, int right, int bottom, int xStart, int yStart,
                  int xEnd, int yEnd) {
  if (dc(handle) == nullptr) return ++invalidCalls, FALSE;
  draws.push_back(snapshot("Arc", handle, {left, top, right, bottom, xStart, yStart, xEnd, yEnd}));
  return TRUE;
}

int FakeGdi::SetBkMode(HDC handle, int mode) {
  Dc* d = dc(handle);
  if (d == nullptr) return ++invalidCalls, 0;
  return std::exchange(d->bkMode, mode);
}

COLORREF FakeGdi::SetTextColor(HDC handle, COLORREF colour) {
  Dc* d = dc(handle);
  if (d == nullptr) return ++invalidCalls, 0xFFFFFFFF;
  return std::exchange(d->textColour, colour);
}

int FakeGdi::DrawTextW(HDC handle, LPCWSTR text, int length, RECT* rect, UINT format) {
  if (dc(handle) == nullptr || text == nullptr || rect == nullptr) return ++invalidCalls, 0;
  DrawCall call = snapshot("DrawTextW", handle, {rect->left, rect->top, rect->right, rect->bottom});
  call.text = length < 0 ? std::u16string(platform::U(text))
                         : std::u16string(platform::U(text), static_cast<std::size_t>(length));
  call.length = length;
  call.format = format;
  draws.push_back(call);
  return std::abs(call.font.height);
}

BOOL FakeGdi::GetTextExtentPoint32W(HDC handle, LPCWSTR text, int length, SIZE* size) {
  const Dc* d = dc(handle);
  if (d == nullptr || text == nullptr || size == nullptr || length < 0)
    return ++invalidCalls, FALSE;
  const Object* f = object(d->font);
  const FontSpec font = f != nullptr ? f->font : FontSpec{};
  const int unit = std::abs(font.height) / 2 + (font.weight >= FW_BOLD ? 1 : 0);
  size->cx = unit * length;
  size->cy = std::abs(font.height);
  measured.emplace_back(std::u16string(platform::U(text), static_cast<std::size_t>(length)), font);
  return TRUE;
}

BOOL FakeGdi::GetTextExtentExPointW(HDC handle, LPCWSTR text, int length, int maxExtent, int* fit,
                                    int* dx, SIZE* size) {
  if (dx == nullptr || !GetTextExtentPoint32W(handle, text, length, size)) return FALSE;
  const int unit = length > 0 ? size->cx / length : 0;
  for (int i = 0; i < length; ++i) dx[i] = unit * (i + 1);
  if (fit != nullptr) *fit = unit > 0 ? std::min(length, maxExtent / unit) : length;
  return TRUE;
}

BOOL FakeGdi::BitBlt(HDC target, int x, int y, int width, int height, HDC source, int xSource,
                     int ySource, DWORD rop) {
  const Dc* s = dc(source);
  if (dc(target) == nullptr || s == nullptr) return ++invalidCalls, FALSE;
  DrawCall call = snapshot("BitBlt", target, {x, y, width, height, xSource, ySource});
  call.source = source;
  call.rop = rop;
  if (const Object* bitmap = object(s->bitmap)) {
    call.sourceBitmapWidth = bitmap->width;
    call.sourceBitmapHeight = bitmap->height;
  }
  draws.push_back(call);
  return TRUE;
}

}  // namespace fake
