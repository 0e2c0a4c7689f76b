// What the paste relies on from the clipboard and global memory, stated once and run against the
// fake (host) and the real clipboard (Wine), so the fake cannot drift from Windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/window_system.h"
#include "tests/contract/platform_harness.h"

namespace contract {
namespace {

class ClipboardContract : public ::testing::Test {
 protected:
  ClipboardContract() : harness(makeHarness()), clipboard(*harness->platform().clipboard) {}

  HGLOBAL blockOf(const void* bytes, SIZE_T size) {
    HGLOBAL memory = clipboard.GlobalAlloc(GMEM_MOVEABLE, size);
    void* target = clipboard.GlobalLock(memory);
    std::memcpy(target, bytes, size);
    clipboard.GlobalUnlock(memory);
    return memory;
  }
  // Opens the clipboard, waiting for whoever had it last to let go.
  void open() {
    ASSERT_TRUE(
        harness->waitFor([this] { return clipboard.OpenClipboard(nullptr) != FALSE; }, 5000));
  }

  std::unique_ptr<PlatformHarness> harness;
  platform::Clipboard& clipboard;
};

TEST_F(ClipboardContract, UnicodeTextRoundTripsThroughAMovableBlock) {
  const std::u16string text = u"caf\u00E9 \U0001F399";
  const SIZE_T size = (text.size() + 1) * sizeof(char16_t);
  open();
  ASSERT_TRUE(clipboard.EmptyClipboard());
  ASSERT_NE(clipboard.SetClipboardData(CF_UNICODETEXT, blockOf(text.c_str(), size)), nullptr);
  ASSERT_TRUE(clipboard.CloseClipboard());

  open();
  HANDLE data = clipboard.GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_GE(clipboard.GlobalSize(data), size);
  const auto* stored = static_cast<const char16_t*>(clipboard.GlobalLock(data));
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(std::u16string(stored), text);
  clipboard.GlobalUnlock(data);
  clipboard.CloseClipboard();
}

TEST_F(ClipboardContract, FormatsEnumerateInTheOrderTheyWereSet) {
  const unsigned char first[] = {1, 2, 3};
  const unsigned char second[] = {4, 5};
  const std::u16string text = u"t";
  open();
  clipboard.EmptyClipboard();
  // Registered-format numbers: any two in the registered range that nothing else uses here.
  clipboard.SetClipboardData(0xC0F1, blockOf(first, sizeof(first)));
  clipboard.SetClipboardData(CF_UNICODETEXT, blockOf(text.c_str(), 4));
  clipboard.SetClipboardData(CF_HDROP, blockOf(second, sizeof(second)));
  clipboard.CloseClipboard();

  open();
  std::vector<UINT> formats;
  for (UINT f = clipboard.EnumClipboardFormats(0); f != 0; f = clipboard.EnumClipboardFormats(f)) {
    formats.push_back(f);
  }
  clipboard.CloseClipboard();
  // Windows may add formats it synthesises, always after the ones that were set.
  ASSERT_GE(formats.size(), 3u);
  EXPECT_EQ(std::vector<UINT>(formats.begin(), formats.begin() + 3),
            (std::vector<UINT>{0xC0F1, CF_UNICODETEXT, CF_HDROP}));
}

TEST_F(ClipboardContract, DataCallsFailWhileTheClipboardIsClosed) {
  const unsigned char byte = 7;
  HGLOBAL memory = blockOf(&byte, 1);
  EXPECT_EQ(clipboard.SetClipboardData(CF_HDROP, memory), nullptr);
  EXPECT_EQ(clipboard.GetClipboardData(CF_UNICODETEXT), nullptr);
  EXPECT_EQ(clipboard.EnumClipboardFormats(0), 0u);
  // The block was not taken, so it is still ours to free; success is a null result.
  EXPECT_EQ(clipboard.GlobalFree(memory), nullptr);
}

// A window that owns the clipboard: it records the clipboard's messages to it and renders a
// promised Unicode text when asked.
class ClipboardOwnerContract : public ClipboardContract {
 protected:
  ClipboardOwnerContract() {
    current = this;
    platform::WindowSystem& windows = *harness->platform().windows;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ownerProc;
    windowClass.hInstance = windows.GetModuleHandleW(nullptr);
    windowClass.lpszClassName = platform::W(u"MurmurlyClipboardContractOwner");
    windows.RegisterClassExW(&windowClass);  // already there after the first test: fine
    owner = windows.CreateWindowExW(0, windowClass.lpszClassName, platform::W(u""), WS_POPUP, 0, 0,
                                    1, 1, nullptr, nullptr, windowClass.hInstance, nullptr);
  }
  ~ClipboardOwnerContract() override {
    harness->platform().windows->DestroyWindow(owner);
    current = nullptr;
  }

