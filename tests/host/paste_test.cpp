// The paste's state machine on the fake platform, in virtual time: what the target reads and
// when, what the user gets back, and when the paste is over.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "paste/paste_keys.h"
#include "paste/paster.h"
#include "platform/own_input.h"
#include "tests/support/fake_platform.h"

namespace fake {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

struct Key {
  DWORD vk;
  bool up;
  bool own;
};

const char* const kTaken =
    "[GlobalHotkey] Another program took the clipboard during the paste; its content stays\n";

class PasteTest : public ::testing::Test {
 protected:
  PasteTest() {
    current = this;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ownerProc;
    windowClass.lpszClassName = u"PasteTestOwner";
    fake.windows.RegisterClassExW(&windowClass);
    owner = fake.windows.CreateWindowExW(0, u"PasteTestOwner", u"", 0, 0, 0, 0, 0, nullptr, nullptr,
                                         nullptr, nullptr);
    paster = std::make_unique<paste::Paster>(fake.platform(), owner,
                                             [this] { overAtMs.push_back(msSinceStart()); });
    fake.keyboard.SetWindowsHookExW(WH_KEYBOARD_LL, recordKey, nullptr, 0);
    startNs = fake.clock.nowNs;
  }
  ~PasteTest() override { current = nullptr; }

  static LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (current->paster && current->paster->handleMessage(message, wParam)) return 0;
    return current->fake.windows.DefWindowProcW(window, message, wParam, lParam);
  }
  static LRESULT CALLBACK recordKey(int code, WPARAM message, LPARAM lParam) {
    const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    current->keys.push_back({event.vkCode, message == WM_KEYUP || message == WM_SYSKEYUP,
                             platform::isOwnInput(event.dwExtraInfo)});
    if (event.vkCode == 0x56 && message == WM_KEYUP) current->keysAtMs = current->msSinceStart();
    return current->fake.keyboard.CallNextHookEx(nullptr, code, message, lParam);
  }

  std::int64_t msSinceStart() const { return (fake.clock.nowNs - startNs) / 1'000'000; }
  void expectNothingLeaked() {
    paster.reset();
    EXPECT_EQ(fake.clipboard.leakedBlocks(), 0);
    EXPECT_EQ(fake.clipboard.leakedMetafiles(), 0);
    EXPECT_FALSE(fake.clipboard.isOpen());
  }
  bool historyFormatsPresent() {
    for (const char16_t* name : {u"ExcludeClipboardContentFromMonitorProcessing",
                                 u"CanIncludeInClipboardHistory", u"CanUploadToCloudClipboard"}) {
      if (fake.clipboard.data(fake.clipboard.registered(name)) != Bytes{0, 0, 0, 0}) return false;
    }
    return true;
  }

  static PasteTest* current;
  FakePlatform fake;
  HWND owner = nullptr;
  std::unique_ptr<paste::Paster> paster;
  std::int64_t startNs = 0;
  std::vector<Key> keys;
  std::int64_t keysAtMs = -1;
  std::vector<std::int64_t> overAtMs;
};

PasteTest* PasteTest::current = nullptr;

TEST_F(PasteTest, TheTargetsReadIsTheProofAndEverythingReturns300msLater) {
  const UINT html = fake.clipboard.registered(u"HTML Format");
  const Bytes htmlBytes = {'<', 'b', '>', 0};
  const Bytes dib(56, 7);
  fake.clipboard.put(html, htmlBytes);
  fake.clipboard.putText(u"before");
  fake.clipboard.put(CF_TEXT, {'b', 0});  // synthesised again from the Unicode text
  fake.clipboard.put(CF_DIB, dib);
  fake.clipboard.putEnhMetaFile({1, 'E', 'M', 'F'});

  paster->enqueue("h\xC3\xA9llo \xF0\x9F\x8E\x99");
  EXPECT_TRUE(historyFormatsPresent());
  fake.advance(50);
  EXPECT_EQ(keysAtMs, 50);
  fake.advance(700);  // a slow target
  EXPECT_EQ(fake.clipboard.readTextAsOther(), u"h\u00E9llo \U0001F399");
  EXPECT_TRUE(historyFormatsPresent());
  fake.advance(299);
  EXPECT_TRUE(overAtMs.empty());
  fake.advance(1);
  EXPECT_EQ(overAtMs, std::vector<std::int64_t>{1050});
  const std::vector<UINT> restored = fake.clipboard.formats();
  ASSERT_EQ(restored.size(), 7u);  // three history formats, then the user's in their order
  EXPECT_EQ(std::vector<UINT>(restored.begin() + 3, restored.end()),
            (std::vector<UINT>{html, CF_UNICODETEXT, CF_DIB, CF_ENHMETAFILE}));
  EXPECT_TRUE(historyFormatsPresent());
  EXPECT_EQ(fake.clipboard.text(), u"before");
  EXPECT_EQ(fake.clipboard.data(html), htmlBytes);
  EXPECT_EQ(fake.clipboard.data(CF_DIB), dib);
  EXPECT_TRUE(fake.debug.lines.empty());
  expectNothingLeaked();
}

