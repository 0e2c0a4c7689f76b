// What the hotkey channel asks of the paste: put a text into the foreground application, and say
// when that is over so the "pasteText" call can be answered then.
//
// Calls come from the main thread and `over` runs on the main thread, once per paste, in the
// order the pastes were asked for. The Windows implementation is paste/paste_thread.h.
#pragma once

#include <functional>
#include <string>

namespace paste {

class PasteService {
 public:
  virtual ~PasteService() = default;
  // Queues a paste of the UTF-8 text behind the ones not yet over; never fails towards the caller.
  virtual void pasteText(std::string utf8, std::function<void()> over) = 0;
};

}  // namespace paste