  static LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (current != nullptr && (message == WM_RENDERFORMAT || message == WM_DESTROYCLIPBOARD)) {
      current->messages.push_back(message);
      if (message == WM_RENDERFORMAT && wParam == CF_UNICODETEXT) {
        current->renderedFor = current->clipboard.GetOpenClipboardWindow();
        const std::u16string text = u"rendered";
        current->clipboard.SetClipboardData(
            CF_UNICODETEXT, current->blockOf(text.c_str(), (text.size() + 1) * sizeof(char16_t)));
      }
      return 0;
    }
    return current != nullptr ? current->harness->platform().windows->DefWindowProcW(
                                    window, message, wParam, lParam)
                              : 0;
  }
  void openAs(HWND window) {
    ASSERT_TRUE(harness->waitFor([&] { return clipboard.OpenClipboard(window) != FALSE; }, 5000));
  }

  static inline ClipboardOwnerContract* current = nullptr;
  HWND owner = nullptr;
  HWND renderedFor = nullptr;
  std::vector<UINT> messages;
};

TEST_F(ClipboardOwnerContract, APromisedFormatIsRenderedByItsOwnerWhenRead) {
  ASSERT_NE(owner, nullptr);
  openAs(owner);
  clipboard.EmptyClipboard();
  clipboard.SetClipboardData(CF_UNICODETEXT, nullptr);
  clipboard.CloseClipboard();
  EXPECT_EQ(clipboard.GetClipboardOwner(), owner);

  // The reader's window is the one that has the clipboard open while the owner renders.
  platform::WindowSystem& windows = *harness->platform().windows;
  const HWND reader = windows.CreateWindowExW(0, platform::W(u"MurmurlyClipboardContractOwner"),
                                              platform::W(u""), WS_POPUP, 0, 0, 1, 1, nullptr,
                                              nullptr, windows.GetModuleHandleW(nullptr), nullptr);
  openAs(reader);
  EXPECT_EQ(clipboard.EnumClipboardFormats(0), CF_UNICODETEXT);
  HANDLE data = clipboard.GetClipboardData(CF_UNICODETEXT);
  EXPECT_EQ(renderedFor, reader);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::u16string(static_cast<const char16_t*>(clipboard.GlobalLock(data))), u"rendered");
  clipboard.GlobalUnlock(data);
  // Rendered once: the next read finds the data without asking again.
  EXPECT_EQ(clipboard.GetClipboardData(CF_UNICODETEXT), data);
  clipboard.CloseClipboard();
  windows.DestroyWindow(reader);
  EXPECT_EQ(messages, std::vector<UINT>{WM_RENDERFORMAT});
}

TEST_F(ClipboardOwnerContract, WhoeverEmptiesTheClipboardTellsTheOwnerAndTakesItsPlace) {
  const UINT history =
      clipboard.RegisterClipboardFormatW(platform::W(u"CanIncludeInClipboardHistory"));
  EXPECT_EQ(clipboard.RegisterClipboardFormatW(platform::W(u"CanIncludeInClipboardHistory")),
            history);
  WCHAR name[64] = {};
  ASSERT_EQ(clipboard.GetClipboardFormatNameW(history, name, 64), 28);
  EXPECT_EQ(std::u16string(platform::U(name)), u"CanIncludeInClipboardHistory");
  EXPECT_EQ(clipboard.GetClipboardFormatNameW(CF_UNICODETEXT, name, 64), 0);

  openAs(owner);
  clipboard.EmptyClipboard();
  const unsigned char zero[4] = {};
  clipboard.SetClipboardData(history, blockOf(zero, sizeof(zero)));
  clipboard.CloseClipboard();
  EXPECT_TRUE(messages.empty());

  openAs(nullptr);
  clipboard.EmptyClipboard();
  clipboard.CloseClipboard();
  EXPECT_EQ(messages, std::vector<UINT>{WM_DESTROYCLIPBOARD});
  EXPECT_EQ(clipboard.GetClipboardOwner(), nullptr);
}

}  // namespace
}  // namespace contract
