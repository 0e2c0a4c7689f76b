// The "murmurly/global_hotkey" method channel: the Dart side's calls into the controller (listen,
// hotkey, overlays, texts) and the paste, and the controller's four events back. It sits above
// both; the controller owns the channel, and the handler holds no state of its own. Main thread.
#pragma once

#include <memory>

class BinaryMessenger;
class GlobalHotkey;
class MethodCall;
class MethodResult;
namespace paste {
class PasteService;
}

// Builds the channel on the messenger, hands it to the controller (destroying any earlier one) and
// installs HandleHotkeyCall bound to the controller and the paste.
void RegisterHotkeyChannel(GlobalHotkey& hotkey, paste::PasteService& paste,
                           BinaryMessenger* messenger);

// Answers one call exactly once: Success without a value, "INVALID_ARGS" for arguments of the
// wrong shape (leaving the controller unchanged), NotImplemented for any other method name.
// "pasteText" is answered only when its paste is over, from the paste's `over`: null, or the
// outcome and target when the call asked for the report.
void HandleHotkeyCall(GlobalHotkey& hotkey, paste::PasteService& paste, const MethodCall& call,
                      std::unique_ptr<MethodResult> result);