TEST_F(PasteTest, WithoutAReadAfterTheKeysTheRestoreWaitsOneOrTwoSeconds) {
  fake.clipboard.putText(u"before");
  paster->enqueue("unread");
  fake.advance(2049);
  EXPECT_TRUE(overAtMs.empty());
  fake.advance(1);
  EXPECT_EQ(fake.clipboard.text(), u"before");
  EXPECT_EQ(fake.debug.lines,
            Lines{"[GlobalHotkey] The paste target never read the transcript; restoring the "
                  "clipboard\n"});

  // A clipboard monitor reads it before the keys: the target's read leaves no trace.
  paster->enqueue("monitored");
  EXPECT_EQ(fake.clipboard.readTextAsOther(), u"monitored");
  fake.advance(50 + 1000);
  EXPECT_EQ(overAtMs, (std::vector<std::int64_t>{2050, 3100}));
  EXPECT_EQ(fake.debug.lines.size(), 1u);
  expectNothingLeaked();
}

TEST_F(PasteTest, ANewerCopyByAnotherProgramStaysAndEndsThePaste) {
  fake.clipboard.putText(u"before");
  paster->enqueue("transcript");
  fake.advance(50);
  fake.advance(100);
  fake.clipboard.copyAsOther(u"theirs");
  EXPECT_EQ(overAtMs, std::vector<std::int64_t>{150});
  fake.advance(3000);
  EXPECT_EQ(fake.clipboard.text(), u"theirs");
  EXPECT_EQ(fake.debug.lines, Lines{kTaken});

  // Taken before the keys: no Ctrl+V, which would paste their content.
  keys.clear();
  paster->enqueue("second");
  fake.advance(20);
  fake.clipboard.copyAsOther(u"theirs again");
  fake.advance(3000);
  EXPECT_TRUE(keys.empty());
  EXPECT_EQ(fake.clipboard.text(), u"theirs again");
  expectNothingLeaked();
}

TEST_F(PasteTest, ABusyClipboardIsRetriedEvery50msForFiveSeconds) {
  fake.clipboard.putText(u"before");
  paster->enqueue("a");
  fake.advance(50);
  fake.clipboard.readTextAsOther();
  fake.clipboard.holdOpenByOther = true;
  fake.advance(300 + 400);
  EXPECT_EQ(fake.clipboard.openAttempts.size(), 1u + 1 + 8);  // set, restore, 8 retries
  fake.clipboard.holdOpenByOther = false;
  fake.advance(50);
  EXPECT_EQ(fake.clipboard.text(), u"before");
  EXPECT_TRUE(fake.debug.lines.empty());

  paster->enqueue("b");
  fake.advance(50);
  fake.clipboard.readTextAsOther();
  fake.clipboard.holdOpenByOther = true;
  fake.advance(300 + 5000);
  EXPECT_EQ(overAtMs.back(), 800 + 350 + 5000);
  EXPECT_EQ(fake.debug.lines,
            Lines{"[GlobalHotkey] Clipboard busy for 5 s; the previous content was not "
                  "restored\n"});
  fake.clipboard.holdOpenByOther = false;
  EXPECT_EQ(fake.clipboard.text(), u"b");
  expectNothingLeaked();
}

TEST_F(PasteTest, PastesRunOneAfterAnotherInTheOrderAsked) {
  fake.clipboard.putText(u"before");
  std::vector<std::u16string> read;
  for (const char* text : {"one", "two", "three"}) paster->enqueue(text);
  for (int i = 0; i < 3; ++i) {
    fake.advance(50);
    read.push_back(fake.clipboard.readTextAsOther());
    fake.advance(300);
  }
  EXPECT_EQ(read, (std::vector<std::u16string>{u"one", u"two", u"three"}));
  EXPECT_EQ(fake.clipboard.text(), u"before");
  EXPECT_EQ(overAtMs, (std::vector<std::int64_t>{350, 700, 1050}));
  expectNothingLeaked();
}

struct Record {
  WORD vk;
  WORD scan;
  DWORD flags;
  bool operator==(const Record&) const = default;
};

void PrintTo(const Record& r, std::ostream* out) {
  *out << std::hex << "{vk " << r.vk << ", scan " << r.scan << ", flags " << r.flags << "}";
}

