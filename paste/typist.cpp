#include "paste/typist.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "paste/foreground_target.h"
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
    "[GlobalHotkey] Typing stopped: the user pressed a key or the focus moved\n";

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
  held_.emplace(keyboard);
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
  std::vector<INPUT> batch;
  if (strokesSent_ == 0) held_->release(batch);
  const std::size_t from = strokesSent_ == 0 ? 0 : keys_.strokes[strokesSent_ - 1].keysEnd;
  strokesSent_ += count;
  const std::size_t to = strokesSent_ == 0 ? 0 : keys_.strokes[strokesSent_ - 1].keysEnd;
  batch.insert(batch.end(), keys_.keys.begin() + static_cast<std::ptrdiff_t>(from),
               keys_.keys.begin() + static_cast<std::ptrdiff_t>(to));
  const bool last = strokesSent_ == keys_.strokes.size();
  if (last) held_->pressAgain(batch);
  send(batch);
  if (last) {
    held_.reset();
    return end(PasteOutcome::Typed);
  }
  platform_.timers->SetTimer(window_, kTypingTimerId, kBatchMs, nullptr);
}

std::size_t Typist::stop() {
  if (!typing_) return 0;
  const std::size_t typed = typedUnits();
  platform_.timers->KillTimer(window_, kTypingTimerId);
  typing_ = false;
  keys_ = {};
  strokesSent_ = 0;
  if (held_) {
    std::vector<INPUT> again;
    held_->pressAgain(again);
    send(again);
    held_.reset();
  }
  return typed;
}

void Typist::end(PasteOutcome outcome) { over_(outcome, stop()); }

std::size_t Typist::typedUnits() const {
  return strokesSent_ == 0 ? 0 : keys_.strokes[strokesSent_ - 1].unitsEnd;
}

void Typist::send(std::vector<INPUT>& keys) {
  if (keys.empty()) return;
  platform_.keyboard->SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

}  // namespace paste
