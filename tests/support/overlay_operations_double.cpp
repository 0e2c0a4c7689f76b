// TEST DOUBLE, linked only while the overlay library does not exist yet: the overlay operations
// the hold state machine calls, doing nothing, so the hotkey tests link on their own.
// tests/hotkey.cmake stops linking it as soon as a murmurly_overlay target exists.
#include "hotkey/global_hotkey.h"

void GlobalHotkey::showListeningLook() {}
void GlobalHotkey::showTranscribingLook() {}
void GlobalHotkey::fadeOutRecordingOverlay() {}
void GlobalHotkey::hideRecordingOverlay() {}
void GlobalHotkey::showHintOverlay() {}
