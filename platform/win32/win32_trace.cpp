#include <windows.h>

#include "platform/trace.h"
#include "platform/win32/win32_platform.h"

namespace platform {
namespace {

bool TracingWanted() {
  char value[4];
  const DWORD length = ::GetEnvironmentVariableA("MURMURLY_TRACE", value, sizeof value);
  return length == 1 && value[0] == '1';
}

std::int64_t FileTimeTicks(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

}  // namespace

Trace& Win32Trace() {
  static auto* trace = new Trace(Win32Clock(), Win32DebugOutput(),
                                 TracingWanted());  // never destroyed: see win32_platform.h
  return *trace;
}

void TraceProcessStart() {
  Trace& trace = Win32Trace();
  if (!trace.enabled()) return;
  FILETIME created, exited, kernel, user, now;
  const std::int64_t steadyNow = Win32Clock().SteadyNowNs();
  ::GetSystemTimePreciseAsFileTime(&now);
  if (::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) {
    // The system keeps the creation time on the wall clock (100 ns units): carry the age over.
    trace.markAt(phase::kProcessStart,
                 steadyNow - (FileTimeTicks(now) - FileTimeTicks(created)) * 100);
  }
  trace.markAt(phase::kMainEntered, steadyNow);
}

}  // namespace platform
