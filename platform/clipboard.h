// The clipboard and the global memory blocks it holds, plus the enhanced-metafile calls needed to
// keep a copy of a metafile across a paste.
//
// Used by the paste only, on its own thread. The fake keeps formats in order with their owner,
// renders delay-rendered formats by sending WM_RENDERFORMAT to the owner, tells the old owner
// WM_DESTROYCLIPBOARD when the clipboard is emptied, can pretend another program holds the
// clipboard, and can fail allocations and locks on request.
#pragma once

#include "platform/win_types.h"

namespace platform {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual BOOL OpenClipboard(HWND owner) = 0;
  virtual BOOL CloseClipboard() = 0;
  virtual BOOL EmptyClipboard() = 0;
  virtual HANDLE GetClipboardData(UINT format) = 0;
  // On success the clipboard owns `data`; on failure (null result) the caller still does. A null
  // `data` promises the format (delayed rendering): the owner renders it on WM_RENDERFORMAT.
  virtual HANDLE SetClipboardData(UINT format, HANDLE data) = 0;
  virtual UINT EnumClipboardFormats(UINT format) = 0;
  // The window of the last EmptyClipboard (null if it was opened without one).
  virtual HWND GetClipboardOwner() = 0;
  // The window that has the clipboard open (null if none, or if it was opened without one).
  // Inside WM_RENDERFORMAT that is the reader's window: who asked for the promised data.
  virtual HWND GetOpenClipboardWindow() = 0;
  virtual UINT RegisterClipboardFormatW(LPCWSTR name) = 0;
  // The name of a registered format; 0 for the predefined ones.
  virtual int GetClipboardFormatNameW(UINT format, LPWSTR name, int capacity) = 0;

  virtual HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) = 0;
  virtual LPVOID GlobalLock(HGLOBAL memory) = 0;
  virtual BOOL GlobalUnlock(HGLOBAL memory) = 0;
  virtual SIZE_T GlobalSize(HGLOBAL memory) = 0;
  virtual HGLOBAL GlobalFree(HGLOBAL memory) = 0;

  virtual HENHMETAFILE CopyEnhMetaFileW(HENHMETAFILE metafile, LPCWSTR fileName) = 0;
  virtual UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data) = 0;
  virtual BOOL DeleteEnhMetaFile(HENHMETAFILE metafile) = 0;
};

}  // namespace platform
