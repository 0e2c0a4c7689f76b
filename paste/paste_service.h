// What the hotkey channel asks of the paste: put a text into the foreground application, through
// the clipboard or by typing it, and say how it went when that is over, so the "pasteText" call
// can be answered then.
//
// Calls come from the main thread and `over` runs on the main thread, once per paste, in the
// order the pastes were asked for, except that pastes cancelled from the queue when the app
// closes, or answered busy after waiting long behind a restore, are answered before the one under
// way. The Windows implementation is
// paste/paste_thread.h.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "paste/paste_keys.h"
#include "paste/paste_report.h"

namespace paste {

enum class InsertMethod { Paste, Type };

// Fast enough for a dictation, slow enough that notepad and most editors keep every character.
inline constexpr double kDefaultCharsPerSecond = 200;

// What the channel parsed, carried whole to the paste thread.
struct PasteRequest {
  std::string utf8;
  // The keys the Dart side named; otherwise they follow the target's window class.
  std::optional<PasteChord> chord;
  InsertMethod method = InsertMethod::Paste;
  // Typing only: a line break is Shift+Enter rather than Enter, and the pace.
  bool shiftEnter = false;
  double charsPerSecond = kDefaultCharsPerSecond;
};

using PasteOver = std::function<void(const PasteReport&)>;

class PasteService {
 public:
  virtual ~PasteService() = default;
  // Queues a paste behind the ones not yet over; never fails towards the caller: a paste that
  // cannot even start is over at once.
  virtual void pasteText(PasteRequest request, PasteOver over) = 0;
};

}  // namespace paste
