// The paste's state machine on the fake platform, in virtual time: what the target reads and
// when, what the user gets back, and when the paste is over and how; and its keys.
#include <gtest/gtest.h>

#include <atomic>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "paste/checked_send.h"
#include "paste/paste_keys.h"
#include "paste/paster.h"
#include "paste/typing_keys.h"
#include "platform/own_input.h"
#include "tests/support/fake_platform.h"

namespace fake {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;
using Outcomes = std::vector<paste::PasteOutcome>;
using paste::PasteOutcome;
using namespace std::string_literals;

struct Key {
  DWORD vk;
  bool up;
  bool own;
  DWORD scan;
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
    windowClass.lpszClassName = platform::W(u"PasteTestOwner");
    fake.windows.RegisterClassExW(&windowClass);
    owner = fake.windows.CreateWindowExW(0, platform::W(u"PasteTestOwner"), platform::W(u""), 0, 0,
                                         0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    paster = std::make_unique<paste::Paster>(
        fake.platform(), owner, stopping,
        [this](std::size_t paste, const paste::PasteReport& report) {
          overAtMs.push_back(msSinceStart());
          pastes.push_back(paste);
          outcomes.push_back(report.outcome);
          targets.push_back(report.target);
          typed.push_back(report.typed);
        });
    fake.keyboard.SetWindowsHookExW(WH_KEYBOARD_LL, recordKey, nullptr, 0);
    // Notepad in the foreground reads what the other program reads, unless a test names another
    // reader: a clipboard monitor runs beside.
    fake.windows.foreground = fake.windows.addWindow(u"Notepad");
    fake.processes.windowProcess = {
        {fake.windows.foreground, 7}, {FakeClipboard::kOtherProgram, 7}, {monitor, 8}};
    fake.processes.names = {{7, "notepad.exe"}};
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
                             platform::isOwnInput(event.dwExtraInfo), event.scanCode});
    if (event.vkCode == 0x56 && message == WM_KEYUP) {
      current->keysAtMs = current->msSinceStart();
      if (current->readInsideKeys) current->fake.clipboard.readTextAsOther();
    }
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
  std::atomic<bool> stopping{false};
  HWND owner = nullptr;
  const HWND monitor = fake.windows.addWindow(u"Monitor");
  std::unique_ptr<paste::Paster> paster;
  std::int64_t startNs = 0;
  std::vector<Key> keys;
  std::int64_t keysAtMs = -1;
  bool readInsideKeys = false;  // the target reads before SendInput has returned
  std::vector<std::int64_t> overAtMs;
  std::vector<std::size_t> pastes;  // the number of each paste over
  Outcomes outcomes;
  std::vector<std::string> targets;
  std::vector<std::optional<std::size_t>> typed;
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

