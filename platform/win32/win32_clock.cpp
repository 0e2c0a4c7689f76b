#include <windows.h>

#include "platform/clock.h"
#include "platform/win32/win32_platform.h"

namespace platform {
namespace {

class RealClock final : public Clock {
 public:
  RealClock() {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    ticksPerSecond_ = frequency.QuadPart;
  }

  std::int64_t SteadyNowNs() override {
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    // Split into whole seconds and remainder so the multiplication cannot overflow.
    const std::int64_t seconds = counter.QuadPart / ticksPerSecond_;
    const std::int64_t rest = counter.QuadPart % ticksPerSecond_;
    return seconds * 1'000'000'000 + rest * 1'000'000'000 / ticksPerSecond_;
  }

  void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }

 private:
  std::int64_t ticksPerSecond_ = 1;
};

}  // namespace

Clock& Win32Clock() {
  static auto* clock = new RealClock;  // never destroyed: see win32_platform.h
  return *clock;
}

}  // namespace platform
