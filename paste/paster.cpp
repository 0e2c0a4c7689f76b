#include "paste/paster.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "paste/checked_send.h"
#include "paste/foreground_target.h"
#include "paste/paste_keys.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/keyboard.h"
#include "platform/processes.h"
#include "platform/timers.h"
#include "platform/trace.h"
#include "platform/window_system.h"
#include "text/utf8_to_utf16.h"

namespace paste {
namespace {

constexpr int kOpenAttempts = 10;
constexpr UINT kOpenRetryMs = 10;
constexpr UINT kBeforeKeysMs = 50;
constexpr UINT kAfterReadMs = 300;
constexpr UINT kUnreadMs = 2000;
constexpr UINT kRestoreRetryMs = 50;
constexpr std::int64_t kRestoreGiveUpNs = 60'000'000'000;
constexpr std::int64_t kStaleNs = 3'000'000'000;
constexpr int kShutdownAttempts = 10;
constexpr int kClassNameUnits = 64;

constexpr const char* kSetFailed = "[GlobalHotkey] Failed to set clipboard after retries\n";
constexpr const char* kTaken =
    "[GlobalHotkey] Another program took the clipboard during the paste; its content stays\n";
constexpr const char* kNeverRead =
    "[GlobalHotkey] The paste target never read the transcript; restoring the clipboard\n";
constexpr const char* kBusy =
    "[GlobalHotkey] Clipboard busy for 60 s; the previous content was not restored\n";
constexpr const char* kStale =
    "[GlobalHotkey] A paste waited 3 s for the clipboard behind the previous one; no keys sent\n";
constexpr const char* kElevated =
    "[GlobalHotkey] The foreground window runs elevated; no keys sent, transcript left on the "
    "clipboard\n";

}  // namespace

Paster::Paster(platform::Platform& platform, HWND window, const std::atomic<bool>& stopping,
               Over over)
    : platform_(platform),
      clipboard_(*platform.clipboard),
      window_(window),
      stopping_(stopping),
      over_(std::move(over)),
      excludeFromMonitors_(clipboard_.RegisterClipboardFormatW(
          platform::W(u"ExcludeClipboardContentFromMonitorProcessing"))),
      canIncludeInHistory_(
          clipboard_.RegisterClipboardFormatW(platform::W(u"CanIncludeInClipboardHistory"))),
      canUploadToCloud_(
          clipboard_.RegisterClipboardFormatW(platform::W(u"CanUploadToCloudClipboard"))),
      typist_(platform, window, stopping, [this](PasteOutcome outcome, std::size_t typed) {
        typed_ = typed;
        finish(outcome);
      }) {}

Paster::~Paster() { platform_.timers->KillTimer(window_, kPasteTimerId); }

void Paster::enqueue(PasteRequest request) {
  queue_.push_back({enqueued_++, std::move(request), platform_.clock->SteadyNowNs()});
  if (step_ == Step::Idle) startNext();
}

bool Paster::handleMessage(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kTypingTimerId) {
        typist_.onTimer();
        return true;
      }
      if (wParam != kPasteTimerId) return false;
      onTimer();
      return true;
    case WM_RENDERFORMAT:
      if (wParam == CF_UNICODETEXT) render();
      return true;
    case WM_RENDERALLFORMATS:
      onRenderAllFormats();
      return true;
    case WM_DESTROYCLIPBOARD:
      onDestroyClipboard();
      return true;
    default:
      return false;
  }
}

void Paster::startNext() {
  // A thread left behind at exit starts nothing more.
  if (stopping_) return closeQueue();
  if (queue_.empty()) return;
  current_ = queue_.front().paste;
  PasteRequest request = std::move(queue_.front().request);
  queue_.pop_front();
  targetProcess_ = 0;
  target_.clear();
  typed_.reset();
  if (request.method == InsertMethod::Type) {
    step_ = Step::Typing;
    return typist_.start(request, target_);
  }
  next_ = text::toWideWhole(request.utf8);
  chord_ = request.chord;
  openFailures_ = 0;
  targetRead_ = false;
  otherRead_ = false;
  step_ = Step::Opening;
  tryOpen();
}

void Paster::tryOpen() {
  if (clipboard_.OpenClipboard(window_)) return putTranscript();
  ++openFailures_;
  wait(kOpenRetryMs);
}

