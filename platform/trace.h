// The per-phase timeline: answers "where did the time go" in start-up, in a dictation and in an
// overlay, from the debugger output of a normal build.
//
// With MURMURLY_TRACE=1 in the environment (read once, when the process's trace is made; see
// platform::Win32Trace) every `mark` writes one line. Otherwise `mark` costs one branch on a
// constant and writes nothing. The stand-in and the bench scripts parse the lines, so the format
// is stable:
//
//   "[Trace] <microseconds> <phase>\n"
//
// <microseconds> is the steady clock (QueryPerformanceCounter on Windows) in whole microseconds,
// decimal, one origin for every thread of the process; <phase> is one of the names below: words
// of lower-case ASCII separated by single blanks. One OutputDebugStringA call per line.
//
// Any thread may mark: the line is formatted on the stack; nothing is locked beyond what
// OutputDebugStringA itself does, which can wait for a debugger's viewer. So the hook procedure
// never marks: its key-down is marked by the main thread with the event's own time (markAt).
#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "platform/clock.h"
#include "platform/debug_output.h"

namespace platform {

// The phases, in the order they happen within each story.
namespace phase {
// Start-up.
inline constexpr char kProcessStart[] = "process start";
inline constexpr char kMainEntered[] = "main entered";
inline constexpr char kWindowCreated[] = "window created";
inline constexpr char kEngineRunning[] = "engine running";
inline constexpr char kFirstFrame[] = "first frame";
inline constexpr char kWindowVisible[] = "window visible";
// Push-to-talk.
inline constexpr char kHookKeyDown[] = "hook saw the key-down";
inline constexpr char kEventSent[] = "event sent";
// Paste.
inline constexpr char kPasteReceived[] = "pasteText received";
inline constexpr char kClipboardSet[] = "clipboard set";
inline constexpr char kKeysSent[] = "keys sent";
inline constexpr char kTranscriptRead[] = "transcript read by the target";
inline constexpr char kClipboardRestored[] = "clipboard restored";
inline constexpr char kReplySent[] = "reply sent";
// Overlays.
inline constexpr char kOverlayShown[] = "overlay shown";
inline constexpr char kFirstPaint[] = "first paint";
}  // namespace phase

class Trace {
 public:
  // `enabled` is decided once by whoever makes the trace; the clock and output outlive it.
  Trace(Clock& clock, DebugOutput& output, bool enabled)
      : clock_(&clock), output_(&output), enabled_(enabled) {}

  bool enabled() const { return enabled_; }

  // Writes the phase stamped now.
  void mark(const char* phase) {
    if (enabled_) write(clock_->SteadyNowNs(), phase);
  }

  // Writes a phase that happened earlier, stamped on the same steady clock (process start, which
  // only the system saw; a hooked key-down).
  void markAt(const char* phase, std::int64_t steadyNs) {
    if (enabled_) write(steadyNs, phase);
  }

 private:
  void write(std::int64_t steadyNs, const char* phase) {
    constexpr char kTag[] = "[Trace] ";
    char line[128];
    char* const end = line + sizeof line - 2;  // room for "\n" and the terminator
    char* at = line;
    std::memcpy(at, kTag, sizeof kTag - 1);
    at += sizeof kTag - 1;
    at = std::to_chars(at, end, steadyNs / 1000).ptr;
    *at++ = ' ';
    const std::size_t length = std::min<std::size_t>(std::strlen(phase), end - at);
    std::memcpy(at, phase, length);
    at += length;
    *at++ = '\n';
    *at = '\0';
    output_->OutputDebugStringA(line);
  }

  Clock* clock_;
  DebugOutput* output_;
  bool enabled_;
};

}  // namespace platform
