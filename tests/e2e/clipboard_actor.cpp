// The other programs of the paste's e2e tests, one per mode; each prints what it saw on stdout.
//   clipboard_actor copier MS TEXT   once a transcript lands (the history formats appear), waits
//                                    MS and copies TEXT, as a user who is already working
//   clipboard_actor reader MS [CLASS [windowless]]  a window "Murmurly Reader" that reads the
//                                    clipboard MS (or never) after its Ctrl+V (class mintty:
//                                    Shift+Insert), opened without a window if asked (as PuTTY);
//                                    prints "scan M K", the scan codes the window saw (extended as
//                                    0x100), then the text, whether the three history formats
//                                    were there and whether Shift was down at the V
//   clipboard_actor monitor MS       a clipboard monitor that reads the text MS after each change,
//                                    as clipboard tools do; prints "ready", then "read TEXT" each
//   clipboard_actor lazy MS          owns the clipboard with promises it never keeps: each render
//                                    request takes MS and renders nothing; prints "ready"
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

UINT format(const wchar_t* name) { return RegisterClipboardFormatW(name); }

bool historyFormatsPresent() {
  return IsClipboardFormatAvailable(format(L"ExcludeClipboardContentFromMonitorProcessing")) &&
         IsClipboardFormatAvailable(format(L"CanIncludeInClipboardHistory")) &&
         IsClipboardFormatAvailable(format(L"CanUploadToCloudClipboard"));
}

void print(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::string utf8(const wchar_t* text) {
  char buffer[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof(buffer), nullptr, nullptr);
  return buffer;
}

HWND window(const wchar_t* title, DWORD style, WNDPROC proc,
            const wchar_t* className = L"MurmurlyActor") {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, className, title, style, 100, 100, 300, 200, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// The Unicode text of the open clipboard.
std::string clipboardText() {
  std::string text = "<none>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = utf8(static_cast<const wchar_t*>(GlobalLock(data)));
    GlobalUnlock(data);
  }
  return text;
}

bool openClipboard(HWND owner) {
  for (int attempt = 0; attempt < 500; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(10);
  }
  return false;
}

int copier(DWORD delayMs, const wchar_t* text) {
  HWND owner = window(L"copier", WS_POPUP, DefWindowProcW);
  print("waiting");
  while (!historyFormatsPresent()) Sleep(2);
  Sleep(delayMs);
  if (!openClipboard(owner)) return 2;
  EmptyClipboard();
  const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  memcpy(GlobalLock(block), text, bytes);
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
  print("copied");
  return 0;
}

int readerDelayMs = 0;  // negative: never reads
bool shiftAtV = false;
bool terminal = false;    // pastes on Shift+Insert only, as mintty does
bool windowless = false;  // opens the clipboard with no window, as PuTTY does
unsigned modifierScan = 0;

unsigned scanOf(LPARAM lParam) { return static_cast<unsigned>(lParam >> 16) & 0x1FF; }

LRESULT CALLBACK readerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const UINT pasteModifier = terminal ? VK_SHIFT : VK_CONTROL;
  const UINT pasteKey = terminal ? VK_INSERT : 'V';
  if (message == WM_KEYDOWN && wParam == pasteModifier) modifierScan = scanOf(lParam);
  if (message == WM_KEYDOWN && wParam == pasteKey && GetKeyState(pasteModifier) < 0) {
    shiftAtV = GetKeyState(VK_SHIFT) < 0;
    char scans[32];
    std::snprintf(scans, sizeof scans, "scan %x %x", modifierScan, scanOf(lParam));
    print(scans);
    if (readerDelayMs >= 0) SetTimer(hwnd, 1, readerDelayMs == 0 ? 1 : readerDelayMs, nullptr);
    return 0;
  }
  if (message == WM_TIMER) {
    KillTimer(hwnd, 1);
    std::string text = "<none>";
    bool history = false;
    if (openClipboard(windowless ? nullptr : hwnd)) {
      text = clipboardText();
      history = historyFormatsPresent();
      CloseClipboard();
    }
    print(text);
    print(history ? "history-formats" : "no-history-formats");
    print(shiftAtV ? "shift" : "no-shift");
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

DWORD monitorDelayMs = 0;

LRESULT CALLBACK monitorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLIPBOARDUPDATE) {
    SetTimer(hwnd, 1, monitorDelayMs, nullptr);
    return 0;
  }
  if (message == WM_TIMER) {
    KillTimer(hwnd, 1);
    if (openClipboard(hwnd)) {
      print("read " + clipboardText());
      CloseClipboard();
    }
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

DWORD lazyMs = 0;

LRESULT CALLBACK lazyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_RENDERFORMAT) {
    Sleep(lazyMs);
    return 0;
  }
  if (message == WM_TIMER) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

int run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 64;
  const std::wstring mode = argv[1];
  const DWORD ms = static_cast<DWORD>(_wtoi(argv[2]));
  if (mode == L"copier" && argc > 3) return copier(ms, argv[3]);
  if (mode == L"reader") {
    readerDelayMs = std::wstring(argv[2]) == L"never" ? -1 : static_cast<int>(ms);
    const wchar_t* className = argc > 3 ? argv[3] : L"MurmurlyActor";
    terminal = std::wstring(className) == L"mintty";
    windowless = argc > 4 && std::wstring(argv[4]) == L"windowless";
    window(L"Murmurly Reader", WS_OVERLAPPEDWINDOW | WS_VISIBLE, readerProc, className);
    print("ready");
    return run();
  }
  if (mode == L"monitor") {
    monitorDelayMs = ms;
    if (!AddClipboardFormatListener(window(L"monitor", WS_POPUP, monitorProc))) return 2;
    print("ready");
    return run();
  }
  if (mode == L"lazy") {
    lazyMs = ms;
    HWND owner = window(L"lazy", WS_POPUP, lazyProc);
    if (!openClipboard(owner)) return 2;
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, nullptr);
    SetClipboardData(format(L"Murmurly Lazy"), nullptr);
    CloseClipboard();
    SetTimer(owner, 1, 30000, nullptr);  // then gives up the act
    print("ready");
    return run();
  }
  return 64;
}
