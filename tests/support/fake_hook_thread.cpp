#include "tests/support/fake_hook_thread.h"

#include "tests/support/fake_keyboard.h"

namespace fake {

FakeHookThread* FakeHookThread::current_ = nullptr;

FakeHookThread::FakeHookThread(FakeKeyboard& keyboard, FakeClock& clock,
                               platform::HookFilter& filter, platform::HookSink& sink)
    : keyboard_(keyboard), clock_(clock), filter_(filter), sink_(sink) {
  current_ = this;
}

FakeHookThread::~FakeHookThread() {
  Remove();
  posted_.clear();
  keyboard_.hookThreadEnded(this);
  if (current_ == this) current_ = nullptr;
}

HHOOK FakeHookThread::Install() {
  wanted_ = true;
  failing_ = install() == nullptr;
  return hook_;
}

HHOOK FakeHookThread::install() {
  if (hook_ != nullptr) keyboard_.UnhookWindowsHookEx(hook_);
  filter_.onInstalled();
  watch_.reset();
  hook_ = keyboard_.SetWindowsHookExW(WH_KEYBOARD_LL, hookProc, nullptr, 0);
  return hook_;
}

void FakeHookThread::Remove() {
  wanted_ = false;
  if (hook_ != nullptr) keyboard_.UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  std::erase_if(posted_, [](const Posted& p) { return p.kind == Posted::Kind::Key; });
}

LRESULT CALLBACK FakeHookThread::hookProc(int code, WPARAM message, LPARAM event) {
  FakeHookThread* self = current_;
  if (code == HC_ACTION && self != nullptr) {
    self->watch_.hookSaw(self->clock_.nowNs);
    platform::HookedKey copies[platform::HookFilter::kMaxCopies];
    const platform::HookFilter::Verdict verdict =
        self->filter_.onKey(message, *reinterpret_cast<const KBDLLHOOKSTRUCT*>(event), copies);
    for (int i = 0; i < verdict.copies; ++i) self->post(copies[i]);
    self->holdBackDue_ = self->holdBackDue_ || verdict.holdBack;
    self->followUpDue_ = self->followUpDue_ || verdict.followUp;
  }
  return self != nullptr ? self->keyboard_.CallNextHookEx(nullptr, code, message, event) : 0;
}

void FakeHookThread::post(const platform::HookedKey& key) {
  posted_.push_back({Posted::Kind::Key, key.packedWParam(), key.packedLParam()});
}

void FakeHookThread::afterHookChain() {
  if (followUpDue_) {
    followUpDue_ = false;
    filter_.followUp();
  }
  rawKey();
}

void FakeHookThread::burstOver() {
  if (!holdBackDue_) return;
  holdBackDue_ = false;
  platform::HookedKey key;
  if (hook_ != nullptr && filter_.releaseHeld(key)) post(key);
}

void FakeHookThread::rawKey() {
  if (hook_ != nullptr) {
    watch_.rawSaw(clock_.nowNs);
    if (watch_.lost(clock_.nowNs)) repair();
  } else if (wanted_) {
    repair();
  }
}

void FakeHookThread::repair() {
  const bool told = failing_;
  failing_ = install() == nullptr;
  if (!failing_) {
    posted_.push_back({Posted::Kind::Reinstalled, 0, 0});
  } else if (!told) {
    posted_.push_back({Posted::Kind::ReinstallFailed, 0, 0});
  }
}

void FakeHookThread::deliverPosted() {
  if (delivering_) return;
  delivering_ = true;
  // Handling may post more (input sent from a handler): take them in order until none is left.
  for (std::size_t i = 0; i < posted_.size(); ++i) {
    const Posted next = posted_[i];
    switch (next.kind) {
      case Posted::Kind::Key:
        sink_.onHookedKey(platform::HookedKey::unpack(next.wParam, next.lParam, clock_.nowNs));
        break;
      case Posted::Kind::Reinstalled:
        sink_.onHookReinstalled();
        break;
      case Posted::Kind::ReinstallFailed:
        sink_.onHookReinstallFailed();
        break;
      case Posted::Kind::DesktopSwitch:
        sink_.onDesktopSwitched();
        break;
    }
  }
  posted_.clear();
  delivering_ = false;
}

}  // namespace fake
