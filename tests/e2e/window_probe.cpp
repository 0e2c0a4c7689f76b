// Looks at murmurly's window and Wine's notepad from outside, for the e2e driver.
//
//   window_probe rect          "x y width height visible maxTrackWidth maxTrackHeight dpi" of
//                              murmurly's top-level window (with the largest window size the
//                              system allows and the window's own DPI)
//   window_probe shrink        asks the window to become 100 x 100, then prints its rect
//   window_probe minimize      minimises murmurly's window
//   window_probe iconic        1 when murmurly's window is minimised, else 0
//   window_probe notepad-text  the text of notepad's edit control (UTF-8)
//   window_probe get-clip      the clipboard's Unicode text (UTF-8)
//   window_probe set-clip TEXT puts TEXT on the clipboard
//   window_probe icon EXE      1 when icon 101 of EXE loads, else 0 (Wine does not read the
//                              icon of another process's window class)
//   window_probe version EXE   "a.b.c.d ProductVersion ProductName" from EXE's version resource
//   window_probe foreground    the class name of the foreground window
//   window_probe visible CLASS 1 when a window of CLASS exists and is visible, else 0
//   window_probe colours CLASS "x y width height blue white" of the window of CLASS: its place and
//                              how many of its pixels on screen are the pill's blue and near white
//   window_probe session N     sends murmurly's window WM_WTSSESSION_CHANGE with code N (7 lock,
//                              8 unlock), as Windows does, since Wine never locks a session
//   window_probe post-quit     posts WM_QUIT to murmurly's main thread: the loop ends without
//                              WM_DESTROY
//   window_probe keys KEY...   sends +VK or -VK (down, up; decimal), each with an optional :SCAN
//                              (hex), as another program: one SendInput batch, one time stamp
//   window_probe buttons MS    shows a window (400 x 300 at 100, 100, topmost), prints "ready",
//                              keeps it MS milliseconds, then prints the middle and side button
//                              messages it got: "+m"/"-m", "+x1"/"-x1", "+x2"/"-x2", and "app" with
//                              the command of each WM_APPCOMMAND the side buttons' ups made
//   window_probe moves MS      the same window, printing "move X Y" (client coordinates) at once
//                              for each WM_MOUSEMOVE
// Exit code 2 when the window or the clipboard text is not there.

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <windowsx.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<size_t>(size - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  return out;
}

int PrintRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  std::printf("%ld %ld %ld %ld %d %d %d %u\n", rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top, IsWindowVisible(window) ? 1 : 0,
              GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK),
              GetDpiForWindow(window));
  return 0;
}

int NotepadText() {
  HWND notepad = FindWindowW(L"Notepad", nullptr);
  HWND edit = notepad ? FindWindowExW(notepad, nullptr, L"Edit", nullptr) : nullptr;
  if (edit == nullptr) return 2;
  std::wstring text(static_cast<size_t>(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  SendMessageW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  _setmode(_fileno(stdout), _O_BINARY);  // the line ends exactly as the edit control has them
  std::printf("%s", Utf8(text.c_str()).c_str());
  return 0;
}

// The clipboard is opened with a window of our own, as Wine wants of an owner.
int GetClip(HWND owner) {
  if (!OpenClipboard(owner)) return 2;
  int rc = 2;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
      std::printf("%s", Utf8(text).c_str());
      GlobalUnlock(data);
      rc = 0;
    }
  }
  CloseClipboard();
  return rc;
}

int SetClip(HWND owner, const std::wstring& text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (block == nullptr) return 2;
  std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(block);
  if (!OpenClipboard(owner)) {
    GlobalFree(block);
    return 2;
  }
  EmptyClipboard();
  if (SetClipboardData(CF_UNICODETEXT, block) == nullptr) GlobalFree(block);
  CloseClipboard();
  return 0;
}

int Version(const wchar_t* path) {
  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &unused);
  std::string block(size, '\0');
  if (size == 0 || !GetFileVersionInfoW(path, 0, size, block.data())) return 2;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  wchar_t* product = nullptr;
  wchar_t* name = nullptr;
  UINT productLength = 0;
  UINT nameLength = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      !VerQueryValueW(block.data(), L"\\StringFileInfo\\040904e4\\ProductVersion",
                      reinterpret_cast<void**>(&product), &productLength) ||
      !VerQueryValueW(block.data(), L"\\StringFileInfo\\040904e4\\ProductName",
                      reinterpret_cast<void**>(&name), &nameLength)) {
    return 2;
  }
  std::printf("%lu.%lu.%lu.%lu %s %s\n", HIWORD(fixed->dwFileVersionMS),
              LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
              LOWORD(fixed->dwFileVersionLS), Utf8(product).c_str(), Utf8(name).c_str());
  return 0;
}