  paster->enqueue({"h\xC3\xA9llo \xF0\x9F\x8E\x99\0after a NUL"s, {}});
  EXPECT_TRUE(historyFormatsPresent());
  fake.advance(50);
  EXPECT_EQ(keysAtMs, 50);
  fake.advance(700);  // a slow target
  EXPECT_EQ(fake.clipboard.readTextAsOther(), u"h\u00E9llo \U0001F399");
  EXPECT_EQ(fake.clipboard.data(CF_UNICODETEXT).size(), 2u * 21);  // what follows the NUL too
  EXPECT_TRUE(historyFormatsPresent());
  fake.advance(299);
  EXPECT_TRUE(overAtMs.empty());
  fake.advance(1);
  EXPECT_EQ(overAtMs, std::vector<std::int64_t>{1050});
  EXPECT_EQ(outcomes, Outcomes{PasteOutcome::Pasted});
  EXPECT_EQ(targets, std::vector<std::string>{"notepad.exe"});
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

TEST_F(PasteTest, OnlyTheTargetsReadStartsTheRestoreElseItWaitsTwoSecondsAfterTheKeys) {
  const struct {
    HWND reader;   // null: a reader that opened the clipboard without a window
    int readAtMs;  // 50: the target reads before SendInput has returned
    PasteOutcome outcome;
    int overAtMs;
  } cases[] = {{FakeClipboard::kOtherProgram, 50, PasteOutcome::Pasted, 350},
               {monitor, 20, PasteOutcome::ReadByOther, 2050},  // before the keys
               {monitor, 150, PasteOutcome::ReadByOther, 2050},
               // Without a window only the time tells: after the keys it is the target's.
               {nullptr, 20, PasteOutcome::ReadByOther, 2050},
               {nullptr, 150, PasteOutcome::Pasted, 450},
               {nullptr, -1, PasteOutcome::NotRead, 2050}};
  for (const auto& testCase : cases) {
    fake.clipboard.putText(u"before");
    overAtMs.clear();
    outcomes.clear();
    startNs = fake.clock.nowNs;
    readInsideKeys = testCase.readAtMs == 50;
    paster->enqueue({"transcript", {}});
    if (testCase.readAtMs > 0 && !readInsideKeys) {
      fake.advance(testCase.readAtMs);
      EXPECT_EQ(fake.clipboard.readTextAsOther(testCase.reader), u"transcript");
      // A target reading late still finds the transcript, though its read goes unseen.
      if (testCase.outcome != PasteOutcome::Pasted) {
        fake.advance(850 - testCase.readAtMs);
        EXPECT_EQ(fake.clipboard.readTextAsOther(), u"transcript");
      }
    }
    fake.advance(testCase.overAtMs - 1 - msSinceStart());
    EXPECT_TRUE(overAtMs.empty());
    fake.advance(1);
    EXPECT_EQ(outcomes, Outcomes{testCase.outcome});
    EXPECT_EQ(fake.clipboard.text(), u"before");
  }
  EXPECT_EQ(fake.debug.lines,
            Lines{"[GlobalHotkey] The paste target never read the transcript; restoring the "
                  "clipboard\n"});
  expectNothingLeaked();
}

TEST_F(PasteTest, ANewerCopyByAnotherProgramStaysAndEndsThePaste) {
  fake.clipboard.putText(u"before");
  paster->enqueue({"transcript", {}});
  fake.advance(50);
  fake.advance(100);
  fake.clipboard.copyAsOther(u"theirs");
  EXPECT_EQ(overAtMs, std::vector<std::int64_t>{150});
  fake.advance(3000);
  EXPECT_EQ(fake.clipboard.text(), u"theirs");
  EXPECT_EQ(fake.debug.lines, Lines{kTaken});

  // Taken before the keys: no Ctrl+V, which would paste their content.
  keys.clear();
  paster->enqueue({"second", {}});
  fake.advance(20);
  fake.clipboard.copyAsOther(u"theirs again");
  fake.advance(3000);
  EXPECT_TRUE(keys.empty());
  EXPECT_EQ(fake.clipboard.text(), u"theirs again");

  // Taken after the target read it: the transcript landed.
  paster->enqueue({"third", {}});
  fake.advance(100);
  fake.clipboard.readTextAsOther();
  fake.clipboard.copyAsOther(u"theirs once more");
  EXPECT_EQ(outcomes,
            (Outcomes{PasteOutcome::Replaced, PasteOutcome::Replaced, PasteOutcome::Pasted}));
  expectNothingLeaked();
}

TEST_F(PasteTest, ABusyClipboardIsRetriedEvery50msForASlowTargetUpTo60Seconds) {
  fake.clipboard.putText(u"before");
  paster->enqueue({"a", {}});
  fake.advance(50);
  fake.clipboard.readTextAsOther();
  fake.clipboard.holdOpenByOther = true;
  fake.advance(300 + 10'000);
  EXPECT_EQ(fake.clipboard.openAttempts.size(), 1u + 1 + 200);  // set, restore, 200 retries
  fake.clipboard.holdOpenByOther = false;
  fake.advance(50);
  EXPECT_EQ(fake.clipboard.text(), u"before");
  EXPECT_TRUE(fake.debug.lines.empty());

  paster->enqueue({"b", {}});
  fake.advance(50);
  fake.clipboard.readTextAsOther();
  fake.clipboard.holdOpenByOther = true;
  fake.advance(300 + 60'000);
  EXPECT_EQ(overAtMs.back(), 10'400 + 350 + 60'000);
  EXPECT_EQ(fake.debug.lines,
            Lines{"[GlobalHotkey] Clipboard busy for 60 s; the previous content was not "
                  "restored\n"});
  fake.clipboard.holdOpenByOther = false;
  EXPECT_EQ(fake.clipboard.text(), u"b");
  expectNothingLeaked();
}

// Keys sent long after they were asked for would land in whatever window is in front by then.
TEST_F(PasteTest, APasteWaitingOver3sBehindARetryingRestoreIsBusyWithoutKeys) {
  paster->enqueue({"slow target", {}});
  fake.advance(50);
  fake.clipboard.readTextAsOther();
  fake.clipboard.holdOpenByOther = true;  // the restore retries from 350 ms on
  fake.advance(1000);
  paster->enqueue({"stale", {}});
  fake.advance(1000);
  paster->enqueue({"fresh", {}});
  keys.clear();
  fake.advance(2500);
  EXPECT_EQ(overAtMs, std::vector<std::int64_t>{4100});  // the first retry after 3 s
  fake.clipboard.holdOpenByOther = false;
  fake.advance(100);
  EXPECT_EQ(fake.clipboard.readTextAsOther(), u"fresh");
  fake.advance(300);
  EXPECT_EQ(outcomes,
            (Outcomes{PasteOutcome::ClipboardBusy, PasteOutcome::Pasted, PasteOutcome::Pasted}));
  EXPECT_EQ(keys.size(), 4u);  // the fresh one's Ctrl+V only
  EXPECT_EQ(fake.debug.lines, Lines{"[GlobalHotkey] A paste waited 3 s for the clipboard behind "
                                    "the previous one; no keys sent\n"});
}

// A UWP app's frame window belongs to ApplicationFrameHost; the app reads through its CoreWindow.
TEST_F(PasteTest, AUwpAppIsTheTargetBehindItsFrame) {
  const HWND frame = fake.windows.foreground = fake.windows.addWindow(u"ApplicationFrameWindow");
  const HWND core = fake.windows.addWindow(u"Windows.UI.Core.CoreWindow");
  fake.windows.window(core)->parent = frame;
  fake.processes.windowProcess = {{frame, 9}, {core, 10}};
  fake.processes.names = {{9, "ApplicationFrameHost.exe"}, {10, "CalculatorApp.exe"}};
  paster->enqueue({"42", {}});
  fake.advance(100);
  fake.clipboard.readTextAsOther(core);
  fake.advance(300);
  EXPECT_EQ(outcomes, Outcomes{PasteOutcome::Pasted});
  EXPECT_EQ(targets, std::vector<std::string>{"CalculatorApp.exe"});
}

TEST_F(PasteTest, PastesRunOneAfterAnotherInTheOrderAskedWithTheKeysOfTheirTarget) {
  fake.clipboard.putText(u"before");
  std::vector<std::u16string> read;
  paster->enqueue({"one", {}});
  paster->enqueue({"two", paste::PasteChord::CtrlShiftV});
  paster->enqueue({"three", {}});
  for (int i = 0; i < 3; ++i) {
    if (i == 2) fake.windows.window(fake.windows.foreground)->className = u"mintty";
    fake.advance(50);
    read.push_back(fake.clipboard.readTextAsOther());
    fake.advance(300);
  }
  EXPECT_EQ(read, (std::vector<std::u16string>{u"one", u"two", u"three"}));
  EXPECT_EQ(fake.clipboard.text(), u"before");
  EXPECT_EQ(overAtMs, (std::vector<std::int64_t>{350, 700, 1050}));
  std::vector<DWORD> down;
  for (const Key& key : keys) {
    if (!key.up) down.push_back(key.vk);
  }
  EXPECT_EQ(down, (std::vector<DWORD>{VK_LCONTROL, 'V', VK_LCONTROL, VK_LSHIFT, 'V', VK_LSHIFT,
                                      VK_INSERT}));
  expectNothingLeaked();
}

TEST_F(PasteTest, SkippedFormatsAreNamedAndASlowOwnerCostsOnlyTheRest) {
  const std::size_t mib = std::size_t{1} << 20;
  const UINT big = fake.clipboard.registered(u"Big Format");
  fake.clipboard.putText(u"small");
  fake.clipboard.put(big, Bytes(257 * mib, 1));
  fake.clipboard.put(CF_BITMAP, {1});  // a GDI handle without a bitmap beside it
  paster->enqueue({"x", {}});
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
  paster->enqueue({"y", {}});
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
  fake.processes.levels = {{7, 0x3000}, {FakeProcesses::kOwnProcess, 0x2000}};
  fake.clipboard.putText(u"before");
  paster->enqueue({"for an admin", {}});
  fake.advance(50);
  EXPECT_TRUE(keys.empty());
  EXPECT_EQ(overAtMs, std::vector<std::int64_t>{50});
  EXPECT_EQ(fake.clipboard.readTextAsOther(), u"for an admin");  // the user pastes by hand
  EXPECT_EQ(fake.debug.lines.size(), 1u);

  // One the user never pasted is rendered by the next paste's snapshot: no read of its own.
  paster->enqueue({"never pasted", {}});
  fake.advance(50);
  fake.processes.levels.clear();
  paster->enqueue({"next", {}});
  fake.advance(2050);
  EXPECT_EQ(outcomes, (Outcomes{PasteOutcome::ElevatedTarget, PasteOutcome::ElevatedTarget,
                                PasteOutcome::NotRead}));
  EXPECT_EQ(targets.front(), "notepad.exe");
  expectNothingLeaked();
}

TEST_F(PasteTest, ASetThatFailsLeavesTheUserContentAndWritesTheLine) {
  fake.clipboard.putText(u"theirs");
  fake.clipboard.holdOpenByOther = true;
  paster->enqueue({"never", {}});
  fake.advance(200);
  EXPECT_EQ(fake.clipboard.openAttempts.size(), 10u);
  EXPECT_EQ(overAtMs, std::vector<std::int64_t>{100});
  fake.clipboard.holdOpenByOther = false;

  fake.clipboard.failAllocAt = 2;  // the snapshot's copy, then the first history format
  paster->enqueue({"no memory", {}});
  EXPECT_EQ(fake.debug.lines, Lines(2, "[GlobalHotkey] Failed to set clipboard after retries\n"));
  EXPECT_EQ(fake.clipboard.text(), u"theirs");
  EXPECT_EQ(outcomes, Outcomes(2, PasteOutcome::ClipboardBusy));
  EXPECT_TRUE(keys.empty());
  expectNothingLeaked();
}

TEST_F(PasteTest, ClosingCancelsTheQueueAndPutsTheUserContentBackAtOnce) {
  fake.clipboard.putText(u"before");
  paster->enqueue({"under way", {}});
  paster->enqueue({"queued", {}});
  paster->closeQueue();  // the paste under way goes on; the queued one sends no keys
  fake.advance(50);
  fake.clipboard.readTextAsOther();
  fake.advance(300);
  EXPECT_EQ(outcomes, (Outcomes{PasteOutcome::Cancelled, PasteOutcome::Pasted}));
  EXPECT_EQ(pastes, (std::vector<std::size_t>{1, 0}));
  EXPECT_EQ(keys.size(), 4u);

  paster->enqueue({"closing", {}});
  paster->enqueue({"dropped", {}});
  fake.advance(50);
  paster->shutdown();
  EXPECT_EQ(fake.clipboard.text(), u"before");
  fake.advance(5000);
  EXPECT_EQ(outcomes, (Outcomes{PasteOutcome::Cancelled, PasteOutcome::Pasted,
                                PasteOutcome::Cancelled, PasteOutcome::Cancelled}));

  // A thread left behind once the shell is gone leaves the clipboard alone.
  fake.clipboard.holdOpenByOther = true;
  paster->enqueue({"after the stop", {}});
  stopping = true;
  fake.clipboard.holdOpenByOther = false;
  fake.advance(10);  // opened now: the snapshot is taken, the clipboard not emptied
  EXPECT_EQ(fake.clipboard.text(), u"before");
  EXPECT_EQ(outcomes.size(), 5u);
  stopping = false;

  // A transcript left for the user (elevated target) is rendered before the owner goes away.
  fake.processes.levels = {{FakeProcesses::kOwnProcess, 0x1000}, {7, 0x2000}};
  paster->enqueue({"kept", {}});
  fake.advance(50);
  fake.windows.sendMessage(owner, WM_RENDERALLFORMATS);
  EXPECT_EQ(fake.clipboard.text(), u"kept");
  expectNothingLeaked();
}

// 100 characters at 100 a second, the user holding Left Shift; at 100 ms, when 11 are typed,
// something happens or nothing does. Whatever ends the typing, the user's Shift goes down again.
TEST_F(PasteTest, TypingIsPacedNeverOpensTheClipboardAndStopsForTheUser) {
  const struct {
    const char* what;
    std::function<void()> at100ms;
    PasteOutcome outcome;
    std::size_t typed;
    std::int64_t overAtMs;
  } cases[] = {
      {"nothing", [] {}, PasteOutcome::Typed, 100, 1000},
      {"a key of the user's", [this] { fake.userKeyboard.userKeyDown(); },
       PasteOutcome::Interrupted, 11, 120},
      {"another window in front", [this] { fake.windows.foreground = monitor; },
       PasteOutcome::Interrupted, 11, 120},
      {"the app closing", [this] { paster->closeQueue(); }, PasteOutcome::Cancelled, 11, 100},
  };
  const HWND notepad = fake.windows.foreground;
  fake.keyboard.setKeyDown(VK_LSHIFT, true);
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.what);
    keys.clear();
    overAtMs.clear();
    startNs = fake.clock.nowNs;
    paste::PasteRequest request{std::string(100, 'a'), {}};
    request.method = paste::InsertMethod::Type;
    request.charsPerSecond = 100;
    paster->enqueue(request);
    fake.advance(100);
    testCase.at100ms();
    fake.advance(1000);
    ASSERT_EQ(overAtMs, std::vector<std::int64_t>{testCase.overAtMs});
    EXPECT_EQ(outcomes.back(), testCase.outcome);
    EXPECT_EQ(typed.back(), testCase.typed);
    EXPECT_EQ(targets.back(), "notepad.exe");
    EXPECT_EQ(std::count_if(keys.begin(), keys.end(),
                            [](const Key& key) { return key.vk == 'A' && !key.up && key.own; }),
              static_cast<std::ptrdiff_t>(testCase.typed));
    ASSERT_FALSE(keys.empty());
    EXPECT_TRUE(keys.front().vk == VK_LSHIFT && keys.front().up && keys.front().own);
    EXPECT_TRUE(keys.back().vk == VK_LSHIFT && !keys.back().up && keys.back().own);
    fake.windows.foreground = notepad;
  }
  EXPECT_TRUE(fake.clipboard.openAttempts.empty());

  keys.clear();
  fake.processes.levels = {{FakeProcesses::kOwnProcess, 0x2000}, {7, 0x3000}};
  paste::PasteRequest elevated{"a", {}};
  elevated.method = paste::InsertMethod::Type;
  paster->enqueue(elevated);
  EXPECT_EQ(outcomes.back(), PasteOutcome::ElevatedTarget);
  EXPECT_TRUE(keys.empty());
}

// Each stroke's key-downs: "vk:scan" for a layout key ("S+" first when Shift goes around it), "u"
// and the unit for Unicode input; strokes apart by spaces, a stroke's keys by commas.
std::string strokes(const paste::TypingKeys& typing) {
  std::string out;
  std::size_t at = 0;
  char token[16];
  for (const paste::TypingKeys::Stroke& stroke : typing.strokes) {
    if (!out.empty()) out += ' ';
    int downs = 0;
    const std::size_t strokeStart = out.size();
    for (; at < stroke.keysEnd; ++at) {
      const KEYBDINPUT& key = typing.keys[at].ki;
      EXPECT_TRUE(platform::isOwnInput(key.dwExtraInfo));
      downs += (key.dwFlags & KEYEVENTF_KEYUP) != 0 ? -1 : 1;
      if ((key.dwFlags & KEYEVENTF_KEYUP) != 0) continue;
      if ((key.dwFlags & KEYEVENTF_UNICODE) != 0) {
        std::snprintf(token, sizeof(token), "%su%X", out.size() > strokeStart ? "," : "",
                      key.wScan);
      } else if (key.wVk == VK_LSHIFT) {
        std::snprintf(token, sizeof(token), "S+");
      } else {
        std::snprintf(token, sizeof(token), "%02X:%02X", key.wVk, key.wScan);
      }
      out += token;
    }
    EXPECT_EQ(downs, 0) << out;  // every key up again within its stroke
  }
  return out;
}

TEST(TypingKeysTest, EachCharacterIsTheTargetLayoutsOwnKeyOrElseUnicode) {
  const FakeLayout* us = &usLayout();
  const FakeLayout* de = &germanLayout();
  const struct {
    const FakeLayout* layout;
    bool capsLock;
    bool shiftEnter;
    std::u16string text;
    std::string keys;
  } cases[] = {
      {de, false, false, u"yzY\u00DF", "59:2C 5A:15 S+59:2C DB:0C"},
      // é lacking, € on AltGr, ^ and ° on a dead key.
      {de, false, false, u"\u00E9\u20AC^\u00B0", "uE9 u20AC u5E uB0"},
      {us, false, false, u"a\U0001F600", "41:1E uD83D,uDE00"},
      {us, false, false, u"a\r\nb\nc\rd\te",
       "41:1E 0D:1C 42:30 0D:1C 43:2E 0D:1C 44:20 09:0F 45:12"},
      {us, false, true, u"a\nb", "41:1E S+0D:1C 42:30"},
      {de, true, false, u"aZ1\u00DF", "u61 u5A 31:02 uDF"},
  };
  for (const auto& testCase : cases) {
    FakeClock clock;
    FakeKeyboard keyboard(clock);
    keyboard.layout = testCase.layout;
    const paste::TypingKeys typing =
        paste::typingKeys(keyboard, keyboard.GetKeyboardLayout(0), testCase.capsLock,
                          testCase.shiftEnter, testCase.text);
    EXPECT_EQ(strokes(typing), testCase.keys) << testCase.keys;
  }
}

TEST_F(PasteTest, AShortBatchIsFollowedByTheKeyUpsOwedForWhatItLeftDown) {
  constexpr DWORD up = KEYEVENTF_KEYUP, unicode = KEYEVENTF_UNICODE;
  const struct {
    std::vector<std::pair<WORD, DWORD>> batch;  // a virtual key (or a unit) and flags
    std::deque<UINT> takes;
    std::vector<std::pair<char, DWORD>> sent;  // '+' down or '-' up, and the key or the unit
  } cases[] = {
      // A chord with the user's Right Shift released around it, stopped after V went down: V and
      // Ctrl go up; the Shift is the user's to press.
      {{{VK_RSHIFT, up}, {VK_LCONTROL, 0}, {'V', 0}, {'V', up}, {VK_LCONTROL, up}, {VK_RSHIFT, 0}},
       {3},
       {{'-', VK_RSHIFT}, {'+', VK_LCONTROL}, {'+', 'V'}, {'-', 'V'}, {'-', VK_LCONTROL}}},
      // Typed units stopped inside a surrogate pair; its key-up refused once, then sent again.
      {{{0xE9, unicode}, {0xE9, unicode | up}, {0xD83D, unicode}, {0xD83D, unicode | up}},
       {3, 0},
       {{'+', 0xE9}, {'-', 0xE9}, {'+', 0xD83D}, {'-', 0xD83D}}}};
  for (const auto& testCase : cases) {
    std::vector<INPUT> batch;
    for (const auto& [key, flags] : testCase.batch) {
      batch.push_back(platform::ownKeyInput(fake.keyboard, key, flags));
      if ((flags & unicode) != 0)
        batch.back().ki = {0, key, flags, 0, platform::kOwnInputSignature};
    }
    keys.clear();
    fake.keyboard.nextSendTakes = testCase.takes;
    EXPECT_EQ(paste::checkedSend(fake.platform(), batch), 3u);
    std::vector<std::pair<char, DWORD>> sent;
    for (const Key& key : keys)
      sent.emplace_back(key.up ? '-' : '+', key.vk == VK_PACKET ? key.scan : key.vk);
    EXPECT_EQ(sent, testCase.sent);
  }
  EXPECT_EQ(fake.debug.lines.size(), 2u);
}

TEST(PasteKeysTest, HeldModifiersGoUpForTheChordAndDownAgainAfterItEachWithItsScanCode) {
  constexpr DWORD up = KEYEVENTF_KEYUP, ext = KEYEVENTF_EXTENDEDKEY, mask = paste::kMaskVk;
  const struct {
    std::vector<DWORD> held;
    paste::PasteChord chord;
    std::vector<DWORD> records;  // vk, scan code and flags of each
  } cases[] = {// Alt and Win held: the mask goes before the releases and after the presses.
               {{VK_RSHIFT, VK_LMENU, VK_RWIN},
                paste::PasteChord::ShiftInsert,
                {mask,      0,    0,   mask,      0,    up,       VK_RSHIFT, 0x36, up,
                 VK_LMENU,  0x38, up,  VK_RWIN,   0x5C, ext | up, VK_LSHIFT, 0x2A, 0,
                 VK_INSERT, 0x52, ext, VK_INSERT, 0x52, ext | up, VK_LSHIFT, 0x2A, up,
                 VK_RSHIFT, 0x36, 0,   VK_LMENU,  0x38, 0,        VK_RWIN,   0x5C, ext,
                 mask,      0,    0,   mask,      0,    up}},
               // A "Right Ctrl + K" hotkey held: its Ctrl goes down again after the chord's.
               {{VK_RCONTROL, 'K'},
                paste::PasteChord::CtrlShiftV,
                {VK_RCONTROL, 0x1D, ext | up, VK_LCONTROL, 0x1D, 0,  VK_LSHIFT, 0x2A, 0,
                 'V',         0x2F, 0,        'V',         0x2F, up, VK_LSHIFT, 0x2A, up,
                 VK_LCONTROL, 0x1D, up,       VK_RCONTROL, 0x1D, ext}}};
  for (const auto& testCase : cases) {
    FakePlatform fake;
    FakeKeyboard& keyboard = fake.keyboard;
    for (const DWORD vk : testCase.held) keyboard.setKeyDown(vk, true);
    std::vector<INPUT> keys =
        paste::pasteKeys(keyboard, paste::heldModifiers(fake.platform()), testCase.chord);
    std::vector<DWORD> records;
    for (const INPUT& key : keys) {
      EXPECT_TRUE(platform::isOwnInput(key.ki.dwExtraInfo));
      records.insert(records.end(), {key.ki.wVk, key.ki.wScan, key.ki.dwFlags});
    }
    EXPECT_EQ(records, testCase.records);
    // Once the batch is through, the system's key state is the keyboard's again.
    keyboard.SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
    for (const DWORD vk : testCase.held) EXPECT_TRUE(keyboard.isDown(vk));
  }
}

}  // namespace
}  // namespace fake
