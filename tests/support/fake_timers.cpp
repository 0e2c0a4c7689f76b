#include "tests/support/fake_timers.h"

#include <algorithm>

namespace fake {

FakeTimers::Timer* FakeTimers::find(HWND window, UINT_PTR id) {
  for (Timer& t : timers_) {
    if (t.window == window && t.id == id) return &t;
  }
  return nullptr;
}

UINT_PTR FakeTimers::SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  // Windows raises periods below 10 ms (USER_TIMER_MINIMUM) to 10 ms.
  const std::int64_t periodNs = std::max<std::int64_t>(elapseMs, 10) * 1'000'000;
  Timer* existing = find(window, id);
  if (window == nullptr && existing == nullptr) {
    do {
      id = nextThreadId_;
      nextThreadId_ = nextThreadId_ <= 0x100 ? 0x7FFF : nextThreadId_ - 1;
    } while (find(nullptr, id) != nullptr);
  }
  if (existing != nullptr) {
    existing->periodNs = periodNs;
    existing->dueNs = clock_.nowNs + periodNs;
    existing->proc = proc;
    existing->order = nextOrder_++;
  } else {
    timers_.push_back(Timer{window, id, periodNs, clock_.nowNs + periodNs, proc, nextOrder_++});
  }
  return id;
}

BOOL FakeTimers::KillTimer(HWND window, UINT_PTR id) {
  const auto it = std::find_if(timers_.begin(), timers_.end(),
                               [&](const Timer& t) { return t.window == window && t.id == id; });
  if (it == timers_.end()) return FALSE;
  timers_.erase(it);
  return TRUE;
}

bool FakeTimers::isRunning(UINT_PTR id) const { return periodMs(id) >= 0; }

std::int64_t FakeTimers::periodMs(UINT_PTR id) const {
  for (const Timer& t : timers_) {
    if (t.id == id) return t.periodNs / 1'000'000;
  }
  return -1;
}

void FakeTimers::advance(std::int64_t ms) {
  const std::int64_t targetNs = clock_.nowNs + ms * 1'000'000;
  for (;;) {
    const auto next =
        std::min_element(timers_.begin(), timers_.end(), [](const Timer& a, const Timer& b) {
          return a.dueNs != b.dueNs ? a.dueNs < b.dueNs : a.order < b.order;
        });
    if (next == timers_.end() || next->dueNs > targetNs) break;
    clock_.nowNs = std::max(clock_.nowNs, next->dueNs);
    next->dueNs += next->periodNs;
    next->order = nextOrder_++;
    // Copied out: the procedure may set or kill timers, which moves the vector.
    const Timer fired = *next;
    if (fired.proc != nullptr) {
      fired.proc(fired.window, WM_TIMER, fired.id, static_cast<DWORD>(clock_.nowNs / 1'000'000));
    } else if (fired.window != nullptr && windows != nullptr) {
      windows->sendMessage(fired.window, WM_TIMER, fired.id);
    }
  }
  clock_.nowNs = std::max(clock_.nowNs, targetNs);
}

}  // namespace fake
