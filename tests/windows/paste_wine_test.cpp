// The paste thread on the real clipboard and keyboard, under Wine: into notepad, with what was on
// the clipboard before (text, HTML, an image) back afterwards, against another program holding
// the clipboard, stopped while busy, and unable to start.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "paste/paste_thread.h"
#include "platform/debug_output.h"
#include "platform/win32/win32_platform.h"
#include "tests/support/foreground.h"
#include "tests/windows/wine_pump.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<unsigned char>;

// Written by the paste thread, read by the test once the paste is over.
class CapturedDebugOutput final : public platform::DebugOutput {
 public:
  void OutputDebugStringA(LPCSTR line) override {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.emplace_back(line);
  }
  std::vector<std::string> lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

std::wstring editText(HWND edit) {
  wchar_t buffer[512] = {};
  SendMessageW(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

HGLOBAL block(const void* bytes, std::size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(memory), bytes, size);
  GlobalUnlock(memory);
  return memory;
}

Bytes read(UINT format) {
  Bytes out;
  if (HANDLE data = GetClipboardData(format)) {
    const auto* p = static_cast<const unsigned char*>(GlobalLock(data));
    out.assign(p, p + GlobalSize(data));
    GlobalUnlock(data);
  }
  return out;
}

class PasteIntoNotepadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    wchar_t command[] = L"notepad.exe";
    ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &notepadProcess));
    // Our notepad, once its edit control exists (another test may have left one behind).
    ASSERT_TRUE(wine::pumpUntil(
        [] {
          notepad = nullptr;
          EnumWindows(ownNotepad, static_cast<LPARAM>(notepadProcess.dwProcessId));
          edit = notepad != nullptr ? FindWindowExW(notepad, nullptr, L"Edit", nullptr) : nullptr;
          return edit != nullptr;
        },
        20s));
    ASSERT_NE(edit, nullptr);
  }
  static void TearDownTestSuite() {
    TerminateProcess(notepadProcess.hProcess, 0);
    CloseHandle(notepadProcess.hThread);
    CloseHandle(notepadProcess.hProcess);
  }

  static BOOL CALLBACK ownNotepad(HWND window, LPARAM processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (owner != static_cast<DWORD>(processId) || std::wstring(name) != L"Notepad") return TRUE;
    notepad = window;
    return FALSE;
  }

  PasteIntoNotepadTest() {}

  void SetUp() override {
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ASSERT_TRUE(desktop::TakeForeground(notepad));
  }
  void TearDown() override { DestroyWindow(owner_); }

  // Text, an HTML fragment and a 2 x 2 image, as a browser's copy would leave them.
  void putPrevious() {
    ASSERT_TRUE(OpenClipboard(owner_));
    EmptyClipboard();
    const std::wstring text = L"previous";
    SetClipboardData(CF_UNICODETEXT, block(text.c_str(), (text.size() + 1) * 2));
    SetClipboardData(html_, block(html.data(), html.size()));
    SetClipboardData(CF_DIB, block(dib.data(), dib.size()));
    CloseClipboard();
  }
  void expectPreviousBack() {
    ASSERT_TRUE(wine::pumpUntil([this] { return OpenClipboard(owner_) != FALSE; }, 5s));
    const Bytes text = read(CF_UNICODETEXT);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(text.data())), L"previous");
    const Bytes htmlBack = read(html_);
    EXPECT_EQ(Bytes(htmlBack.begin(), htmlBack.begin() + std::min(htmlBack.size(), html.size())),
              html);
    const Bytes dibBack = read(CF_DIB);
    EXPECT_GE(dibBack.size(), dib.size());
    EXPECT_EQ(Bytes(dibBack.begin(), dibBack.begin() + std::min(dibBack.size(), dib.size())), dib);
    CloseClipboard();
  }

  static PROCESS_INFORMATION notepadProcess;
  static HWND notepad;
  static HWND edit;
  const Bytes html = Bytes({'V', 'e', 'r', 's', 'i', 'o', 'n', ':', '0', '.', '9',
                            '<', 'b', '>', 'h', 'i', '<', '/', 'b', '>', 0});
  const Bytes dib = [] {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = 2;
    header.biHeight = 2;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    Bytes bytes(reinterpret_cast<const unsigned char*>(&header),
                reinterpret_cast<const unsigned char*>(&header) + sizeof(header));
    for (int i = 0; i < 16; ++i) bytes.push_back(static_cast<unsigned char>(0x40 + i));
    return bytes;
  }();
  const UINT html_ = RegisterClipboardFormatW(L"HTML Format");
  // Pastes on the thread and pumps until the paste is over, as the main thread does.
  void paste(const char* utf8) {
    bool over = false;
    thread_->pasteText({utf8, {}}, [&over](const paste::PasteReport&) { over = true; });
    ASSERT_TRUE(wine::pumpUntil([&over] { return over; }, 20s));
  }

  HWND owner_ = nullptr;
  CapturedDebugOutput debug_;
  platform::Platform platform_ = [this] {
    platform::Platform withCapture = platform::Win32Platform();
    withCapture.debug = &debug_;
    return withCapture;
  }();
  std::unique_ptr<paste::PasteThread> thread_ = std::make_unique<paste::PasteThread>(platform_);
};

