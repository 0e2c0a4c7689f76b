#include "tests/support/fake_clipboard.h"

#include <algorithm>

namespace fake {

FakeClipboard::Block* FakeClipboard::block(HGLOBAL memory) {
  const auto it = blocks_.find(memory);
  return it == blocks_.end() || it->second.freed ? nullptr : &it->second;
}

FakeClipboard::Metafile* FakeClipboard::metafile(HENHMETAFILE handle) {
  const auto it = metafiles_.find(handle);
  return it == metafiles_.end() || it->second.deleted ? nullptr : &it->second;
}

HGLOBAL FakeClipboard::newBlock(std::vector<std::uint8_t> bytes) {
  next_ += 0x10;
  const auto handle = reinterpret_cast<HGLOBAL>(next_);
  blocks_[handle].bytes = std::move(bytes);
  return handle;
}

HENHMETAFILE FakeClipboard::newMetafile(std::vector<std::uint8_t> bits) {
  next_ += 0x10;
  const auto handle = reinterpret_cast<HENHMETAFILE>(next_);
  metafiles_[handle].bits = std::move(bits);
  return handle;
}

void FakeClipboard::release(UINT format, HANDLE data) {
  if (format == CF_ENHMETAFILE) {
    if (Metafile* m = metafile(static_cast<HENHMETAFILE>(data))) m->deleted = true;
  } else if (Block* b = block(data)) {
    b->freed = true;
  }
}

void FakeClipboard::clearFormats() {
  for (const auto& [format, data] : formats_) release(format, data);
  formats_.clear();
  brokenPromises_.clear();
}

BOOL FakeClipboard::OpenClipboard(HWND owner) {
  bool ok = !holdOpenByOther && !open_;
  if (ok && failOpens > 0) {
    --failOpens;
    ok = false;
  }
  openAttempts.push_back({clock_.nowNs, ok});
  if (ok) {
    open_ = true;
    openedBy_ = owner;
  }
  return ok ? TRUE : FALSE;
}

BOOL FakeClipboard::CloseClipboard() {
  if (!open_) return FALSE;
  open_ = false;
  return TRUE;
}

BOOL FakeClipboard::EmptyClipboard() {
  if (!open_) return FALSE;
  if (owner_ != nullptr && windows != nullptr) windows->sendMessage(owner_, WM_DESTROYCLIPBOARD);
  clearFormats();
  owner_ = openedBy_;
  return TRUE;
}

HANDLE FakeClipboard::GetClipboardData(UINT format) {
  if (!open_) return nullptr;
  const auto entry = std::find_if(formats_.begin(), formats_.end(),
                                  [&](const auto& e) { return e.first == format; });
  if (entry == formats_.end()) return nullptr;
  if (entry->second != nullptr) return entry->second;
  if (const auto broken = brokenPromises_.find(format); broken != brokenPromises_.end()) {
    clock_.nowNs += static_cast<std::int64_t>(broken->second) * 1'000'000;
    return nullptr;
  }
  rendering_ = true;
  if (windows != nullptr) windows->sendMessage(owner_, WM_RENDERFORMAT, format);
  rendering_ = false;
  for (const auto& [f, data] : formats_) {
    if (f == format) return data;
  }
  return nullptr;
}

HANDLE FakeClipboard::SetClipboardData(UINT format, HANDLE data) {
  ++setCalls;
  if (data == nullptr) {
    // A promise needs the clipboard opened by its owner.
    if (!open_ || owner_ == nullptr || openedBy_ != owner_) return nullptr;
    const bool known = std::any_of(formats_.begin(), formats_.end(),
                                   [&](const auto& e) { return e.first == format; });
    if (!known) formats_.emplace_back(format, nullptr);
    return nullptr;
  }
  const bool valid = format == CF_ENHMETAFILE ? metafile(static_cast<HENHMETAFILE>(data)) != nullptr
                                              : block(data) != nullptr;
  if (!(open_ || rendering_) || !valid) return nullptr;
  const auto same = std::find_if(formats_.begin(), formats_.end(),
                                 [&](const auto& entry) { return entry.first == format; });
  if (same != formats_.end()) {
    release(same->first, same->second);
    same->second = data;
  } else {
    formats_.emplace_back(format, data);
  }
  if (format == CF_ENHMETAFILE) {
    metafile(static_cast<HENHMETAFILE>(data))->onClipboard = true;
  } else {
    block(data)->onClipboard = true;
  }
  return data;
}

UINT FakeClipboard::EnumClipboardFormats(UINT format) {
  if (!open_) return 0;
  if (format == 0) return formats_.empty() ? 0 : formats_.front().first;
  for (std::size_t i = 0; i + 1 < formats_.size(); ++i) {
    if (formats_[i].first == format) return formats_[i + 1].first;
  }
  return 0;
}

HGLOBAL FakeClipboard::GlobalAlloc(UINT, SIZE_T bytes) {
  if (failAllocAt > 0 && --failAllocAt == 0) return nullptr;
  return newBlock(std::vector<std::uint8_t>(bytes));
}

LPVOID FakeClipboard::GlobalLock(HGLOBAL memory) {
  if (failLockAt > 0 && --failLockAt == 0) return nullptr;
  Block* b = block(memory);
  if (b == nullptr) return nullptr;
  ++b->locks;
  return b->bytes.data();
}

BOOL FakeClipboard::GlobalUnlock(HGLOBAL memory) {
  Block* b = block(memory);
  if (b == nullptr || b->locks == 0) return FALSE;
  return --b->locks > 0 ? TRUE : FALSE;
}

SIZE_T FakeClipboard::GlobalSize(HGLOBAL memory) {
  const Block* b = block(memory);
  return b != nullptr ? b->bytes.size() : 0;
}

HGLOBAL FakeClipboard::GlobalFree(HGLOBAL memory) {
  Block* b = block(memory);
  if (b == nullptr || b->onClipboard) return memory;  // failure returns the handle
  b->freed = true;
  return nullptr;
}

UINT FakeClipboard::RegisterClipboardFormatW(LPCWSTR name) {
  const auto [entry, added] =
      registered_.emplace(platform::U(name), static_cast<UINT>(0xC000 + registered_.size()));
  return entry->second;
}

int FakeClipboard::GetClipboardFormatNameW(UINT format, LPWSTR name, int capacity) {
  for (const auto& [text, id] : registered_) {
    if (id != format || capacity <= 0) continue;
    const int length = std::min(static_cast<int>(text.size()), capacity - 1);
    std::copy_n(text.begin(), length, name);
    name[length] = 0;
    return length;
  }
  return 0;
}

std::u16string FakeClipboard::readTextAsOther(HWND reader) {
  if (open_ || holdOpenByOther) return {};
  open_ = true;
  openedBy_ = reader;
  std::u16string text;
  if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    const auto& bytes = blocks_.at(data).bytes;
    text.assign(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
    text = text.substr(0, text.find(u'\0'));
  }
  open_ = false;
  return text;
}

void FakeClipboard::copyAsOther(const std::u16string& text) {
  open_ = true;
  openedBy_ = kOtherProgram;
  EmptyClipboard();
  putText(text);
  open_ = false;
}

void FakeClipboard::promiseAsOther(UINT format, int ms) {
  formats_.emplace_back(format, nullptr);
  brokenPromises_[format] = ms;
}

HENHMETAFILE FakeClipboard::CopyEnhMetaFileW(HENHMETAFILE handle, LPCWSTR) {
  const Metafile* m = metafile(handle);
  return m != nullptr ? newMetafile(m->bits) : nullptr;
}

UINT FakeClipboard::GetEnhMetaFileBits(HENHMETAFILE handle, UINT size, BYTE* data) {
  const Metafile* m = metafile(handle);
  if (m == nullptr) return 0;
  if (data == nullptr) return static_cast<UINT>(m->bits.size());
  const UINT n = std::min<UINT>(size, static_cast<UINT>(m->bits.size()));
  std::copy_n(m->bits.begin(), n, data);
  return n;
}

BOOL FakeClipboard::DeleteEnhMetaFile(HENHMETAFILE handle) {
  Metafile* m = metafile(handle);
  if (m == nullptr || m->onClipboard) return FALSE;
  m->deleted = true;
  return TRUE;
}

void FakeClipboard::put(UINT format, const std::vector<std::uint8_t>& bytes) {
  const HGLOBAL memory = newBlock(bytes);
  const bool wasOpen = open_;
  open_ = true;
  SetClipboardData(format, memory);
  --setCalls;
  open_ = wasOpen;
}

void FakeClipboard::putText(const std::u16string& text) {
  std::vector<std::uint8_t> bytes((text.size() + 1) * 2, 0);
  std::copy_n(reinterpret_cast<const std::uint8_t*>(text.data()), text.size() * 2, bytes.begin());
  put(CF_UNICODETEXT, bytes);
}

void FakeClipboard::putEnhMetaFile(const std::vector<std::uint8_t>& bits) {
  const HENHMETAFILE handle = newMetafile(bits);
  const bool wasOpen = open_;
  open_ = true;
  SetClipboardData(CF_ENHMETAFILE, handle);
  --setCalls;
  open_ = wasOpen;
}

std::vector<UINT> FakeClipboard::formats() const {
  std::vector<UINT> out;
  for (const auto& entry : formats_) out.push_back(entry.first);
  return out;
}

std::vector<std::uint8_t> FakeClipboard::data(UINT format) const {
  for (const auto& [f, handle] : formats_) {
    if (f != format || handle == nullptr) continue;
    if (f == CF_ENHMETAFILE) return metafiles_.at(static_cast<HENHMETAFILE>(handle)).bits;
    return blocks_.at(handle).bytes;
  }
  return {};
}

std::u16string FakeClipboard::text() const {
  const std::vector<std::uint8_t> bytes = data(CF_UNICODETEXT);
  std::u16string out(bytes.size() / 2, u'\0');
  std::copy_n(bytes.begin(), out.size() * 2, reinterpret_cast<std::uint8_t*>(out.data()));
  return out.substr(0, out.find(u'\0'));
}

int FakeClipboard::leakedBlocks() const {
  return static_cast<int>(std::count_if(blocks_.begin(), blocks_.end(), [](const auto& entry) {
    return !entry.second.freed && !entry.second.onClipboard;
  }));
}

int FakeClipboard::leakedMetafiles() const {
  return static_cast<int>(std::count_if(metafiles_.begin(), metafiles_.end(), [](const auto& e) {
    return !e.second.deleted && !e.second.onClipboard;
  }));
}

}  // namespace fake
