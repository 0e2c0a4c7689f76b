#include "paste/clipboard_snapshot.h"

#include <algorithm>
#include <string>

#include "platform/clock.h"
#include "platform/debug_output.h"

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
  const bool bitmap = contains(formats, CF_DIB) || contains(formats, CF_DIBV5);
  switch (format) {
    case CF_TEXT:
    case CF_OEMTEXT:
    case CF_LOCALE:
      return contains(formats, CF_UNICODETEXT);
    case CF_DIB:
    case CF_DIBV5: {
      const auto dib = std::find(formats.begin(), formats.end(), CF_DIB);
      const auto dibV5 = std::find(formats.begin(), formats.end(), CF_DIBV5);
      return format == CF_DIB ? dibV5 < dib : dib < dibV5;
    }
    case CF_BITMAP:
    case CF_PALETTE:
      return bitmap;
    case CF_METAFILEPICT:
      return contains(formats, CF_ENHMETAFILE);
    default:
      return false;
  }
}

std::vector<UINT> enumerate(platform::Clipboard& clipboard) {
  std::vector<UINT> formats;
  for (UINT format = clipboard.EnumClipboardFormats(0); format != 0;
       format = clipboard.EnumClipboardFormats(format)) {
    formats.push_back(format);
  }
  return formats;
}

// Positions in `formats`, the ones users care about first, otherwise in clipboard order.
std::vector<std::size_t> readingOrder(platform::Clipboard& clipboard,
                                      const std::vector<UINT>& formats) {
  const UINT preferred[] = {CF_UNICODETEXT,
                            clipboard.RegisterClipboardFormatW(platform::W(u"HTML Format")),
                            clipboard.RegisterClipboardFormatW(platform::W(u"Rich Text Format")),
                            CF_DIBV5,
                            CF_DIB,
                            clipboard.RegisterClipboardFormatW(platform::W(u"PNG")),
                            CF_HDROP};
  const auto rank = [&](UINT format) {
    const auto* found = std::find(std::begin(preferred), std::end(preferred), format);
    return found - std::begin(preferred);
  };
  std::vector<std::size_t> order(formats.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return rank(formats[a]) < rank(formats[b]);
  });
  return order;
}

// "HTML Format" for a registered format, "#8" for a predefined one; non-ASCII as '?'.
std::string formatName(platform::Clipboard& clipboard, UINT format) {
  WCHAR name[128] = {};
  const int length = clipboard.GetClipboardFormatNameW(format, name, 128);
  if (length <= 0) return "#" + std::to_string(format);
  std::string out = "\"";
  for (int i = 0; i < length; ++i) out += name[i] < 0x80 ? static_cast<char>(name[i]) : '?';
  return out + "\"";
}

void reportSkipped(platform::Platform& platform, UINT format, const char* why) {
  const std::string line = "[GlobalHotkey] Clipboard format " +
                           formatName(*platform.clipboard, format) +
                           " not kept across the paste: " + why + "\n";
  platform.debug->OutputDebugStringA(line.c_str());
}

}  // namespace

ClipboardSnapshot ClipboardSnapshot::take(platform::Platform& platform) {
  platform::Clipboard& clipboard = *platform.clipboard;
  const std::int64_t startNs = platform.clock->SteadyNowNs();
  ClipboardSnapshot snapshot;
  std::size_t kept = 0;
  const std::vector<UINT> formats = enumerate(clipboard);
  for (const std::size_t position : readingOrder(clipboard, formats)) {
    const UINT format = formats[position];
    if (isSynthesisedFrom(formats, format)) continue;
    const bool metafile = format == CF_ENHMETAFILE;
    if (!metafile && !holdsGlobalMemory(format)) {
      reportSkipped(platform, format, "not a memory block");
      continue;
    }
    if (platform.clock->SteadyNowNs() - startNs > kSnapshotTimeBudgetNs) {
      reportSkipped(platform, format, "no time left after a slow clipboard owner");
      continue;
    }
    const HANDLE data = clipboard.GetClipboardData(format);
    if (data == nullptr) {
      reportSkipped(platform, format, "not rendered by its owner");
      continue;
    }
    const std::size_t size =
        metafile ? clipboard.GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), 0, nullptr)
                 : clipboard.GlobalSize(data);
    if (size == 0) continue;
    if (size > kSnapshotCapBytes - kept) {
      reportSkipped(platform, format, "too large");
      continue;
    }
    Entry entry{position, format, {}, {}};
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
  std::sort(snapshot.entries_.begin(), snapshot.entries_.end(),
            [](const Entry& a, const Entry& b) { return a.position < b.position; });
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
