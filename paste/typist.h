// Typist: one typing ("method": "type") at a time, on the paste thread, in paced batches driven
// by a timer of the window that owns the clipboard during a paste. The clipboard is never opened.
//
// At the start it takes the foreground window as the target (an elevated one gets nothing), turns
// the text into that window's layout's keys (paste/typing_keys.h) and releases the modifiers the
// user holds. Then whole strokes go in batches, paced by the clock to the request's characters
// per second (a timer late by a system tick makes the next batch larger, never the pace faster),
// since a target that falls behind drops input. Before each later batch the user comes first:
// a key-down of their own (counted by the hook thread in platform::UserKeyboard while the hotkey
// listens) or another foreground window ends the typing, the rest untyped; so does a batch that
// Windows took only in part (input blocked, an elevated window in front). However it ends, the
// released modifiers the user still holds are pressed again.
//
// Owned by the Paster, which queues typings with its pastes; `over` runs once per typing with its
// outcome and the UTF-16 units sent. `stopping` is the Paster's: a thread left behind at exit
// sends no more keys.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "paste/paste_keys.h"
#include "paste/paste_report.h"
#include "paste/paste_service.h"
#include "paste/typing_keys.h"
#include "platform/platform.h"

namespace paste {

inline constexpr UINT_PTR kTypingTimerId = 2;

class Typist {
 public:
  using Over = std::function<void(PasteOutcome outcome, std::size_t typed)>;

  Typist(platform::Platform& platform, HWND window, const std::atomic<bool>& stopping, Over over);
  ~Typist();
  Typist(const Typist&) = delete;
  Typist& operator=(const Typist&) = delete;

  // Starts typing the request's text into the foreground window; `target` is filled with it.
  void start(const PasteRequest& request, std::string& target);
  // The typing timer's WM_TIMER.
  void onTimer();
  // Ends a typing under way at once, without `over`; the UTF-16 units it sent.
  std::size_t stop();

 private:
  void sendBatch();
  bool userCameFirst() const;
  void end(PasteOutcome outcome);
  std::size_t typedUnits() const;
  // How many of `keys` Windows took.
  std::size_t send(std::vector<INPUT>& keys);

  platform::Platform& platform_;
  HWND window_;
  const std::atomic<bool>& stopping_;
  Over over_;
  bool typing_ = false;
  TypingKeys keys_;
  std::size_t strokesSent_ = 0;
  double charsPerSecond_ = kDefaultCharsPerSecond;
  std::size_t maxBatch_ = 1;
  std::int64_t startNs_ = 0;
  HWND target_ = nullptr;
  std::uint32_t keyDownsAtStart_ = 0;
  std::uint8_t held_ = 0;  // the user's modifiers, released at the start
};

}  // namespace paste