void Paster::putTranscript() {
  previous_ = ClipboardSnapshot::take(platform_);
  // The snapshot may have waited long for a slow owner. Once the shell has gone, the process may
  // end at any moment: between EmptyClipboard and the restore that would leave the user nothing.
  if (stopping_) {
    previous_ = {};
    clipboard_.CloseClipboard();
    return finish(PasteOutcome::Cancelled);
  }
  empty();
  if (!putExclusionFormats()) {
    // Nothing to paste: what the user had goes straight back.
    empty();
    previous_.restore(clipboard_);
    clipboard_.CloseClipboard();
    log(kSetFailed);
    return finish(PasteOutcome::ClipboardBusy);
  }
  clipboard_.SetClipboardData(CF_UNICODETEXT, nullptr);
  mark(platform::phase::kClipboardSet);
  promised_ = std::move(next_);
  promisePending_ = true;
  clipboard_.CloseClipboard();
  step_ = Step::BeforeKeys;
  wait(kBeforeKeysMs);
}

bool Paster::putExclusionFormats() {
  const DWORD zero = 0;
  for (const UINT format : {excludeFromMonitors_, canIncludeInHistory_, canUploadToCloud_}) {
    UniqueGlobal block = copyToGlobal(clipboard_, &zero, sizeof(zero));
    if (!block) return false;
    giveToClipboard(clipboard_, format, block);
  }
  return true;
}

void Paster::sendKeys() {
  ForegroundTarget target = foregroundTarget(platform_);
  const HWND foreground = target.window;
  targetProcess_ = target.process;
  target_ = std::move(target.name);
  if (target.elevated) {
    log(kElevated);
    return finish(PasteOutcome::ElevatedTarget);
  }
  PasteChord chord = PasteChord::CtrlV;
  if (chord_) {
    chord = *chord_;
  } else {
    WCHAR className[kClassNameUnits] = {};
    platform_.windows->GetClassNameW(foreground, className, kClassNameUnits);
    chord = pasteChordForWindowClass(platform::U(className));
  }
  std::vector<INPUT> keys = pasteKeys(*platform_.keyboard, heldModifiers(platform_), chord);
  // The target can read before SendInput returns: this thread handles the clipboard messages sent
  // to it while it waits for the keyboard hooks of the batch's later records. Another program may
  // even end the paste meanwhile by taking the clipboard.
  const std::size_t paste = current_;
  step_ = Step::AfterKeys;
  checkedSend(platform_, keys);
  mark(platform::phase::kKeysSent);
  if (current_ == paste && step_ == Step::AfterKeys && !targetRead_) wait(kUnreadMs);
}

void Paster::render() {
  if (!promisePending_) return;
  promisePending_ = false;
  UniqueGlobal block =
      copyToGlobal(clipboard_, promised_.c_str(), (promised_.size() + 1) * sizeof(char16_t));
  if (block) giveToClipboard(clipboard_, CF_UNICODETEXT, block);
  // A promise left from an earlier paste (for an elevated target) is not this paste's read.
  if (step_ != Step::BeforeKeys && step_ != Step::AfterKeys && step_ != Step::Restoring) return;
  if (!readByTarget()) {
    otherRead_ = true;
    return;
  }
  targetRead_ = true;
  mark(platform::phase::kTranscriptRead);
  if (step_ == Step::AfterKeys) wait(kAfterReadMs);
}

// Inside WM_RENDERFORMAT the clipboard is open by the reader. Only the first read reaches us (the
// data is ours no more once rendered), so a windowless one after the keys is most likely the
// target's own.
bool Paster::readByTarget() {
  if (step_ == Step::BeforeKeys || targetProcess_ == 0) return false;
  const HWND readerWindow = clipboard_.GetOpenClipboardWindow();
  if (readerWindow == nullptr) return !otherRead_;
  DWORD reader = 0;
  platform_.processes->GetWindowThreadProcessId(readerWindow, &reader);
  return reader == targetProcess_;
}

void Paster::onTimer() {
  platform_.timers->KillTimer(window_, kPasteTimerId);
  switch (step_) {
    case Step::Opening:
      if (openFailures_ < kOpenAttempts) return tryOpen();
      log(kSetFailed);
      return finish(PasteOutcome::ClipboardBusy);
    case Step::BeforeKeys:
      return sendKeys();
    case Step::AfterKeys:
      if (!targetRead_ && !otherRead_) log(kNeverRead);
      step_ = Step::Restoring;
      restoreStartNs_ = platform_.clock->SteadyNowNs();
      return tryRestore();
    case Step::Restoring:
      return tryRestore();
    case Step::Idle:
    case Step::Typing:
      return;
  }
}

