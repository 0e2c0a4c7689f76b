// Wine timing program (not a test): the cost of one overlay paint and of one hint shown, the
// process CPU time of each recording look's animation against idling, each beside a bare layered
// window making the same window-system calls (the floor Wine sets), the main-thread time of a
// partial transcript sent to the caption and the listening look's CPU with ten of them a second
// against none, the overlong-text attack
// (a 30 MB label and a 30 MB hint text), and for a paste on the paste thread: how long the main
// thread is busy at most (the call itself, then each message it handles) and when the paste is
// over. Without a reader in the foreground each paste waits its 2 s for a read. Run:
// tools/wine-run build/<dir>/bench/overlay_paste_timing.exe [seconds]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine_client/method_call.h"
#include "engine_client/method_result.h"
#include "hotkey/global_hotkey.h"
#include "hotkey/hotkey_channel.h"
#include "overlay/hint_overlay.h"
#include "overlay/recording_overlay.h"
#include "paste/paste_thread.h"
#include "platform/win32/win32_platform.h"

namespace {

using Clock = std::chrono::steady_clock;

double microsecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void pumpFor(double seconds) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  for (auto now = Clock::now(); now < end; now = Clock::now()) {
    // Wakes for messages and at the end only: a polling wait would be counted as the overlay's CPU.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - now).count();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

// Kernel and user time of a process or a thread, from GetProcessTimes or GetThreadTimes.
double cpuMs(BOOL(WINAPI* times)(HANDLE, FILETIME*, FILETIME*, FILETIME*, FILETIME*), HANDLE of) {
  FILETIME created, exited, kernel, user;
  times(of, &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 10'000.0;
}

double processCpuMs() { return cpuMs(GetProcessTimes, GetCurrentProcess()); }
double threadCpuMs() { return cpuMs(GetThreadTimes, GetCurrentThread()); }

template <typename Overlay>
double meanPaintMicroseconds(Overlay& overlay, int rounds) {
  const HWND window = overlay.window();
  RECT client{};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  const auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) overlay.paint(dc, client, client);
  const double total = microsecondsSince(start);
  ReleaseDC(window, dc);
  return total / rounds;
}

// Process CPU per second of wall time while the message loop runs for `seconds`.
double cpuPercent(double seconds) {
  const double before = processCpuMs();
  pumpFor(seconds);
  return (processCpuMs() - before) / (seconds * 10.0);
}

// Main-thread time of one hint shown and first painted: the show call plus its WM_PAINT.
double hintShowMs(GlobalHotkey& hotkey) {
  const auto start = Clock::now();
  hotkey.showHintOverlay();
  if (hotkey.hint().window() != nullptr) UpdateWindow(hotkey.hint().window());
  return microsecondsSince(start) / 1000.0;
}

void printHint(GlobalHotkey& hotkey, const char* what, double ms) {
  RECT r{};
  GetWindowRect(hotkey.hint().window(), &r);
  std::printf("%-34s hint x %d, width %ld, main thread %.1f ms\n", what, static_cast<int>(r.left),
              r.right - r.left, ms);
}

// The window system's own share, for comparison: a bare layered popup of the hint's size and
// styles, painted with one stock-brush fill, going through the calls a hint shown makes (the old
// window destroyed, a new one created, its opacity set, shown, painted), and the same popup at the
// recording overlay's size with a thread timer invalidating a 20 x 20 area every `tickMs`, as the
// spinner does. Whatever the overlays cost beyond these is theirs.
class BareOverlay {
 public:
  BareOverlay() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MurmurlyBenchBareOverlay";
    RegisterClassExW(&windowClass);
  }
  ~BareOverlay() { destroy(); }

  double showMs(int width, int height) {
    const auto start = Clock::now();
    show(width, height);
    return microsecondsSince(start) / 1000.0;
  }

  double tickingCpuPercent(UINT tickMs, double seconds) {
    show(overlay::kRecordingWidth, overlay::kRecordingHeight);
    current = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, tickMs, tick);
    const double percent = cpuPercent(seconds);
    KillTimer(nullptr, timer);
    current = nullptr;
    destroy();
    return percent;
  }