int Colours(const wchar_t* windowClass) {
  HWND window = FindWindowW(windowClass, nullptr);
  RECT rect{};
  if (window == nullptr || !GetWindowRect(window, &rect)) return 2;
  HDC screen = GetDC(nullptr);
  int blue = 0, white = 0;
  for (LONG y = rect.top; y < rect.bottom; ++y) {
    for (LONG x = rect.left; x < rect.right; ++x) {
      const COLORREF colour = GetPixel(screen, x, y);
      blue += colour == RGB(0, 86, 179);
      white += GetRValue(colour) > 200 && GetGValue(colour) > 200 && GetBValue(colour) > 200;
    }
  }
  ReleaseDC(nullptr, screen);
  std::printf("%ld %ld %ld %ld %d %d\n", rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top, blue, white);
  return 0;
}

int SendKeys(int count, wchar_t** keys) {
  std::vector<INPUT> batch(count);
  const DWORD time = GetTickCount();
  for (int i = 0; i < count; ++i) {
    wchar_t* scan = nullptr;
    const auto vk = static_cast<WORD>(wcstoul(keys[i] + 1, &scan, 10));
    const DWORD extended = vk == VK_RMENU || vk == VK_RCONTROL ? KEYEVENTF_EXTENDEDKEY : 0;
    batch[i].type = INPUT_KEYBOARD;
    batch[i].ki = {vk, static_cast<WORD>(*scan == L':' ? wcstoul(scan + 1, nullptr, 16) : 0),
                   (keys[i][0] == L'-' ? KEYEVENTF_KEYUP : 0) | extended, time, 0};
  }
  return SendInput(count, batch.data(), sizeof(INPUT)) == static_cast<UINT>(count) ? 0 : 2;
}

std::string buttonsSeen;
bool echoMoves = false;

LRESULT CALLBACK ButtonTargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (echoMoves) {
        std::printf("move %d %d\n", GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        std::fflush(stdout);
      }
      return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      buttonsSeen += message == WM_MBUTTONDOWN ? " +m" : " -m";
      return 0;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
      buttonsSeen +=
          (message == WM_XBUTTONDOWN ? " +x" : " -x") + std::to_string(GET_XBUTTON_WPARAM(wParam));
      break;  // DefWindowProc turns the up into WM_APPCOMMAND
    case WM_APPCOMMAND:
      buttonsSeen += " app" + std::to_string(GET_APPCOMMAND_LPARAM(lParam));
      return TRUE;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int ButtonTarget(DWORD ms) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ButtonTargetProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"MurmurlyButtonTarget";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  if (RegisterClassW(&wc) == 0) return 2;
  HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"murmurly button target",
                                WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                wc.hInstance, nullptr);
  if (window == nullptr) return 2;
  UpdateWindow(window);
  std::printf("ready\n");
  std::fflush(stdout);
  const ULONGLONG end = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  DestroyWindow(window);
  std::printf("%s\n", buttonsSeen.c_str());
  return 0;
}

}  // namespace

int main() {
  // The wide command line: the text to put on the clipboard may be any Unicode.
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 2) return 64;
  const std::wstring command = argv[1];
  if (command == L"notepad-text") return NotepadText();
  if (command == L"get-clip" || command == L"set-clip") {
    HWND owner = CreateWindowExW(0, L"STATIC", L"probe", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 nullptr, nullptr);
    const int rc =
        command == L"get-clip" ? GetClip(owner) : SetClip(owner, argc > 2 ? argv[2] : L"");
    DestroyWindow(owner);
    return rc;
  }
  if (command == L"version" && argc > 2) return Version(argv[2]);
  if (command == L"icon" && argc > 2) {
    HMODULE exe = LoadLibraryExW(argv[2], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::printf("%d\n", exe != nullptr && LoadIconW(exe, MAKEINTRESOURCEW(101)) != nullptr);
    return 0;
  }
  if (command == L"foreground") {
    wchar_t name[256] = {};
    if (HWND foreground = GetForegroundWindow()) GetClassNameW(foreground, name, 256);
    std::printf("%s\n", Utf8(name).c_str());
    return 0;
  }
  if (command == L"keys") return SendKeys(argc - 2, argv + 2);
  if ((command == L"buttons" || command == L"moves") && argc > 2) {
    echoMoves = command == L"moves";
    return ButtonTarget(static_cast<DWORD>(_wtoi(argv[2])));
  }
  if (command == L"visible" && argc > 2) {
    HWND window = FindWindowW(argv[2], nullptr);
    std::printf("%d\n", window != nullptr && IsWindowVisible(window) ? 1 : 0);
    return 0;
  }
  if (command == L"colours" && argc > 2) return Colours(argv[2]);
  HWND window = FindWindowW(L"FLUTTER_RUNNER_WIN32_WINDOW", nullptr);
  if (window == nullptr) return 2;
  if (command == L"minimize") {
    ShowWindow(window, SW_MINIMIZE);
    return 0;
  }
  if (command == L"iconic") {
    std::printf("%d\n", IsIconic(window) ? 1 : 0);
    return 0;
  }
  if (command == L"post-quit") {
    return PostThreadMessageW(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 0, 0) ? 0 : 2;
  }
  if (command == L"session" && argc > 2) {
    SendMessageW(window, WM_WTSSESSION_CHANGE, static_cast<WPARAM>(_wtoi(argv[2])), 0);
    return 0;
  }
  if (command == L"shrink") {
    SetWindowPos(window, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return PrintRect(window);
}
