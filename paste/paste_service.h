// What the hotkey channel asks of the paste: put a text into the foreground application, and say
// how it went when that is over, so the "pasteText" call can be answered then.
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

struct PasteRequest {
  std::string utf8;
  // The keys the Dart side named; otherwise they follow the target's window class.
  std::optional<PasteChord> chord;
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
