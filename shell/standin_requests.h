// Test requests the stand-in engine can make of the shell (standin/engine/shell_requests.h): here,
// removing the hotkey's keyboard hook behind the controller's back, as Windows does with a hook
// that missed its time limit, so tests can watch the self-repair. The stand-in exports
// "MurmurlyStandinSetHookDropper"; a real engine does not, and then this does nothing. Main thread.
#pragma once

#include "hotkey/global_hotkey.h"

// Offers `hotkey`'s hook to the stand-in until WithdrawStandinRequests.
void OfferStandinRequests(GlobalHotkey& hotkey);
void WithdrawStandinRequests();
