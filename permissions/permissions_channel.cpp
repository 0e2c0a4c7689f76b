#include "permissions/permissions_channel.h"

#include <string>
#include <utility>

#include "engine_client/encodable_value.h"
#include "engine_client/method_call.h"
#include "engine_client/method_channel.h"
#include "engine_client/method_result.h"
#include "engine_client/standard_method_codec.h"
#include "permissions/microphone_status.h"
#include "permissions/privacy_page.h"
#include "platform/debug_output.h"

namespace {

void answerMicrophoneStatus(platform::Platform& platform, const std::string& method,
                            MethodResult& result) {
  const std::string status = QueryMicrophoneStatus(platform);
  const std::string line = "[Permissions] " + method + ": " + status + "\n";
  platform.debug->OutputDebugStringA(line.c_str());
  result.Success(EncodableValue(status));
}

}  // namespace

void RegisterPermissionsChannel(std::unique_ptr<MethodChannel>& slot, BinaryMessenger* messenger,
                                platform::Platform& platform) {
  slot = std::make_unique<MethodChannel>(messenger, "murmurly/permissions",
                                         &StandardMethodCodec::GetInstance());
  slot->SetMethodCallHandler(
      [&platform](const MethodCall& call, std::unique_ptr<MethodResult> result) {
        HandlePermissionsCall(platform, call, std::move(result));
      });
}

void HandlePermissionsCall(platform::Platform& platform, const MethodCall& call,
                           std::unique_ptr<MethodResult> result) {
  const std::string& method = call.MethodName();
  if (method == "checkAccessibility") {
    platform.debug->OutputDebugStringA("[Permissions] checkAccessibility: true (Windows)\n");
    result->Success(EncodableValue(true));
  } else if (method == "requestAccessibility") {
    platform.debug->OutputDebugStringA("[Permissions] requestAccessibility: no-op (Windows)\n");
    result->Success();
  } else if (method == "checkMicrophone" || method == "requestMicrophone") {
    // Requesting shows no system prompt on Windows: it is the same check.
    answerMicrophoneStatus(platform, method, *result);
  } else if (method == "openMicrophoneSettings") {
    ShowMicrophonePrivacyPage(platform);
    result->Success();
  } else {
    result->NotImplemented();
  }
}