 private:
  void show(int width, int height) {
    destroy();
    window_ = CreateWindowExW(overlay::kExStyle, L"MurmurlyBenchBareOverlay", L"", WS_POPUP,
                              (GetSystemMetrics(SM_CXSCREEN) - width) / 2, overlay::kTop, width,
                              height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetLayeredWindowAttributes(window_, overlay::kColourKey, overlay::kHintAlpha,
                               LWA_COLORKEY | LWA_ALPHA);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    InvalidateRect(window_, nullptr, TRUE);
    UpdateWindow(window_);
  }

  void destroy() {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
  }

  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPaint(window, &paint);
    return 0;
  }

  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    constexpr RECT kArea{12, 10, 32, 30};
    if (current != nullptr) InvalidateRect(current->window_, &kArea, FALSE);
  }

  static inline BareOverlay* current = nullptr;
  HWND window_ = nullptr;
};

// Writes the answer where the caller can read it after the handler has released the result.
class TimedResult final : public MethodResult {
 public:
  explicit TimedResult(std::string& answer) : answer_(answer) {}

 protected:
  void SuccessInternal(const EncodableValue*) override { answer_ = "success"; }
  void ErrorInternal(const std::string& code, const std::string& message,
                     const EncodableValue*) override {
    answer_ = code + " " + message;
  }
  void NotImplementedInternal() override { answer_ = "not implemented"; }

 private:
  std::string& answer_;
};

void overlongAttack(GlobalHotkey& hotkey, paste::PasteService& paste) {
  const std::string huge(30u << 20, 'W');
  auto arguments = std::make_unique<EncodableValue>(
      EncodableValueMap{{EncodableValue("label"), EncodableValue(huge)}});
  MethodCall call("setHotkey", std::move(arguments));
  std::string answer;
  const auto start = Clock::now();
  HandleHotkeyCall(hotkey, paste, call, std::make_unique<TimedResult>(answer));
  std::printf("setHotkey, 30 MB label: %s, main thread %.1f ms\n", answer.c_str(),
              microsecondsSince(start) / 1000.0);

  // The label as if it had got in, and a 30 MB hint text from setLocalizedStrings.
  hotkey.applyHotkeyFromLabel(huge);
  printHint(hotkey, "tap, 30 MB label:", hintShowMs(hotkey));
  hotkey.applyHotkeyFromLabel("Left Shift + Left Ctrl");
  hotkey.setLocalizedStrings({{EncodableValue("dontTap"), EncodableValue(huge)}});
  printHint(hotkey, "tap, 30 MB hint text:", hintShowMs(hotkey));
  hotkey.setLocalizedStrings(
      {{EncodableValue("dontTap"), EncodableValue("Don't tap. Hold down %s.")}});
  hotkey.hint().close();
}

// The call as the channel handles it, on a text of `length` characters whose last one changes, so
// that every call has a new text to show: the call's main-thread time, and the paint that follows
// (medians: a shared machine's stalls land in a few rounds).
void transcriptCallTimes(GlobalHotkey& hotkey, paste::PasteService& paste, std::size_t length) {
  constexpr int kRounds = 201;
  std::vector<double> calls;
  std::vector<double> paints;
  const double cpuBefore = threadCpuMs();
  for (int i = 0; i < kRounds; ++i) {
    std::string text;
    while (text.size() < length) text += "words while speaking ";
    text.resize(length - 1);
    text += static_cast<char>('a' + i % 26);
    auto arguments = std::make_unique<EncodableValue>(
        EncodableValueMap{{EncodableValue("text"), EncodableValue(text)}});
    MethodCall call("setOverlayTranscript", std::move(arguments));
    std::string answer;
    auto start = Clock::now();
    HandleHotkeyCall(hotkey, paste, call, std::make_unique<TimedResult>(answer));
    calls.push_back(microsecondsSince(start) / 1000.0);
    start = Clock::now();
    UpdateWindow(hotkey.recording().caption().window());
    paints.push_back(microsecondsSince(start) / 1000.0);
  }
  const double cpuMs = (threadCpuMs() - cpuBefore) / kRounds;
  std::sort(calls.begin(), calls.end());
  std::sort(paints.begin(), paints.end());
  std::printf(
      "setOverlayTranscript, %4zu characters: main thread median %.3f ms (worst %.3f), its paint "
      "median %.3f ms (of %d); CPU of both %.3f ms\n",
      length, calls[kRounds / 2], calls.back(), paints[kRounds / 2], kRounds, cpuMs);
}

