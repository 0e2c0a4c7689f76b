// Message pumping for Wine tests: timers, paints and hooks only run while the thread pumps.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

namespace wine {

inline void pumpFor(std::chrono::milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(2);
  }
}

// Pumps until `done` holds or `timeout` passes; returns whether it held.
inline bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    pumpFor(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace wine
