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
  unhook();
  filter_.onInstalled();
  watch_.reset();
  mouseWatch_.reset();
  hook_ = keyboard_.SetWindowsHookExW(WH_KEYBOARD_LL, hookProc, nullptr, 0);
  if (hook_ != nullptr && filter_.wantsMouse()) {
    mouseHook_ = keyboard_.SetWindowsHookExW(WH_MOUSE_LL, mouseProc, nullptr, 0);
    if (mouseHook_ == nullptr) unhook();
  }
  failing_ = hook_ == nullptr;
  if (failing_) filter_.onRemoved();
  return hook_;
}

void FakeHookThread::unhook() {
  if (hook_ != nullptr) keyboard_.UnhookWindowsHookEx(hook_);
  if (mouseHook_ != nullptr) keyboard_.UnhookWindowsHookEx(mouseHook_);
  hook_ = nullptr;
  mouseHook_ = nullptr;
}

void FakeHookThread::Remove() {
  unhook();
  failing_ = false;
  filter_.onRemoved();
  std::erase_if(posted_, [](const Posted& p) { return p.notice == nullptr && p.switchedAtNs < 0; });
}

LRESULT CALLBACK FakeHookThread::hookProc(int code, WPARAM message, LPARAM event) {
  FakeHookThread* self = current_;
  if (code == HC_ACTION && self != nullptr) {
    self->watch_.hookSaw(self->clock_.nowNs);
    platform::HookedKey keys[platform::HookFilter::kMaxCopies];
    const platform::HookFilter::Verdict verdict =
        self->filter_.onKey(message, *reinterpret_cast<const KBDLLHOOKSTRUCT*>(event), keys);
    for (int i = 0; i < verdict.copies; ++i) self->post(keys[i]);
    self->followUpDue_ = self->followUpDue_ || verdict.followUp;
  }
  return self != nullptr ? self->keyboard_.CallNextHookEx(nullptr, code, message, event) : 0;
}

LRESULT CALLBACK FakeHookThread::mouseProc(int code, WPARAM message, LPARAM event) {
  FakeHookThread* self = current_;
  const auto* hooked = reinterpret_cast<const MSLLHOOKSTRUCT*>(event);
  const DWORD vk = code == HC_ACTION ? platform::hookedButton(message, hooked->mouseData) : 0;
  if (vk == 0 || self == nullptr) {
    return self != nullptr ? self->keyboard_.CallNextHookEx(nullptr, code, message, event) : 0;
  }
  self->mouseWatch_.hookSaw(self->clock_.nowNs);
  platform::HookedKey keys[platform::HookFilter::kMaxCopies];
  const platform::HookFilter::Verdict verdict = self->filter_.onButton(message, vk, *hooked, keys);
  for (int i = 0; i < verdict.copies; ++i) self->post(keys[i]);
  self->followUpDue_ = self->followUpDue_ || verdict.followUp;
  if (verdict.swallow) return 1;
  return self->keyboard_.CallNextHookEx(nullptr, code, message, event);
}

void FakeHookThread::followUp() {
  if (!followUpDue_) return;
  followUpDue_ = false;
  filter_.followUp();
}

void FakeHookThread::afterHookChain() {
  followUp();
  rawSaw(watch_);
}

void FakeHookThread::afterMouseChain(DWORD vk, bool down) {
  followUp();
  if (mouseHook_ == nullptr) return;  // mouse raw input is registered only with the mouse hook
  filter_.onRawButton(vk, down);
  rawSaw(mouseWatch_);
}

void FakeHookThread::post(const platform::HookedKey& key) {
  posted_.push_back({nullptr, key.packedWParam(), key.packedLParam()});
}

void FakeHookThread::burstOver() {
  platform::HookedKey held;
  if (hook_ != nullptr && filter_.releaseHeld(held)) post(held);
}

void FakeHookThread::rawSaw(platform::HookWatch& watch) {
  if (hook_ == nullptr && !failing_) return;
  if (hook_ != nullptr) {
    watch.rawSaw(clock_.nowNs);
    if (!watch.lost(clock_.nowNs)) return;
  }
  const bool told = failing_;  // a failing repair says so once
  if (Install() != nullptr) {
    posted_.push_back({&platform::HookSink::onHookReinstalled, 0, 0});
  } else if (!told) {
    posted_.push_back({&platform::HookSink::onHookReinstallFailed, 0, 0});
  }
}

void FakeHookThread::deliverPosted() {
  if (delivering_) return;
  delivering_ = true;
  // Handling may post more (input sent from a handler): take them in order until none is left.
  for (std::size_t i = 0; i < posted_.size(); ++i) {
    const Posted next = posted_[i];
    if (next.notice != nullptr) {
      (sink_.*next.notice)();
    } else if (next.switchedAtNs >= 0) {
      sink_.onDesktopSwitched(next.switchedAtNs);
    } else {
      sink_.onHookedKey(platform::HookedKey::unpack(next.wParam, next.lParam, clock_.nowNs));
    }
  }
  posted_.clear();
  delivering_ = false;
}

}  // namespace fake
