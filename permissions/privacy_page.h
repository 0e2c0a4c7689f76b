// Opens the system's microphone privacy settings page. Whether it opened is not reported: the
// Dart side has no use for the failure and the call is answered with success either way.
#pragma once

#include "platform/platform.h"

void ShowMicrophonePrivacyPage(platform::Platform& platform);
