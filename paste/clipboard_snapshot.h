// What the user had on the clipboard before a paste, so that all of it, not only its text, is
// there again afterwards.
//
// Kept: every format whose data is global memory (text forms, HTML, RTF, file lists, device-
// independent bitmaps, registered formats) and enhanced metafiles, by copy, in the clipboard's
// own order. Skipped because the system synthesises them again from what is kept: CF_TEXT,
// CF_OEMTEXT and CF_LOCALE when CF_UNICODETEXT is there, and the later of CF_DIB / CF_DIBV5.
// Skipped because a copy of their handle is not a copy of their data: bitmaps, palettes, old
// metafiles and private or GDI-object formats. Copies beyond 256 MiB in all are skipped, each
// with one diagnostic line.
#pragma once

#include <cstddef>
#include <vector>

#include "paste/global_memory.h"
#include "platform/debug_output.h"

namespace paste {

inline constexpr std::size_t kSnapshotCapBytes = std::size_t{256} << 20;

class ClipboardSnapshot {
 public:
  // Copies what the clipboard holds; the clipboard must be open. A format too large to keep is
  // reported on `debug`.
  static ClipboardSnapshot take(platform::Clipboard& clipboard, platform::DebugOutput& debug);

  // Puts every kept format back, in the original order; the clipboard must be open and empty.
  // The clipboard takes the data over; a second restore puts nothing.
  void restore(platform::Clipboard& clipboard);

  bool empty() const { return entries_.empty(); }

 private:
  struct Entry {
    UINT format;
    UniqueGlobal memory;
    UniqueEnhMetaFile metafile;
  };
  std::vector<Entry> entries_;
};

}  // namespace paste
