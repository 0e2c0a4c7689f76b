#include "paste/checked_send.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "platform/keyboard.h"

namespace paste {
namespace {

// Windows rarely takes fewer records twice in a row for key-ups alone; more attempts would only
// hold the paste thread while the input stays blocked.
constexpr int kReleaseAttempts = 3;

bool isUp(const INPUT& input) { return (input.ki.dwFlags & KEYEVENTF_KEYUP) != 0; }

// A Unicode record's key is its unit in wScan; every other record's its virtual key.
bool sameKey(const INPUT& a, const INPUT& b) {
  const bool unicode = (a.ki.dwFlags & KEYEVENTF_UNICODE) != 0;
  if (unicode != ((b.ki.dwFlags & KEYEVENTF_UNICODE) != 0)) return false;
  return unicode ? a.ki.wScan == b.ki.wScan : a.ki.wVk == b.ki.wVk;
}

// The key-ups owed for the keys the first `sent` records left down, the last pressed first.
std::vector<INPUT> owedKeyUps(std::span<const INPUT> sent) {
  std::vector<INPUT> down;
  for (const INPUT& input : sent) {
    if (input.type != INPUT_KEYBOARD) continue;
    const auto held = std::find_if(down.begin(), down.end(),
                                   [&input](const INPUT& key) { return sameKey(key, input); });
    if (held != down.end()) down.erase(held);
    if (!isUp(input)) down.push_back(input);
  }
  std::reverse(down.begin(), down.end());
  for (INPUT& key : down) key.ki.dwFlags |= KEYEVENTF_KEYUP;
  return down;
}

UINT send(platform::Keyboard& keyboard, std::span<INPUT> keys) {
  if (keys.empty()) return 0;
  return keyboard.SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

}  // namespace

UINT checkedSend(platform::Platform& platform, std::span<INPUT> keys) {
  platform::Keyboard& keyboard = *platform.keyboard;
  const UINT sent = std::min<UINT>(send(keyboard, keys), static_cast<UINT>(keys.size()));
  if (sent == keys.size()) return sent;
  std::vector<INPUT> owed = owedKeyUps(keys.first(sent));
  std::span<INPUT> left(owed);
  for (int attempt = 0; attempt < kReleaseAttempts && !left.empty(); ++attempt) {
    left = left.subspan(std::min<std::size_t>(send(keyboard, left), left.size()));
  }
  const std::string line = "[GlobalHotkey] Windows took " + std::to_string(sent) + " of " +
                           std::to_string(keys.size()) + " keys (input blocked or an elevated " +
                           "window in front); " + std::to_string(owed.size() - left.size()) +
                           " of " + std::to_string(owed.size()) + " keys left down released\n";
  platform.debug->OutputDebugStringA(line.c_str());
  return sent;
}

}  // namespace paste
