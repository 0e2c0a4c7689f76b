#include "paste/clipboard_snapshot.h"

#include <algorithm>

namespace paste {
namespace {

constexpr UINT kSylk = 4;
constexpr UINT kDif = 5;
constexpr UINT kTiff = 6;
constexpr UINT kRiff = 11;
constexpr UINT kWave = 12;
constexpr UINT kDisplayText = 0x81;
constexpr UINT kFirstRegistered = 0xC000;

bool holdsGlobalMemory(UINT format) {
  switch (format) {
    case CF_TEXT:
    case kSylk:
    case kDif:
    case kTiff:
    case CF_OEMTEXT:
    case CF_DIB:
    case kRiff:
    case kWave:
    case CF_UNICODETEXT:
    case CF_HDROP:
    case CF_LOCALE:
    case CF_DIBV5:
    case kDisplayText:
      return true;
    default:
      return format >= kFirstRegistered && format <= 0xFFFF;
  }
}

bool contains(const std::vector<UINT>& formats, UINT format) {
  return std::find(formats.begin(), formats.end(), format) != formats.end();
}

// Formats the system derives again from one that is kept.
bool isSynthesisedFrom(const std::vector<UINT>& formats, UINT format) {
  if (format == CF_TEXT || format == CF_OEMTEXT || format == CF_LOCALE) {
    return contains(formats, CF_UNICODETEXT);
  }
  if (format == CF_DIB || format == CF_DIBV5) {
    const auto dib = std::find(formats.begin(), formats.end(), CF_DIB);
    const auto dibV5 = std::find(formats.begin(), formats.end(), CF_DIBV5);
    return format == CF_DIB ? dibV5 < dib : dib < dibV5;
  }
  return false;
}

std::vector<UINT> enumerate(platform::Clipboard& clipboard) {
  std::vector<UINT> formats;
  for (UINT format = clipboard.EnumClipboardFormats(0); format != 0;
       format = clipboard.EnumClipboardFormats(format)) {
    formats.push_back(format);
  }
  return formats;
}

}  // namespace

ClipboardSnapshot ClipboardSnapshot::take(platform::Clipboard& clipboard,
                                          platform::DebugOutput& debug) {
  ClipboardSnapshot snapshot;
  std::size_t kept = 0;
  const std::vector<UINT> formats = enumerate(clipboard);
  for (const UINT format : formats) {
    const bool metafile = format == CF_ENHMETAFILE;
    if ((!metafile && !holdsGlobalMemory(format)) || isSynthesisedFrom(formats, format)) continue;
    const HANDLE data = clipboard.GetClipboardData(format);
    if (data == nullptr) continue;
    const std::size_t size =
        metafile ? clipboard.GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), 0, nullptr)
                 : clipboard.GlobalSize(data);
    if (size == 0) continue;
    if (size > kSnapshotCapBytes - kept) {
      debug.OutputDebugStringA(
          "[GlobalHotkey] Clipboard format too large to keep across the paste, dropped\n");
      continue;
    }
    Entry entry{format, {}, {}};
    if (metafile) {
      entry.metafile = UniqueEnhMetaFile(
          clipboard, clipboard.CopyEnhMetaFileW(static_cast<HENHMETAFILE>(data), nullptr));
      if (!entry.metafile) continue;
    } else {
      const void* source = clipboard.GlobalLock(data);
      if (source == nullptr) continue;
      entry.memory = copyToGlobal(clipboard, source, size);
      clipboard.GlobalUnlock(data);
      if (!entry.memory) continue;
    }
    kept += size;
    snapshot.entries_.push_back(std::move(entry));
  }
  return snapshot;
}

void ClipboardSnapshot::restore(platform::Clipboard& clipboard) {
  for (Entry& entry : entries_) {
    if (entry.metafile) {
      giveToClipboard(clipboard, entry.format, entry.metafile);
    } else {
      giveToClipboard(clipboard, entry.format, entry.memory);
    }
  }
  entries_.clear();
}

}  // namespace paste
