// Wine timing program (not a test): the cost of one overlay paint, the process CPU time of the
// listening look's animation against idling, and pasteText's duration against the 350 ms of
// sleeps it contains. Run: tools/wine-run build/<dir>/bench/overlay_paste_timing.exe [seconds]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "hotkey/global_hotkey.h"
#include "overlay/hint_overlay.h"
#include "overlay/recording_overlay.h"
#include "paste/paste_text.h"
#include "platform/win32/win32_platform.h"

namespace {

using Clock = std::chrono::steady_clock;

double microsecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void pumpFor(double seconds) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

double processCpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 10'000.0;
}

template <typename Overlay>
double meanPaintMicroseconds(Overlay& overlay, int rounds) {
  const HWND window = overlay.window();
  RECT client{};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  const auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) overlay.paint(dc, client);
  const double total = microsecondsSince(start);
  ReleaseDC(window, dc);
  return total / rounds;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  GlobalHotkey hotkey(platform::Win32Platform());

  overlay::RecordingOverlay& recording = hotkey.recording();
  recording.showListeningLook();
  pumpFor(0.2);
  std::printf("paint, listening look:    %8.1f us (mean of 500)\n",
              meanPaintMicroseconds(recording, 500));
  recording.showTranscribingLook();
  std::printf("paint, transcribing look: %8.1f us (mean of 500)\n",
              meanPaintMicroseconds(recording, 500));
  hotkey.showHintOverlay();
  pumpFor(0.2);
  std::printf("paint, hint:              %8.1f us (mean of 500)\n",
              meanPaintMicroseconds(hotkey.hint(), 500));
  hotkey.hint().close();
  recording.hide();

  double before = processCpuMs();
  pumpFor(seconds);
  const double idle = processCpuMs() - before;
  recording.showListeningLook();
  before = processCpuMs();
  pumpFor(seconds);
  const double listening = processCpuMs() - before;
  recording.hide();
  std::printf("CPU over %.0f s: idle %.0f ms, listening look %.0f ms\n", seconds, idle, listening);

  for (int i = 0; i < 5; ++i) {
    const auto start = Clock::now();
    pasteText(hotkey.platform(), "timing run");
    std::printf("pasteText: %.1f ms (of which 350 ms are sleeps)\n",
                microsecondsSince(start) / 1000.0);
  }
  return 0;
}
