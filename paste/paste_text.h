// Inserting text into the foreground application the way a user would: the text goes on the
// clipboard, Ctrl+V is synthesised, and after 300 ms what the clipboard held before is put back.
//
// Runs synchronously on the main thread and blocks it for at least 350 ms. Never fails towards
// its caller: a clipboard that cannot be had is reported with one diagnostic line on the
// platform's debug output. Called by the hotkey channel; knows nothing of the controller.
#pragma once

#include <string>

#include "platform/platform.h"

void pasteText(platform::Platform& platform, const std::string& text);
