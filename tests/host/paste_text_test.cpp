// pasteText on the fake platform: order and timing in virtual time, retries, failures, and every
// saved clipboard format back in its place afterwards.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "paste/clipboard_snapshot.h"
#include "paste/paste_text.h"
#include "tests/support/fake_platform.h"

namespace fake {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr UINT kHtml = 0xC0A1;  // a registered format such as "HTML Format"

struct Key {
  DWORD vk;
  bool up;
  bool injected;
  std::int64_t atMs;
  std::u16string clipboardText;  // what a Ctrl+V would paste at that moment
};

class PasteTextTest : public ::testing::Test {
 protected:
  PasteTextTest() {
    current = this;
    fake.keyboard.SetWindowsHookExW(WH_KEYBOARD_LL, recordKey, nullptr, 0);
    startNs = fake.clock.nowNs;
  }
  ~PasteTextTest() override { current = nullptr; }

  static LRESULT CALLBACK recordKey(int code, WPARAM message, LPARAM lParam) {
    const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    FakePlatform& fake = current->fake;
    current->keys.push_back({event.vkCode, message == WM_KEYUP || message == WM_SYSKEYUP,
                             (event.flags & LLKHF_INJECTED) != 0, current->msSinceStart(),
                             fake.clipboard.text()});
    if (current->onKey) current->onKey();
    return fake.keyboard.CallNextHookEx(nullptr, code, message, lParam);
  }

  std::int64_t msSinceStart() const { return (fake.clock.nowNs - startNs) / 1'000'000; }
  std::vector<std::int64_t> openTimesMs() const {
    std::vector<std::int64_t> times;
    for (const auto& attempt : fake.clipboard.openAttempts) {
      times.push_back((attempt.timeNs - startNs) / 1'000'000);
    }
    return times;
  }
  void expectNothingLeaked() {
    EXPECT_EQ(fake.clipboard.leakedBlocks(), 0);
    EXPECT_EQ(fake.clipboard.leakedMetafiles(), 0);
    EXPECT_FALSE(fake.clipboard.isOpen());
  }

  static PasteTextTest* current;
  FakePlatform fake;
  std::int64_t startNs = 0;
  std::vector<Key> keys;
  std::function<void()> onKey;
};

PasteTextTest* PasteTextTest::current = nullptr;

TEST_F(PasteTextTest, TextIsOnTheClipboardForCtrlVAndThePreviousTextReturns300msLater) {
  fake.clipboard.putText(u"before");
  pasteText(fake.platform(), "h\xC3\xA9llo \xF0\x9F\x8E\x99");

  ASSERT_EQ(keys.size(), 4u);
  const std::u16string pasted = u"h\u00E9llo \U0001F399";
  const std::vector<std::pair<DWORD, bool>> expected = {
      {VK_LCONTROL, false}, {0x56, false}, {0x56, true}, {VK_LCONTROL, true}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(keys[i].vk, expected[i].first) << i;
    EXPECT_EQ(keys[i].up, expected[i].second) << i;
    EXPECT_TRUE(keys[i].injected);
    EXPECT_EQ(keys[i].atMs, 50) << i;  // one batch, 50 ms after the clipboard was closed
    EXPECT_EQ(keys[i].clipboardText, pasted);
  }
  EXPECT_EQ(fake.clock.sleeps, (std::vector<DWORD>{50, 300}));
  EXPECT_EQ(openTimesMs(), (std::vector<std::int64_t>{0, 0, 350}));  // save, set, restore
  EXPECT_EQ(fake.clipboard.text(), u"before");
  EXPECT_EQ(fake.clipboard.formats(), std::vector<UINT>{CF_UNICODETEXT});
  EXPECT_TRUE(fake.debug.lines.empty());
  expectNothingLeaked();
}

TEST_F(PasteTextTest, EmptyTextIsStillPastedAndAnEmptyClipboardStaysEmpty) {
  pasteText(fake.platform(), "");
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].clipboardText, u"");
  EXPECT_EQ(fake.clipboard.setCalls, 1);
  EXPECT_TRUE(fake.clipboard.formats().empty());
  expectNothingLeaked();
}

TEST_F(PasteTextTest, ClipboardHeldByAnotherProgramGivesTenAttemptsThenTheFailureLine) {
  fake.clipboard.putText(u"theirs");
  fake.clipboard.holdOpenByOther = true;
  pasteText(fake.platform(), "text");
  EXPECT_EQ(fake.clipboard.openAttempts.size(), 11u);  // one to save, ten to set
  EXPECT_EQ(fake.clock.sleeps, std::vector<DWORD>(10, 10));
  EXPECT_EQ(openTimesMs().back(), 90);
  EXPECT_EQ(fake.debug.lines,
            std::vector<std::string>{"[GlobalHotkey] Failed to set clipboard after retries\n"});
  EXPECT_TRUE(keys.empty());
  EXPECT_EQ(fake.clipboard.text(), u"theirs");
  expectNothingLeaked();
}

