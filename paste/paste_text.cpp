#include "paste/paste_text.h"

#include "paste/clipboard_snapshot.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/keyboard.h"
#include "text/utf8_to_utf16.h"

namespace {

constexpr int kOpenAttempts = 10;
constexpr DWORD kRetryMs = 10;
constexpr DWORD kBeforeKeysMs = 50;
constexpr DWORD kBeforeRestoreMs = 300;
constexpr WORD kVkV = 0x56;
constexpr const char* kSetFailed = "[GlobalHotkey] Failed to set clipboard after retries\n";

bool openWithRetries(platform::Clipboard& clipboard, platform::Clock& clock) {
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    if (clipboard.OpenClipboard(nullptr)) return true;
    clock.Sleep(kRetryMs);
  }
  return false;
}

INPUT key(WORD vk, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.dwFlags = flags;
  return input;
}

}  // namespace

void pasteText(platform::Platform& platform, const std::string& text) {
  platform::Clipboard& clipboard = *platform.clipboard;
  const std::u16string text16 = text::toWide(text);

  paste::ClipboardSnapshot previous;
  if (clipboard.OpenClipboard(nullptr)) {
    previous = paste::ClipboardSnapshot::take(clipboard, *platform.debug);
    clipboard.CloseClipboard();
  }

  if (!openWithRetries(clipboard, *platform.clock)) {
    platform.debug->OutputDebugStringA(kSetFailed);
    return;
  }
  clipboard.EmptyClipboard();
  paste::UniqueGlobal block =
      paste::copyToGlobal(clipboard, text16.c_str(), (text16.size() + 1) * sizeof(char16_t));
  if (!block) {
    clipboard.CloseClipboard();
    platform.debug->OutputDebugStringA(kSetFailed);
    return;
  }
  paste::giveToClipboard(clipboard, CF_UNICODETEXT, block);
  clipboard.CloseClipboard();

  platform.clock->Sleep(kBeforeKeysMs);
  INPUT keys[] = {key(VK_CONTROL, 0), key(kVkV, 0), key(kVkV, KEYEVENTF_KEYUP),
                  key(VK_CONTROL, KEYEVENTF_KEYUP)};
  platform.keyboard->SendInput(4, keys, sizeof(INPUT));
  platform.clock->Sleep(kBeforeRestoreMs);

  if (clipboard.OpenClipboard(nullptr)) {
    clipboard.EmptyClipboard();
    previous.restore(clipboard);
    clipboard.CloseClipboard();
  }
}
