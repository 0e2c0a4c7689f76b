// Cost of the keyboard hook per key event on the fake platform, and heap allocations per event;
// the same for the mouse hook per pointer move and per button event.
//
// The common case is typing while listening: a key that changes no state. What runs on the hook
// thread for it (the filter's decision and copy) sits in the input path of every application: it
// must stay in the tens of nanoseconds and allocate nothing. The whole path (hook thread and the
// main thread's handling) is measured too.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <vector>

#include "hotkey/global_hotkey.h"
#include "platform/debug_output.h"
#include "tests/support/fake_platform.h"

namespace {
std::atomic<long long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
// The replaced new allocates with malloc, so free is the matching release; GCC cannot see that
// through the replacement.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

// Diagnostic lines of accepted presses would otherwise pile up in the captured list.
class DiscardingDebugOutput final : public platform::DebugOutput {
 public:
  void OutputDebugStringA(LPCSTR) override {}
};

struct Setup {
  explicit Setup(const char* label) {
    platform = fake.platform();
    platform.debug = &discard;
    hotkey = std::make_unique<GlobalHotkey>(platform);
    hotkey->setOverlayEnabled(false);
    hotkey->applyHotkeyFromLabel(label);
    hotkey->startListening();
  }
  fake::FakePlatform fake;
  DiscardingDebugOutput discard;
  platform::Platform platform;
  std::unique_ptr<GlobalHotkey> hotkey;
};

void reportAllocations(benchmark::State& state, long long before, long long events) {
  state.counters["allocs_per_event"] =
      static_cast<double>(allocations.load() - before) / static_cast<double>(events);
}

// A letter typed while listening, in the given mode: two hook calls (down, up) per iteration.
void typingWhileListening(benchmark::State& state, const char* label) {
  Setup s(label);
  const long long before = allocations.load();
  long long events = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.fake.keyboard.keyDown('A'));
    benchmark::DoNotOptimize(s.fake.keyboard.keyUp('A'));
    events += 2;
  }
  state.SetItemsProcessed(events);
  reportAllocations(state, before, events);
}

void BM_TypingSingleKeyMode(benchmark::State& state) { typingWhileListening(state, "Right Alt"); }
void BM_TypingTwoModifierMode(benchmark::State& state) {
  typingWhileListening(state, "Left Shift + Left Ctrl");
}
void BM_TypingComboMode(benchmark::State& state) { typingWhileListening(state, "Left Ctrl + K"); }

// The fake's own dispatch without the controller's hook, to subtract from the figures above.
void BM_FakeDispatchOnly(benchmark::State& state) {
  fake::FakePlatform fake;
  const HHOOK hook = fake.keyboard.SetWindowsHookExW(
      WH_KEYBOARD_LL, [](int, WPARAM, LPARAM) -> LRESULT { return 0; }, nullptr, 0);
  long long events = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(fake.keyboard.keyDown('A'));
    benchmark::DoNotOptimize(fake.keyboard.keyUp('A'));
    events += 2;
  }
  fake.keyboard.UnhookWindowsHookEx(hook);
  state.SetItemsProcessed(events);
}

// An accepted press and its release (a tap), overlays off: the transition path, which logs,
// sends events and starts and stops the maximum-hold timer.
void BM_AcceptedPressAndRelease(benchmark::State& state) {
  Setup s("Right Alt");
  const long long before = allocations.load();
  long long events = 0;
  for (auto _ : state) {
    s.fake.keyboard.keyDown(VK_RMENU);
    s.fake.keyboard.keyUp(VK_RMENU);
    events += 2;
  }
  state.SetItemsProcessed(events);
  reportAllocations(state, before, events);
}

// Times `event(true)` and `event(false)` (a down and an up, or two moves) one at a time: median
// and 99th percentile in nanoseconds (the clock's own cost subtracted), allocations over the
// timed calls.
template <typename Event>
void timedPerEvent(benchmark::State& state, Event&& event) {
  using Clock = std::chrono::steady_clock;
  auto ns = [](Clock::duration d) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
  };
  std::vector<long long> samples;
  std::vector<long long> overhead;
  samples.reserve(1 << 22);
  overhead.reserve(1 << 16);
  const long long before = allocations.load();
  for (auto _ : state) {
    const Clock::time_point t0 = Clock::now();
    event(true);
    const Clock::time_point t1 = Clock::now();
    event(false);
    const Clock::time_point t2 = Clock::now();
    const Clock::time_point t3 = Clock::now();
    if (samples.size() + 2 <= samples.capacity()) {
      samples.push_back(ns(t1 - t0));
      samples.push_back(ns(t2 - t1));
    }
    if (overhead.size() < overhead.capacity()) overhead.push_back(ns(t3 - t2));
  }
  const long long allocated = allocations.load() - before;
  auto percentile = [](std::vector<long long>& v, double p) {
    if (v.empty()) return 0.0;
    const auto at = v.begin() + static_cast<std::ptrdiff_t>(p * static_cast<double>(v.size() - 1));
    std::nth_element(v.begin(), at, v.end());
    return static_cast<double>(*at);
  };
  const double clockCost = percentile(overhead, 0.5);
  state.counters["median_ns"] = percentile(samples, 0.5) - clockCost;
  state.counters["p99_ns"] = percentile(samples, 0.99) - clockCost;
  state.counters["allocs_per_event"] =
      samples.empty() ? 0.0 : static_cast<double>(allocated) / static_cast<double>(samples.size());
}

