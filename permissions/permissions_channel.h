// The "murmurly/permissions" method channel: fixed accessibility answers (Windows has no such
// grant), the microphone status from Media Foundation, and a link to the privacy settings page.
// Every call is answered before the handler returns; no call is ever answered with an error.
#pragma once

#include <memory>

#include "platform/platform.h"

class BinaryMessenger;
class MethodCall;
class MethodChannel;
class MethodResult;

// Builds the channel on the messenger, stores it in the slot (destroying what the slot held) and
// installs HandlePermissionsCall. The platform must outlive the channel.
void RegisterPermissionsChannel(std::unique_ptr<MethodChannel>& slot, BinaryMessenger* messenger,
                                platform::Platform& platform);

// Answers one call by its method name; the arguments are never read.
void HandlePermissionsCall(platform::Platform& platform, const MethodCall& call,
                           std::unique_ptr<MethodResult> result);