PROCESS_INFORMATION PasteIntoNotepadTest::notepadProcess{};
HWND PasteIntoNotepadTest::notepad = nullptr;
HWND PasteIntoNotepadTest::edit = nullptr;

TEST_F(PasteIntoNotepadTest, EachTextArrivesAndTheClipboardIsAsBefore) {
  const std::pair<const char*, std::wstring> cases[] = {
      {"Hello, world", L"Hello, world"},
      {"caf\xC3\xA9 \xC3\xA0 la cr\xC3\xA8me", L"caf\u00E9 \u00E0 la cr\u00E8me"},
      {"mic \xF0\x9F\x8E\x99 on", L"mic \U0001F399 on"}};
  for (const auto& testCase : cases) {
    const char* utf8 = testCase.first;
    const std::wstring& expected = testCase.second;
    SCOPED_TRACE(utf8);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    putPrevious();
    paste(utf8);
    EXPECT_EQ(editText(edit), expected);
    expectPreviousBack();
  }
  EXPECT_TRUE(debug_.lines().empty());
}

TEST_F(PasteIntoNotepadTest, EmptyTextPastesNothingAndRestoresTheClipboard) {
  putPrevious();
  paste("");
  EXPECT_EQ(editText(edit), L"");
  expectPreviousBack();
}

// Starts the holder for `ms` and returns once it has the clipboard.
PROCESS_INFORMATION holdClipboard(int ms) {
  HANDLE held = CreateEventW(nullptr, TRUE, FALSE, L"MurmurlyClipboardHeld");
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  std::wstring command = L"clipboard_holder.exe " + std::to_wstring(ms);
  PROCESS_INFORMATION process{};
  CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                 &process);
  WaitForSingleObject(held, 10000);
  CloseHandle(held);
  return process;
}

void waitAndClose(PROCESS_INFORMATION& process) {
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

TEST_F(PasteIntoNotepadTest, TheRetriesOutlastAHolderOf50ms) {
  PROCESS_INFORMATION holder = holdClipboard(50);
  paste("after the holder");
  EXPECT_TRUE(debug_.lines().empty());
  EXPECT_EQ(editText(edit), L"after the holder");
  waitAndClose(holder);
}

TEST_F(PasteIntoNotepadTest, AHolderOfOneSecondGetsTheFailureLineAndKeepsTheClipboard) {
  putPrevious();
  PROCESS_INFORMATION holder = holdClipboard(1000);
  paste("never");
  EXPECT_EQ(debug_.lines(),
            std::vector<std::string>{"[GlobalHotkey] Failed to set clipboard after retries\n"});
  waitAndClose(holder);
  expectPreviousBack();
  wine::pumpFor(100ms);
  EXPECT_EQ(editText(edit), L"");
}

TEST_F(PasteIntoNotepadTest, StoppingMidPastePutsTheClipboardBackAndAnswersEveryCall) {
  // A foreground window that never reads: the transcript waits 2 s for a reader.
  HWND deaf = CreateWindowExW(0, L"STATIC", L"deaf", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(desktop::TakeForeground(deaf));
  putPrevious();
  int overs = 0;
  const auto count = [&overs](const paste::PasteReport&) { ++overs; };
  thread_->pasteText({"stopped", {}}, count);
  thread_->pasteText({"queued", {}}, count);
  wine::pumpFor(500ms);
  EXPECT_EQ(overs, 0);
  const auto start = std::chrono::steady_clock::now();
  thread_->stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);  // a second, with room for the load
  EXPECT_EQ(overs, 2);                                      // both answered, once each, by the stop
  thread_->pasteText({"late", {}}, count);                  // no thread again: answered at once
  EXPECT_EQ(overs, 3);
  thread_.reset();
  wine::pumpFor(200ms);
  EXPECT_EQ(overs, 3);
  expectPreviousBack();
  DestroyWindow(deaf);
}

TEST_F(PasteIntoNotepadTest, AThreadThatCannotStartAnswersAtOnceAndTheNextPasteStartsIt) {
  // A class of the name of the window the paste answers through, registered first in this
  // module, makes that window's creation fail.
  WNDCLASSW refusing{};
  refusing.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    return message == WM_NCCREATE ? FALSE : DefWindowProcW(window, message, wParam, lParam);
  };
  refusing.hInstance = GetModuleHandleW(nullptr);
  refusing.lpszClassName = L"MurmurlyPasteReceiver";
  UnregisterClassW(refusing.lpszClassName, refusing.hInstance);  // an earlier test's
  ASSERT_NE(RegisterClassW(&refusing), 0);
  std::vector<paste::PasteOutcome> overs;
  thread_->pasteText({"nowhere", {}}, [&overs](const paste::PasteReport& report) {
    overs.push_back(report.outcome);
  });
  EXPECT_EQ(overs, std::vector{paste::PasteOutcome::ClipboardBusy});  // answered at once, once
  UnregisterClassW(refusing.lpszClassName, refusing.hInstance);
  paste("somewhere");
  EXPECT_EQ(editText(edit), L"somewhere");
  EXPECT_EQ(debug_.lines(),
            std::vector<std::string>{"[GlobalHotkey] The paste thread could not start\n"});
}

}  // namespace
