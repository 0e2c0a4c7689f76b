// The microphone check of the permissions channel: whether Media Foundation can enumerate at least
// one audio capture device right now. Windows has no grant to ask for, so presence is the answer.
#pragma once

#include <string>

#include "platform/platform.h"

// Returns "authorized" (one or more devices), "denied" (none, or the enumeration failed) or
// "notDetermined" (Media Foundation could not be set up). Starts and stops Media Foundation on
// every call, so the answer reflects the devices present at that moment; nothing is cached.
std::string QueryMicrophoneStatus(platform::Platform& platform);