TEST_F(PasteTextTest, AHolderThatLetsGoWithinTheRetriesLosesToThePaste) {
  fake.clipboard.failOpens = 6;  // the save and five write attempts
  pasteText(fake.platform(), "text");
  EXPECT_EQ(fake.clock.sleeps, (std::vector<DWORD>{10, 10, 10, 10, 10, 50, 300}));
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].clipboardText, u"text");
  EXPECT_TRUE(fake.debug.lines.empty());
  expectNothingLeaked();
}

TEST_F(PasteTextTest, AllocationOrLockFailureLeavesTheClipboardEmptyAndTypesNothing) {
  for (const bool lock : {false, true}) {
    SCOPED_TRACE(lock ? "lock" : "alloc");
    fake.clipboard.putText(u"before");
    // The save makes one copy (one alloc, two locks); the text's block comes next.
    (lock ? fake.clipboard.failLockAt : fake.clipboard.failAllocAt) = lock ? 3 : 2;
    pasteText(fake.platform(), "text");
    EXPECT_TRUE(keys.empty());
    EXPECT_TRUE(fake.clipboard.formats().empty());
    EXPECT_EQ(fake.debug.lines,
              std::vector<std::string>{"[GlobalHotkey] Failed to set clipboard after retries\n"});
    expectNothingLeaked();
    fake.debug.lines.clear();
  }
}

TEST_F(PasteTextTest, EveryKeptFormatIsRestoredInItsOriginalOrder) {
  const Bytes html = {'<', 'b', '>', 'h', 'i', '<', '/', 'b', '>', 0};
  const Bytes dib(40 + 16, 7);
  const Bytes files = {20, 0, 0, 0, 'a', 0, 0, 0};
  const Bytes emf = {1, 0, 0, 0, 'E', 'M', 'F'};
  fake.clipboard.put(kHtml, html);
  fake.clipboard.putText(u"T");
  fake.clipboard.put(CF_TEXT, {'T', 0});  // synthesised from CF_UNICODETEXT again
  fake.clipboard.put(CF_DIB, dib);
  fake.clipboard.put(CF_DIBV5, Bytes(124, 1));  // synthesised from CF_DIB again
  fake.clipboard.putEnhMetaFile(emf);
  fake.clipboard.put(CF_BITMAP, {1});  // a GDI handle, not memory: not kept
  fake.clipboard.put(CF_HDROP, files);
  fake.clipboard.put(CF_LOCALE, {9, 4, 0, 0});

  pasteText(fake.platform(), "pasted");
  EXPECT_EQ(keys.at(0).clipboardText, u"pasted");
  EXPECT_EQ(fake.clipboard.formats(),
            (std::vector<UINT>{kHtml, CF_UNICODETEXT, CF_DIB, CF_ENHMETAFILE, CF_HDROP}));
  EXPECT_EQ(fake.clipboard.data(kHtml), html);
  EXPECT_EQ(fake.clipboard.text(), u"T");
  EXPECT_EQ(fake.clipboard.data(CF_DIB), dib);
  EXPECT_EQ(fake.clipboard.data(CF_ENHMETAFILE), emf);
  EXPECT_EQ(fake.clipboard.data(CF_HDROP), files);
  EXPECT_EQ(fake.clipboard.openAttempts.size(), 3u);  // restored within the one attempt
  expectNothingLeaked();
}

TEST_F(PasteTextTest, ImageWithoutTextComesBackToo) {
  fake.clipboard.put(CF_DIBV5, Bytes(200, 3));
  fake.clipboard.put(CF_DIB, Bytes(100, 3));
  pasteText(fake.platform(), "x");
  EXPECT_EQ(fake.clipboard.formats(), std::vector<UINT>{CF_DIBV5});
  expectNothingLeaked();
}

TEST_F(PasteTextTest, CopiesBeyondTheCapAreDroppedWithOneLineEach) {
  const std::size_t mib = std::size_t{1} << 20;
  fake.clipboard.put(kHtml, Bytes(160 * mib, 1));
  fake.clipboard.put(kHtml + 1, Bytes(100 * mib, 2));
  fake.clipboard.putText(u"small");
  pasteText(fake.platform(), "x");
  EXPECT_EQ(fake.clipboard.formats(), (std::vector<UINT>{kHtml, CF_UNICODETEXT}));
  EXPECT_EQ(fake.clipboard.data(kHtml).size(), 160 * mib);
  EXPECT_EQ(fake.clipboard.text(), u"small");
  EXPECT_EQ(fake.debug.lines,
            std::vector<std::string>{
                "[GlobalHotkey] Clipboard format too large to keep across the paste, dropped\n"});
  expectNothingLeaked();
}

TEST_F(PasteTextTest, ARestoreThatCannotOpenLeavesThePastedTextAndFreesTheCopies) {
  fake.clipboard.putText(u"before");
  fake.clipboard.put(kHtml, {'x', 0});
  onKey = [this] { fake.clipboard.holdOpenByOther = true; };
  pasteText(fake.platform(), "pasted");
  EXPECT_EQ(fake.clipboard.text(), u"pasted");
  EXPECT_EQ(fake.clipboard.formats(), std::vector<UINT>{CF_UNICODETEXT});
  fake.clipboard.holdOpenByOther = false;
  expectNothingLeaked();
}

}  // namespace
}  // namespace fake