bool Paster::ours() { return clipboard_.GetClipboardOwner() == window_; }

PasteOutcome Paster::outcomeSoFar(PasteOutcome unread) const {
  return targetRead_ ? PasteOutcome::Pasted : unread;
}

PasteOutcome Paster::readOutcome() const {
  return outcomeSoFar(otherRead_ ? PasteOutcome::ReadByOther : PasteOutcome::NotRead);
}

void Paster::tryRestore() {
  if (!ours()) {
    log(kTaken);
    return finish(outcomeSoFar(PasteOutcome::Replaced));
  }
  if (!clipboard_.OpenClipboard(window_)) {
    if (platform_.clock->SteadyNowNs() - restoreStartNs_ >= kRestoreGiveUpNs) {
      log(kBusy);
      return finish(readOutcome());
    }
    dropStale();
    return wait(kRestoreRetryMs);
  }
  if (!ours()) {
    clipboard_.CloseClipboard();
    log(kTaken);
    return finish(outcomeSoFar(PasteOutcome::Replaced));
  }
  putBack();
  finish(readOutcome());
}

void Paster::empty() {
  emptying_ = true;
  clipboard_.EmptyClipboard();
  emptying_ = false;
  promisePending_ = false;
}

void Paster::putBack() {
  empty();
  if (!previous_.empty() && putExclusionFormats()) previous_.restore(clipboard_);
  clipboard_.CloseClipboard();
  mark(platform::phase::kClipboardRestored);
}

void Paster::onDestroyClipboard() {
  if (emptying_) return;
  promisePending_ = false;
  if (step_ == Step::Idle || step_ == Step::Opening || step_ == Step::Typing) return;
  log(kTaken);
  finish(outcomeSoFar(PasteOutcome::Replaced));
}

void Paster::onRenderAllFormats() {
  if (!promisePending_ || !clipboard_.OpenClipboard(window_)) return;
  if (ours()) render();
  clipboard_.CloseClipboard();
}

void Paster::shutdown() {
  platform_.timers->KillTimer(window_, kPasteTimerId);
  const Step step = step_;
  step_ = Step::Idle;
  const bool holding =
      step == Step::BeforeKeys || step == Step::AfterKeys || step == Step::Restoring;
  if (holding && ours()) {
    for (int attempt = 0; attempt < kShutdownAttempts; ++attempt) {
      if (clipboard_.OpenClipboard(window_)) {
        if (ours()) {
          putBack();
        } else {
          clipboard_.CloseClipboard();
        }
        break;
      }
      platform_.clock->Sleep(kOpenRetryMs);
    }
  }
  previous_ = {};
  if (step == Step::Typing) {
    over_(current_, {PasteOutcome::Cancelled, target_, typist_.stop()});
  } else if (step != Step::Idle) {
    over_(current_,
          {step == Step::Restoring ? readOutcome() : outcomeSoFar(PasteOutcome::Cancelled),
           target_,
           {}});
  }
  closeQueue();
}

void Paster::dropStale() {
  const std::int64_t nowNs = platform_.clock->SteadyNowNs();
  while (!queue_.empty() && nowNs - queue_.front().sinceNs > kStaleNs) {
    const std::size_t paste = queue_.front().paste;
    queue_.pop_front();
    log(kStale);
    over_(paste, {PasteOutcome::ClipboardBusy, {}, {}});
  }
}

void Paster::closeQueue() {
  const auto cancelled = std::move(queue_);
  queue_.clear();
  for (const Queued& entry : cancelled) over_(entry.paste, {PasteOutcome::Cancelled, {}, {}});
  if (step_ == Step::Typing) {
    typed_ = typist_.stop();
    finish(PasteOutcome::Cancelled);
  }
}

void Paster::wait(UINT ms) { platform_.timers->SetTimer(window_, kPasteTimerId, ms, nullptr); }

void Paster::log(const char* line) { platform_.debug->OutputDebugStringA(line); }

void Paster::mark(const char* phase) {
  if (platform_.trace != nullptr) platform_.trace->mark(phase);
}

void Paster::finish(PasteOutcome outcome) {
  platform_.timers->KillTimer(window_, kPasteTimerId);
  previous_ = {};
  step_ = Step::Idle;
  over_(current_, {outcome, std::move(target_), typed_});
  target_.clear();
  typed_.reset();
  startNext();
}

}  // namespace paste