// The filter's decision and copy for a letter's down and up.
void hookProcedurePerEvent(benchmark::State& state, const char* label) {
  fake::FakePlatform fake;
  GlobalHotkey hotkey(fake.platform());
  hotkey.applyHotkeyFromLabel(label);
  HotkeyHookFilter filter(fake.platform());
  filter.configure(hotkey.keys());
  filter.onInstalled();
  const KBDLLHOOKSTRUCT down{'A', 0, 0, 0, 0};
  const KBDLLHOOKSTRUCT up{'A', 0, LLKHF_UP, 0, 0};
  platform::HookedKey out[platform::HookFilter::kMaxCopies];
  timedPerEvent(state, [&](bool isDown) {
    benchmark::DoNotOptimize(isDown ? filter.onKey(WM_KEYDOWN, down, out)
                                    : filter.onKey(WM_KEYUP, up, out));
  });
}

// A pointer move through the installed mouse hook of "Mouse 4" (the fake's hook chain included):
// what every move of the system costs while a mouse button is the hotkey.
void BM_MouseHookPerPointerMove(benchmark::State& state) {
  Setup s("Mouse 4");
  timedPerEvent(state,
                [&](bool) { benchmark::DoNotOptimize(s.fake.keyboard.mouseButton(0, false)); });
}

// The filter's decision for a button that is not the hotkey's (middle, with "Mouse 4"), and for
// the bound button's down and up, which it swallows and copies.
void mouseButtonPerEvent(benchmark::State& state, DWORD vk) {
  fake::FakePlatform fake;
  GlobalHotkey hotkey(fake.platform());
  hotkey.applyHotkeyFromLabel("Mouse 4");
  HotkeyHookFilter filter(fake.platform());
  filter.configure(hotkey.keys());
  filter.onInstalled();
  const bool side = vk != VK_MBUTTON;
  const MSLLHOOKSTRUCT event{{0, 0}, side ? DWORD{XBUTTON1} << 16 : 0, 0, 0, 0};
  platform::HookedKey out[platform::HookFilter::kMaxCopies];
  timedPerEvent(state, [&](bool isDown) {
    const WPARAM message =
        side ? (isDown ? WM_XBUTTONDOWN : WM_XBUTTONUP) : (isDown ? WM_MBUTTONDOWN : WM_MBUTTONUP);
    benchmark::DoNotOptimize(filter.onButton(message, vk, event, out));
  });
}
void BM_MouseOtherButton(benchmark::State& state) { mouseButtonPerEvent(state, VK_MBUTTON); }
void BM_MouseBoundButton(benchmark::State& state) { mouseButtonPerEvent(state, VK_XBUTTON1); }

void BM_HookProcedureSingleAlt(benchmark::State& state) {
  hookProcedurePerEvent(state, "Left Alt");
}
void BM_HookProcedureTwoModifiers(benchmark::State& state) {
  hookProcedurePerEvent(state, "Left Shift + Left Ctrl");
}
void BM_HookProcedureCombo(benchmark::State& state) {
  hookProcedurePerEvent(state, "Left Ctrl + K");
}

BENCHMARK(BM_HookProcedureSingleAlt);
BENCHMARK(BM_HookProcedureTwoModifiers);
BENCHMARK(BM_HookProcedureCombo);
BENCHMARK(BM_MouseHookPerPointerMove);
BENCHMARK(BM_MouseOtherButton);
BENCHMARK(BM_MouseBoundButton);
BENCHMARK(BM_TypingSingleKeyMode);
BENCHMARK(BM_TypingTwoModifierMode);
BENCHMARK(BM_TypingComboMode);
BENCHMARK(BM_FakeDispatchOnly);
BENCHMARK(BM_AcceptedPressAndRelease);

}  // namespace

BENCHMARK_MAIN();
