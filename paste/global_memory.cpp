#include "paste/global_memory.h"

#include <cstring>

namespace paste {

UniqueGlobal copyToGlobal(platform::Clipboard& clipboard, const void* bytes, std::size_t size) {
  UniqueGlobal block(clipboard, clipboard.GlobalAlloc(GMEM_MOVEABLE, size));
  if (!block) return {};
  void* target = clipboard.GlobalLock(block.get());
  if (target == nullptr) return {};
  std::memcpy(target, bytes, size);
  clipboard.GlobalUnlock(block.get());
  return block;
}

}  // namespace paste
