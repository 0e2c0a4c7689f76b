#include "paste/typist.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "paste/checked_send.h"
#include "paste/foreground_target.h"
#include "paste/paste_keys.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/keyboard.h"
#include "platform/timers.h"
#include "platform/user_keyboard.h"
#include "platform/window_system.h"
#include "text/utf8_to_utf16.h"

namespace paste {
namespace {

// Close to the system timer's tick; a batch takes the strokes due since the last one.
constexpr UINT kBatchMs = 20;
// A batch after a late timer takes at most this many batches' strokes: a stalled thread does not
// flood the target when it wakes.
constexpr double kMostBatchesAtOnce = 2;

constexpr const char* kElevated =
    "[GlobalHotkey] The foreground window runs elevated; nothing typed\n";
constexpr const char* kInterrupted =
    "[GlobalHotkey] Typing stopped: a key of the user's, another window in front, or input "
    "refused\n";

// The index in `keys` of the last key-down of stroke `stroke`: the one that types its character.
std::size_t lastKeyDown(const TypingKeys& keys, std::size_t stroke) {
  std::size_t at = keys.strokes[stroke].keysEnd;
  while ((keys.keys[--at].ki.dwFlags & KEYEVENTF_KEYUP) != 0) {
  }
  return at;
}

}  // namespace

Typist::Typist(platform::Platform& platform, HWND window, const std::atomic<bool>& stopping,
               Over over)
    : platform_(platform), window_(window), stopping_(stopping), over_(std::move(over)) {}

Typist::~Typist() { platform_.timers->KillTimer(window_, kTypingTimerId); }

void Typist::start(const PasteRequest& request, std::string& target) {
  ForegroundTarget foreground = foregroundTarget(platform_);
  target = std::move(foreground.name);
  if (foreground.elevated) {
    platform_.debug->OutputDebugStringA(kElevated);
    return over_(PasteOutcome::ElevatedTarget, 0);
  }
  platform::Keyboard& keyboard = *platform_.keyboard;
  const bool capsLock = (keyboard.GetKeyState(VK_CAPITAL) & 1) != 0;
  keys_ = typingKeys(keyboard, keyboard.GetKeyboardLayout(foreground.thread), capsLock,
                     request.shiftEnter, text::toWideWhole(request.utf8));
  if (keys_.strokes.empty()) return over_(PasteOutcome::Typed, 0);
  strokesSent_ = 0;
  charsPerSecond_ = request.charsPerSecond;
  maxBatch_ = std::max<std::size_t>(
      1, static_cast<std::size_t>(charsPerSecond_ * kBatchMs / 1000 * kMostBatchesAtOnce));
  startNs_ = platform_.clock->SteadyNowNs();
  target_ = foreground.window;
  keyDownsAtStart_ = platform_.userKeyboard->keyDowns();
  held_ = heldModifiers(platform_);
  typing_ = true;
  sendBatch();
}

void Typist::onTimer() {
  platform_.timers->KillTimer(window_, kTypingTimerId);
  if (!typing_) return;
  if (stopping_) return end(PasteOutcome::Cancelled);
  if (userCameFirst()) {
    platform_.debug->OutputDebugStringA(kInterrupted);
    return end(PasteOutcome::Interrupted);
  }
  sendBatch();
}

bool Typist::userCameFirst() const {
  return platform_.userKeyboard->keyDowns() != keyDownsAtStart_ ||
         platform_.windows->GetForegroundWindow() != target_;
}

void Typist::sendBatch() {
  const auto elapsedNs = static_cast<double>(platform_.clock->SteadyNowNs() - startNs_);
  const auto due = 1 + static_cast<std::size_t>(elapsedNs * charsPerSecond_ / 1e9);
  const std::size_t count = std::min({due > strokesSent_ ? due - strokesSent_ : 0, maxBatch_,
                                      keys_.strokes.size() - strokesSent_});
  if (count == 0) {  // a slow pace: no stroke due yet
    platform_.timers->SetTimer(window_, kTypingTimerId, kBatchMs, nullptr);
    return;
  }
  std::vector<INPUT> batch;
  if (strokesSent_ == 0) releaseModifiers(*platform_.keyboard, held_, batch);
  const std::size_t released = batch.size();
  const std::size_t from = strokesSent_ == 0 ? 0 : keys_.strokes[strokesSent_ - 1].keysEnd;
  const std::size_t to = keys_.strokes[strokesSent_ + count - 1].keysEnd;
  batch.insert(batch.end(), keys_.keys.begin() + static_cast<std::ptrdiff_t>(from),
               keys_.keys.begin() + static_cast<std::ptrdiff_t>(to));
  const std::size_t took = send(batch);
  if (took < batch.size()) {
    // Windows stopped taking input (blocked, or an elevated window in front); the key-ups owed
    // went after it. A stroke whose key-downs all went in has typed its character.
    while (strokesSent_ < keys_.strokes.size() &&
           lastKeyDown(keys_, strokesSent_) - from + released < took) {
      ++strokesSent_;
    }
    platform_.debug->OutputDebugStringA(kInterrupted);
    return end(PasteOutcome::Interrupted);
  }
  strokesSent_ += count;
  if (strokesSent_ == keys_.strokes.size()) return end(PasteOutcome::Typed);
  platform_.timers->SetTimer(window_, kTypingTimerId, kBatchMs, nullptr);
}

std::size_t Typist::stop() {
  if (!typing_) return 0;
  const std::size_t typed = typedUnits();
  platform_.timers->KillTimer(window_, kTypingTimerId);
  typing_ = false;
  keys_ = {};
  strokesSent_ = 0;
  // Only what the user still holds: a modifier let go meanwhile would otherwise stay down. Without
  // the hook's view, what was held at the start.
  const std::uint8_t again =
      held_ & platform_.userKeyboard->heldModifiers().value_or(std::uint8_t{0xFF});
  std::vector<INPUT> keys;
  pressModifiersAgain(*platform_.keyboard, again, keys);
  send(keys);
  return typed;
}

void Typist::end(PasteOutcome outcome) { over_(outcome, stop()); }

std::size_t Typist::typedUnits() const {
  return strokesSent_ == 0 ? 0 : keys_.strokes[strokesSent_ - 1].unitsEnd;
}

std::size_t Typist::send(std::vector<INPUT>& keys) {
  return keys.empty() ? 0 : checkedSend(platform_, keys);
}

}  // namespace paste
