// The one way the paste thread sends synthesized keys: every batch (a paste's chord with the
// modifiers released and pressed again around it, a batch of typed text) goes through here.
//
// SendInput puts the records in one by one and stops at the first it cannot: input blocked
// (BlockInput, a secure desktop), or a window of higher integrity in front since the batch was
// made. A key the batch pressed before the stop would stay down for the whole system until the
// user tapped it. So when fewer records went in than were given, the key-ups owed for every key
// the batch left down follow at once (newest first, each a copy of its key-down with the key-up
// flag: same scan code, signature and Unicode unit), checked again, with a diagnostic line.
// Portable; the paste thread.
#pragma once

#include <span>

#include "platform/platform.h"
#include "platform/win_types.h"

namespace paste {

// Sends `keys` (records built with platform::ownKeyInput or Unicode records with the same
// signature) and returns how many went in; `keys.size()` when all did.
UINT checkedSend(platform::Platform& platform, std::span<INPUT> keys);

}  // namespace paste
