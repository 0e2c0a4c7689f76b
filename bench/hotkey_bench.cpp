// Cost of the keyboard hook per key event on the fake platform, and heap allocations per event.
//
// The common case is typing while listening: a key that changes no state. It must stay in the
// tens of nanoseconds and allocate nothing, since it runs in the input path of every application.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

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

BENCHMARK(BM_TypingSingleKeyMode);
BENCHMARK(BM_TypingTwoModifierMode);
BENCHMARK(BM_TypingComboMode);
BENCHMARK(BM_FakeDispatchOnly);
BENCHMARK(BM_AcceptedPressAndRelease);

}  // namespace

BENCHMARK_MAIN();
