#include "paste/paster.h"

#include <utility>
#include <vector>

#include "text/utf8_to_utf16.h"
#include "paste/paste_keys.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/keyboard.h"
#include "platform/processes.h"
#include "platform/timers.h"
#include "platform/trace.h"
#include "platform/window_system.h"

namespace paste {
namespace {

constexpr int kOpenAttempts = 10;
constexpr UINT kOpenRetryMs = 10;
constexpr UINT kBeforeKeysMs = 50;
constexpr UINT kAfterReadMs = 300;
constexpr UINT kAfterEarlyReadMs = 1000;
constexpr UINT kUnreadMs = 2000;
constexpr UINT kRestoreRetryMs = 50;
constexpr std::int64_t kRestoreGiveUpNs = 5'000'000'000;
constexpr int kShutdownAttempts = 10;

constexpr const char* kSetFailed = "[GlobalHotkey] Failed to set clipboard after retries\n";
constexpr const char* kTaken =
    "[GlobalHotkey] Another program took the clipboard during the paste; its content stays\n";
constexpr const char* kNeverRead =
    "[GlobalHotkey] The paste target never read the transcript; restoring the clipboard\n";
constexpr const char* kBusy =
    "[GlobalHotkey] Clipboard busy for 5 s; the previous content was not restored\n";
constexpr const char* kElevated =
    "[GlobalHotkey] The foreground window runs elevated; no keys sent, transcript left on the "
    "clipboard\n";

}  // namespace

Paster::Paster(platform::Platform& platform, HWND window, std::function<void()> over)
    : platform_(platform),
      clipboard_(*platform.clipboard),
      window_(window),
      over_(std::move(over)),
      excludeFromMonitors_(clipboard_.RegisterClipboardFormatW(
          platform::W(u"ExcludeClipboardContentFromMonitorProcessing"))),
      canIncludeInHistory_(
          clipboard_.RegisterClipboardFormatW(platform::W(u"CanIncludeInClipboardHistory"))),
      canUploadToCloud_(
          clipboard_.RegisterClipboardFormatW(platform::W(u"CanUploadToCloudClipboard"))) {}

Paster::~Paster() { platform_.timers->KillTimer(window_, kPasteTimerId); }

void Paster::enqueue(std::string utf8) {
  queue_.push_back(std::move(utf8));
  if (step_ == Step::Idle) startNext();
}

bool Paster::handleMessage(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kPasteTimerId) return false;
      onTimer();
      return true;
    case WM_RENDERFORMAT:
      if (wParam == CF_UNICODETEXT) {
        mark(platform::phase::kTranscriptRead);
        render();
      }
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
  if (queue_.empty()) return;
  std::string text = std::move(queue_.front());
  queue_.pop_front();
  next_ = text::toWide(text);
  openFailures_ = 0;
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
  empty();
  if (!putExclusionFormats()) {
    // Nothing to paste: what the user had goes straight back.
    empty();
    previous_.restore(clipboard_);
    clipboard_.CloseClipboard();
    log(kSetFailed);
    return finish();
  }
  clipboard_.SetClipboardData(CF_UNICODETEXT, nullptr);
  mark(platform::phase::kClipboardSet);
  promised_ = std::move(next_);
  promisePending_ = true;
  clipboard_.CloseClipboard();
  readBeforeKeys_ = false;
  readAfterKeys_ = false;
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
  platform::Processes& processes = *platform_.processes;
  const HWND foreground = platform_.windows->GetForegroundWindow();
  DWORD target = 0;
  processes.GetWindowThreadProcessId(foreground, &target);
  if (target != 0 && processes.processIntegrityLevel(target) >
                         processes.processIntegrityLevel(processes.GetCurrentProcessId())) {
    log(kElevated);
    return finish();
  }
  WCHAR className[64] = {};
  platform_.windows->GetClassNameW(foreground, className, 64);
  std::vector<INPUT> keys =
      pasteKeys(*platform_.keyboard, pasteChordForWindowClass(platform::U(className)));
  platform_.keyboard->SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
  mark(platform::phase::kKeysSent);
  step_ = Step::AfterKeys;
  wait(readBeforeKeys_ ? kAfterEarlyReadMs : kUnreadMs);
}

void Paster::render() {
  if (!promisePending_) return;
  promisePending_ = false;
  UniqueGlobal block =
      copyToGlobal(clipboard_, promised_.c_str(), (promised_.size() + 1) * sizeof(char16_t));
  if (block) giveToClipboard(clipboard_, CF_UNICODETEXT, block);
  if (step_ == Step::BeforeKeys) {
    readBeforeKeys_ = true;
  } else if (step_ == Step::AfterKeys && !readAfterKeys_) {
    readAfterKeys_ = true;
    wait(kAfterReadMs);
  }
}

void Paster::onTimer() {
  platform_.timers->KillTimer(window_, kPasteTimerId);
  switch (step_) {
    case Step::Opening:
      if (openFailures_ < kOpenAttempts) return tryOpen();
      log(kSetFailed);
      return finish();
    case Step::BeforeKeys:
      return sendKeys();
    case Step::AfterKeys:
      if (!readBeforeKeys_ && !readAfterKeys_) log(kNeverRead);
      step_ = Step::Restoring;
      restoreStartNs_ = platform_.clock->SteadyNowNs();
      return tryRestore();
    case Step::Restoring:
      return tryRestore();
    case Step::Idle:
      return;
  }
}

bool Paster::ours() { return clipboard_.GetClipboardOwner() == window_; }

void Paster::tryRestore() {
  if (!ours()) {
    log(kTaken);
    return finish();
  }
  if (!clipboard_.OpenClipboard(window_)) {
    if (platform_.clock->SteadyNowNs() - restoreStartNs_ >= kRestoreGiveUpNs) {
      log(kBusy);
      return finish();
    }
    return wait(kRestoreRetryMs);
  }
  if (!ours()) {
    clipboard_.CloseClipboard();
    log(kTaken);
    return finish();
  }
  putBack();
  finish();
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
  if (step_ == Step::Idle || step_ == Step::Opening) return;
  log(kTaken);
  finish();
}

void Paster::onRenderAllFormats() {
  if (!promisePending_ || !clipboard_.OpenClipboard(window_)) return;
  if (ours()) render();
  clipboard_.CloseClipboard();
}

void Paster::shutdown() {
  platform_.timers->KillTimer(window_, kPasteTimerId);
  queue_.clear();
  const bool holding =
      step_ == Step::BeforeKeys || step_ == Step::AfterKeys || step_ == Step::Restoring;
  step_ = Step::Idle;
  if (!holding || !ours()) return;
  for (int attempt = 0; attempt < kShutdownAttempts; ++attempt) {
    if (clipboard_.OpenClipboard(window_)) {
      if (ours()) {
        putBack();
      } else {
        clipboard_.CloseClipboard();
      }
      return;
    }
    platform_.clock->Sleep(kOpenRetryMs);
  }
}

void Paster::wait(UINT ms) { platform_.timers->SetTimer(window_, kPasteTimerId, ms, nullptr); }

void Paster::log(const char* line) { platform_.debug->OutputDebugStringA(line); }

void Paster::mark(const char* phase) {
  if (platform_.trace != nullptr) platform_.trace->mark(phase);
}

void Paster::finish() {
  platform_.timers->KillTimer(window_, kPasteTimerId);
  previous_ = {};
  step_ = Step::Idle;
  over_();
  startNext();
}

}  // namespace paste
