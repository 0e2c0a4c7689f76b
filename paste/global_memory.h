// Owners for the clipboard's kinds of data (movable global memory blocks, enhanced metafiles) and
// the one way blocks are filled here: allocate, lock, copy, unlock.
#pragma once

#include <cstddef>

#include "platform/clipboard.h"
#include "platform/unique_handle.h"

namespace paste {

struct GlobalMemoryTraits {
  using Handle = HGLOBAL;
  using Owner = platform::Clipboard;
  static void release(platform::Clipboard& clipboard, HGLOBAL memory) {
    clipboard.GlobalFree(memory);
  }
};
using UniqueGlobal = platform::UniqueHandle<GlobalMemoryTraits>;

struct EnhMetaFileTraits {
  using Handle = HENHMETAFILE;
  using Owner = platform::Clipboard;
  static void release(platform::Clipboard& clipboard, HENHMETAFILE metafile) {
    clipboard.DeleteEnhMetaFile(metafile);
  }
};
using UniqueEnhMetaFile = platform::UniqueHandle<EnhMetaFileTraits>;

// A new GMEM_MOVEABLE block holding a copy of `size` bytes at `bytes`; empty if the allocation
// or the lock fails.
UniqueGlobal copyToGlobal(platform::Clipboard& clipboard, const void* bytes, std::size_t size);

// Hands `data` to the clipboard under `format`. The clipboard owns it only if the call succeeds;
// otherwise it is released here.
template <typename Traits>
void giveToClipboard(platform::Clipboard& clipboard, UINT format,
                     platform::UniqueHandle<Traits>& data) {
  if (clipboard.SetClipboardData(format, data.get()) != nullptr) data.release();
  data.reset();
}

}  // namespace paste
