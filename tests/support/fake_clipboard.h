// Clipboard fake: formats in the order they were set, global memory blocks with lock counts,
// enhanced metafiles as byte strings, and the ways the real clipboard fails.
//
// Ownership as on Windows: EmptyClipboard makes the window that opened the clipboard its owner
// and first sends WM_DESTROYCLIPBOARD to the previous owner. A format set with null data is a
// promise: reading it sends WM_RENDERFORMAT to the owner, whose SetClipboardData then fills it.
// Messages reach windows through the window-system fake (`windows`).
//
// holdOpenByOther makes every OpenClipboard fail (another program has it open); failOpens fails
// only the next n. failAllocAt / failLockAt fail the n-th GlobalAlloc / GlobalLock counted from
// now (1 = the next). Every OpenClipboard attempt is recorded with the virtual time.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/clipboard.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_window_system.h"

namespace fake {

class FakeClipboard final : public platform::Clipboard {
 public:
  explicit FakeClipboard(FakeClock& clock) : clock_(clock) {}

  BOOL OpenClipboard(HWND owner) override;
  BOOL CloseClipboard() override;
  BOOL EmptyClipboard() override;
  HANDLE GetClipboardData(UINT format) override;
  HANDLE SetClipboardData(UINT format, HANDLE data) override;
  UINT EnumClipboardFormats(UINT format) override;
  HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) override;
  LPVOID GlobalLock(HGLOBAL memory) override;
  BOOL GlobalUnlock(HGLOBAL memory) override;
  SIZE_T GlobalSize(HGLOBAL memory) override;
  HGLOBAL GlobalFree(HGLOBAL memory) override;
  HWND GetClipboardOwner() override { return owner_; }
  HWND GetOpenClipboardWindow() override { return open_ ? openedBy_ : nullptr; }
  UINT RegisterClipboardFormatW(LPCWSTR name) override;
  int GetClipboardFormatNameW(UINT format, LPWSTR name, int capacity) override;
  HENHMETAFILE CopyEnhMetaFileW(HENHMETAFILE metafile, LPCWSTR fileName) override;
  UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data) override;
  BOOL DeleteEnhMetaFile(HENHMETAFILE metafile) override;

  // Test side: what another program put there, and what is there now.
  void put(UINT format, const std::vector<std::uint8_t>& bytes);
  void putText(const std::u16string& text);  // CF_UNICODETEXT with its terminator
  void putEnhMetaFile(const std::vector<std::uint8_t>& bits);
  std::vector<UINT> formats() const;
  std::vector<std::uint8_t> data(UINT format) const;  // a metafile's bits for CF_ENHMETAFILE
  std::u16string text() const;                        // up to the first zero unit
  bool isOpen() const { return open_; }
  // Another program's moves: a read of the text (rendering it if it is a promise), a copy of its
  // own (it becomes the owner), and a promise it never keeps, each read of which costs `ms`.
  std::u16string readTextAsOther(HWND reader = kOtherProgram);  // through its window `reader`
  void copyAsOther(const std::u16string& text);
  void promiseAsOther(UINT format, int ms);
  UINT registered(const std::u16string& name) {
    return RegisterClipboardFormatW(platform::W(name.c_str()));
  }
  // Blocks and metafiles that nobody owns any more but were never freed.
  int leakedBlocks() const;
  int leakedMetafiles() const;

  bool holdOpenByOther = false;
  int failOpens = 0;
  int failAllocAt = 0;
  int failLockAt = 0;
  struct OpenAttempt {
    std::int64_t timeNs;
    bool succeeded;
  };
  std::vector<OpenAttempt> openAttempts;
  int setCalls = 0;
  FakeWindowSystem* windows = nullptr;
  static inline const HWND kOtherProgram = reinterpret_cast<HWND>(std::uintptr_t{0x0BAD});

 private:
  struct Block {
    std::vector<std::uint8_t> bytes;
    int locks = 0;
    bool freed = false;
    bool onClipboard = false;
  };
  struct Metafile {
    std::vector<std::uint8_t> bits;
    bool deleted = false;
    bool onClipboard = false;
  };
  Block* block(HGLOBAL memory);
  Metafile* metafile(HENHMETAFILE handle);
  HGLOBAL newBlock(std::vector<std::uint8_t> bytes);
  HENHMETAFILE newMetafile(std::vector<std::uint8_t> bits);
  void release(UINT format, HANDLE data);
  void clearFormats();

  FakeClock& clock_;
  bool open_ = false;
  HWND openedBy_ = nullptr;
  HWND owner_ = nullptr;
  bool rendering_ = false;
  std::map<UINT, int> brokenPromises_;  // format -> ms each read takes
  std::map<std::u16string, UINT> registered_;
  std::vector<std::pair<UINT, HANDLE>> formats_;
  std::map<HGLOBAL, Block> blocks_;
  std::map<HENHMETAFILE, Metafile> metafiles_;
  std::uintptr_t next_ = 0x9000;
};

}  // namespace fake
