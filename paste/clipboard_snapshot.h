// What the user had on the clipboard before a paste, so that it is there again afterwards.
//
// Kept, by copy, in the clipboard's own order: every format whose data is global memory (Unicode
// text, HTML, RTF, device-independent bitmaps, PNG, file lists, other registered formats) and
// enhanced metafiles, within 256 MiB in all. The formats users care about are read first, so that
// a slow owner or the size budget costs the rarer ones. Skipped silently because the system
// synthesises them again from what is kept: CF_TEXT, CF_OEMTEXT, CF_LOCALE beside
// CF_UNICODETEXT, the later of CF_DIB / CF_DIBV5 and CF_BITMAP / CF_PALETTE beside a bitmap,
// CF_METAFILEPICT beside CF_ENHMETAFILE. Everything else that is skipped (too large, not a memory
// block, not rendered by its owner, no time left) is named in one diagnostic line each.
//
// Reading a format another program promised makes Windows ask that program to render it, which
// can take long or never end; after one second in all, the remaining formats are skipped.
// Runs on the paste thread with the clipboard open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "paste/global_memory.h"
#include "platform/platform.h"

namespace paste {

inline constexpr std::size_t kSnapshotCapBytes = std::size_t{256} << 20;
inline constexpr std::int64_t kSnapshotTimeBudgetNs = 1'000'000'000;

class ClipboardSnapshot {
 public:
  // Copies what the clipboard holds; the clipboard must be open. Uses the clipboard, the clock
  // and the debug output of `platform`.
  static ClipboardSnapshot take(platform::Platform& platform);

  // Puts every kept format back, in the original order; the clipboard must be open and empty.
  // The clipboard takes the data over; a second restore puts nothing.
  void restore(platform::Clipboard& clipboard);

  bool empty() const { return entries_.empty(); }

 private:
  struct Entry {
    std::size_t position;  // in the clipboard's order
    UINT format;
    UniqueGlobal memory;
    UniqueEnhMetaFile metafile;
  };
  std::vector<Entry> entries_;
};

}  // namespace paste
