#include <windows.h>

#include "platform/clipboard.h"
#include "platform/win32/win32_platform.h"

namespace platform {
namespace {

class RealClipboard final : public Clipboard {
 public:
  BOOL OpenClipboard(HWND owner) override { return ::OpenClipboard(owner); }
  BOOL CloseClipboard() override { return ::CloseClipboard(); }
  BOOL EmptyClipboard() override { return ::EmptyClipboard(); }
  HANDLE GetClipboardData(UINT format) override { return ::GetClipboardData(format); }
  HANDLE SetClipboardData(UINT format, HANDLE data) override {
    return ::SetClipboardData(format, data);
  }
  UINT EnumClipboardFormats(UINT format) override { return ::EnumClipboardFormats(format); }
  HWND GetClipboardOwner() override { return ::GetClipboardOwner(); }
  HWND GetOpenClipboardWindow() override { return ::GetOpenClipboardWindow(); }
  UINT RegisterClipboardFormatW(LPCWSTR name) override { return ::RegisterClipboardFormatW(name); }
  int GetClipboardFormatNameW(UINT format, LPWSTR name, int capacity) override {
    return ::GetClipboardFormatNameW(format, name, capacity);
  }
  HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) override { return ::GlobalAlloc(flags, bytes); }
  LPVOID GlobalLock(HGLOBAL memory) override { return ::GlobalLock(memory); }
  BOOL GlobalUnlock(HGLOBAL memory) override { return ::GlobalUnlock(memory); }
  SIZE_T GlobalSize(HGLOBAL memory) override { return ::GlobalSize(memory); }
  HGLOBAL GlobalFree(HGLOBAL memory) override { return ::GlobalFree(memory); }
  HENHMETAFILE CopyEnhMetaFileW(HENHMETAFILE metafile, LPCWSTR fileName) override {
    return ::CopyEnhMetaFileW(metafile, fileName);
  }
  UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data) override {
    return ::GetEnhMetaFileBits(metafile, size, data);
  }
  BOOL DeleteEnhMetaFile(HENHMETAFILE metafile) override { return ::DeleteEnhMetaFile(metafile); }
};

}  // namespace

Clipboard& Win32Clipboard() {
  static auto* clipboard = new RealClipboard;  // never destroyed: see win32_platform.h
  return *clipboard;
}

}  // namespace platform