// Ten partial transcripts a second, each a word longer, as a streaming recogniser sends them.
struct TranscriptFeed {
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    text += "word ";
    if (text.size() > 1000) text.clear();
    hotkey->setOverlayTranscript(text);
  }
  static inline GlobalHotkey* hotkey = nullptr;
  static inline std::string text;
};

double listeningCpuWithTranscripts(GlobalHotkey& hotkey, double seconds) {
  TranscriptFeed::hotkey = &hotkey;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, TranscriptFeed::tick);
  const double percent = cpuPercent(seconds);
  KillTimer(nullptr, timer);
  return percent;
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

  std::vector<double> shows;
  for (int i = 0; i < 50; ++i) {
    shows.push_back(hintShowMs(hotkey));
    pumpFor(0.02);
  }
  RECT hintRect{};
  GetWindowRect(hotkey.hint().window(), &hintRect);
  hotkey.hint().close();
  std::sort(shows.begin(), shows.end());
  std::printf("hint shown (50): median %.1f ms, worst %.1f ms of main-thread time\n", shows[25],
              shows.back());
  std::vector<double> bareShows;
  {
    BareOverlay bare;
    for (int i = 0; i < 50; ++i) {
      bareShows.push_back(bare.showMs(hintRect.right - hintRect.left, overlay::kHintHeight));
      pumpFor(0.02);
    }
  }
  std::sort(bareShows.begin(), bareShows.end());
  std::printf("bare layered popup, same calls (50): median %.1f ms, worst %.1f ms\n", bareShows[25],
              bareShows.back());

  const double idle = cpuPercent(seconds);
  recording.showListeningLook();
  const double listening = cpuPercent(seconds);
  recording.showTranscribingLook();
  const double transcribing = cpuPercent(seconds);
  recording.hide();
  std::printf(
      "CPU over %.0f s each: idle %.2f %%, listening look %.2f %%, transcribing look %.2f %%\n",
      seconds, idle, listening, transcribing);
  {
    BareOverlay bare;
    const double every50 = bare.tickingCpuPercent(50, seconds);
    const double every30 = bare.tickingCpuPercent(30, seconds);
    std::printf("bare layered popup, invalidated every 50 ms %.2f %%, every 30 ms %.2f %%\n",
                every50, every30);
  }

  paste::PasteThread pasteThread(platform::Win32Platform());
  recording.showListeningLook();
  for (const std::size_t length : {10, 100, 1000}) transcriptCallTimes(hotkey, pasteThread, length);
  recording.showListeningLook();
  const double withoutWords = cpuPercent(seconds);
  recording.showListeningLook();
  const double withWords = listeningCpuWithTranscripts(hotkey, seconds);
  recording.hide();
  std::printf("CPU over %.0f s each, listening look: no transcript %.2f %%, ten a second %.2f %%\n",
              seconds, withoutWords, withWords);
  overlongAttack(hotkey, pasteThread);

  const auto starting = Clock::now();
  pasteThread.start();  // as the shell does once its window shows
  std::printf("paste thread started: main thread %.3f ms, once\n",
              microsecondsSince(starting) / 1000.0);
  for (int i = 0; i < 5; ++i) {
    bool over = false;
    const auto start = Clock::now();
    pasteThread.pasteText({"timing run", {}}, [&over](const paste::PasteReport&) { over = true; });
    const double callUs = microsecondsSince(start);
    double longestUs = 0;
    while (!over) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        const auto handled = Clock::now();
        DispatchMessageW(&msg);
        longestUs = std::max(longestUs, microsecondsSince(handled));
      }
    }
    std::printf(
        "paste: over after %.1f ms; main thread: the call %.3f ms, each message handled at most "
        "%.3f ms\n",
        microsecondsSince(start) / 1000.0, callUs / 1000.0, longestUs / 1000.0);
  }
  pasteThread.stop();
  return 0;
}
