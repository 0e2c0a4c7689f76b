// How a paste or a typing went, for the Dart side that asked for it: whether the transcript
// landed, and where; for a typing, how much of it.
//
// Made by the paste thread when a paste is over and carried to the main thread as a copy; the
// hotkey channel turns it into the "pasteText" reply when the Dart side asks for the report.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace paste {

enum class PasteOutcome {
  Pasted,          // the target (the foreground window's process at the keys) read it
  ReadByOther,     // only other programs were seen reading it (a clipboard tool may hide a later
                   // read of the target's: once rendered, the data is read without asking us)
  NotRead,         // nobody read it within the unread time
  ElevatedTarget,  // no keys sent: Windows drops them; the transcript stays on the clipboard
  ClipboardBusy,   // the clipboard could not be opened or set; nothing pasted
  Replaced,        // another program put new content on the clipboard before the target read it
  Cancelled,       // the app was closing; no keys sent for it (a typing: no more keys)
  Typed,           // a typing sent all of its keys
  Interrupted,     // a typing stopped early: the user pressed a key or the focus moved
};

struct PasteReport {
  PasteOutcome outcome = PasteOutcome::Cancelled;
  // The file name of the foreground window's executable at the keys ("notepad.exe"), UTF-8;
  // empty when unknown or when no keys were due yet.
  std::string target;
  // A typing's UTF-16 units sent, so the Dart side can offer the rest; nothing for a paste.
  std::optional<std::size_t> typed;
};

// The channel's name of the outcome: "pasted", "readByOther", ...
const char* outcomeName(PasteOutcome outcome);

}  // namespace paste