TEST(PasteKeysTest, HeldModifiersGoUpForTheChordAndDownAgainAfterItEachWithItsScanCode) {
  using paste::PasteChord;
  constexpr DWORD up = KEYEVENTF_KEYUP;
  constexpr DWORD ext = KEYEVENTF_EXTENDEDKEY;
  constexpr WORD mask = paste::kMaskVk;
  const Record ctrlDown{VK_LCONTROL, 0x1D, 0}, ctrlUp{VK_LCONTROL, 0x1D, up};
  const Record vDown{'V', 0x2F, 0}, vUp{'V', 0x2F, up};
  const struct {
    const char* name;
    std::vector<DWORD> held;
    PasteChord chord;
    std::vector<Record> expected;
  } cases[] = {
      {"nothing held", {}, PasteChord::CtrlV, {ctrlDown, vDown, vUp, ctrlUp}},
      {"a Left Ctrl + K hotkey held: Ctrl goes down again, K is no modifier",
       {VK_LCONTROL, 'K'},
       PasteChord::CtrlV,
       {ctrlUp, ctrlDown, vDown, vUp, ctrlUp, ctrlDown}},
      {"Shift, Alt and Win held: masked before the releases and after the presses",
       {VK_RSHIFT, VK_LMENU, VK_RWIN},
       PasteChord::ShiftInsert,
       {{mask, 0, 0},
        {mask, 0, up},
        {VK_RSHIFT, 0x36, up},
        {VK_LMENU, 0x38, up},
        {VK_RWIN, 0x5C, ext | up},
        {VK_LSHIFT, 0x2A, 0},
        {VK_INSERT, 0x52, ext},
        {VK_INSERT, 0x52, ext | up},
        {VK_LSHIFT, 0x2A, up},
        {VK_RSHIFT, 0x36, 0},
        {VK_LMENU, 0x38, 0},
        {VK_RWIN, 0x5C, ext},
        {mask, 0, 0},
        {mask, 0, up}}},
      {"AltGr held (Right Ctrl and Right Alt are extended keys)",
       {VK_RCONTROL, VK_RMENU},
       PasteChord::CtrlShiftV,
       {{mask, 0, 0},
        {mask, 0, up},
        {VK_RCONTROL, 0x1D, ext | up},
        {VK_RMENU, 0x38, ext | up},
        ctrlDown,
        {VK_LSHIFT, 0x2A, 0},
        vDown,
        vUp,
        {VK_LSHIFT, 0x2A, up},
        ctrlUp,
        {VK_RCONTROL, 0x1D, ext},
        {VK_RMENU, 0x38, ext},
        {mask, 0, 0},
        {mask, 0, up}}},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    FakeClock clock;
    FakeKeyboard keyboard(clock);
    for (const DWORD vk : testCase.held) keyboard.setKeyDown(vk, true);
    std::vector<INPUT> keys = paste::pasteKeys(keyboard, testCase.chord);
    std::vector<Record> records;
    for (const INPUT& key : keys) {
      EXPECT_TRUE(platform::isOwnInput(key.ki.dwExtraInfo));
      records.push_back({key.ki.wVk, key.ki.wScan, key.ki.dwFlags});
    }
    EXPECT_EQ(records, testCase.expected);
    // The system's key state is the keyboard's again once the batch is through.
    keyboard.SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
    for (const DWORD vk : testCase.held) EXPECT_TRUE(keyboard.isDown(vk)) << vk;
    EXPECT_FALSE(keyboard.isDown(VK_INSERT) || keyboard.isDown('V'));
  }
}

TEST(PasteKeysTest, TerminalsGetShiftInsertAndTheDartSideMayNameExactlyThreeChords) {
  using paste::PasteChord;
  for (const char16_t* terminal : {u"mintty", u"PuTTY", u"ConsoleWindowClass",
                                   u"CASCADIA_HOSTING_WINDOW_CLASS", u"VirtualConsoleClass"}) {
    EXPECT_EQ(paste::pasteChordForWindowClass(terminal), PasteChord::ShiftInsert);
  }
  for (const char16_t* other : {u"Notepad", u"Chrome_WidgetWin_1", u"MINTTY", u""}) {
    EXPECT_EQ(paste::pasteChordForWindowClass(other), PasteChord::CtrlV);
  }
  EXPECT_EQ(paste::pasteChordFromLabel("Ctrl + V"), PasteChord::CtrlV);
  EXPECT_EQ(paste::pasteChordFromLabel("Shift + Insert"), PasteChord::ShiftInsert);
  EXPECT_EQ(paste::pasteChordFromLabel("Ctrl + Shift + V"), PasteChord::CtrlShiftV);
  for (const char* unknown : {"Ctrl+V", "ctrl + v", "Shift + Ctrl + V", "Ctrl + V ", ""}) {
    EXPECT_EQ(paste::pasteChordFromLabel(unknown), std::nullopt) << unknown;
  }
}

