// Another program holding the clipboard: opens it with a window of its own (Wine lets others in
// otherwise), signals "MurmurlyClipboardHeld", keeps it for argv[1] ms, then closes it.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  const DWORD holdMs = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 1000;
  HWND window = CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr || !OpenClipboard(window)) return 1;
  HANDLE held = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"MurmurlyClipboardHeld");
  if (held != nullptr) {
    SetEvent(held);
    CloseHandle(held);
  }
  Sleep(holdMs);
  CloseClipboard();
  DestroyWindow(window);
  return 0;
}