TEST_F(PasteTest, SkippedFormatsAreNamedAndASlowOwnerCostsOnlyTheRest) {
  const std::size_t mib = std::size_t{1} << 20;
  const UINT big = fake.clipboard.registered(u"Big Format");
  fake.clipboard.putText(u"small");
  fake.clipboard.put(big, Bytes(257 * mib, 1));
  fake.clipboard.put(CF_BITMAP, {1});  // a GDI handle without a bitmap beside it
  paster->enqueue("x");
  EXPECT_EQ(fake.debug.lines,
            (Lines{"[GlobalHotkey] Clipboard format \"Big Format\" not kept across the paste: "
                   "too large\n",
                   "[GlobalHotkey] Clipboard format #2 not kept across the paste: not a memory "
                   "block\n"}));
  fake.advance(2050);
  EXPECT_EQ(fake.clipboard.formats().back(), CF_UNICODETEXT);

  fake.debug.lines.clear();
  fake.clipboard.promiseAsOther(fake.clipboard.registered(u"Late"), 1500);
  fake.clipboard.put(fake.clipboard.registered(u"After"), {1});
  fake.clipboard.put(CF_HDROP, {20, 0});  // read first: users care about file lists
  paster->enqueue("y");
  EXPECT_EQ(fake.debug.lines,
            (Lines{"[GlobalHotkey] Clipboard format \"Late\" not kept across the paste: not "
                   "rendered by its owner\n",
                   "[GlobalHotkey] Clipboard format \"After\" not kept across the paste: no "
                   "time left after a slow clipboard owner\n"}));
  fake.advance(2050);
  EXPECT_EQ(fake.clipboard.data(CF_HDROP), (Bytes{20, 0}));
  expectNothingLeaked();
}

TEST_F(PasteTest, AnElevatedTargetGetsNoKeysAndTheTranscriptStays) {
  const HWND admin = fake.windows.addWindow(u"AdminApp");
  fake.windows.foreground = admin;
  fake.processes.windowProcess[admin] = 7;
  fake.processes.levels = {{7, 0x3000}, {FakeProcesses::kOwnProcess, 0x2000}};
  fake.clipboard.putText(u"before");
  paster->enqueue("for an admin");
  fake.advance(50);
  EXPECT_TRUE(keys.empty());
  EXPECT_EQ(overAtMs, std::vector<std::int64_t>{50});
  EXPECT_EQ(fake.clipboard.readTextAsOther(), u"for an admin");  // the user pastes by hand
  EXPECT_EQ(fake.debug.lines.size(), 1u);
  expectNothingLeaked();
}

TEST_F(PasteTest, ASetThatFailsLeavesTheUserContentAndWritesTheLine) {
  fake.clipboard.putText(u"theirs");
  fake.clipboard.holdOpenByOther = true;
  paster->enqueue("never");
  fake.advance(200);
  EXPECT_EQ(fake.clipboard.openAttempts.size(), 10u);
  EXPECT_EQ(overAtMs, std::vector<std::int64_t>{100});
  fake.clipboard.holdOpenByOther = false;

  fake.clipboard.failAllocAt = 2;  // the snapshot's copy, then the first history format
  paster->enqueue("no memory");
  EXPECT_EQ(fake.debug.lines, Lines(2, "[GlobalHotkey] Failed to set clipboard after retries\n"));
  EXPECT_EQ(fake.clipboard.text(), u"theirs");
  EXPECT_TRUE(keys.empty());
  expectNothingLeaked();
}

TEST_F(PasteTest, ClosingMidPastePutsTheUserContentBackAtOnce) {
  fake.clipboard.putText(u"before");
  paster->enqueue("closing");
  paster->enqueue("dropped");
  fake.advance(50);
  paster->shutdown();
  EXPECT_EQ(fake.clipboard.text(), u"before");
  fake.advance(5000);
  EXPECT_TRUE(overAtMs.empty());

  // A transcript left for the user (elevated target) is rendered before the owner goes away.
  fake.processes.levels = {{FakeProcesses::kOwnProcess, 0x1000}, {0, 0x2000}};
  paster->enqueue("kept");
  fake.advance(50);
  fake.windows.sendMessage(owner, WM_RENDERALLFORMATS);
  EXPECT_EQ(fake.clipboard.text(), u"kept");
  expectNothingLeaked();
}

}  // namespace
}  // namespace fake
