#include "standin/engine/demo_dart.h"

#include "engine_client/method_call.h"
#include "engine_client/method_result.h"
#include "engine_client/standard_method_codec.h"

namespace standin {
namespace {

constexpr char kHotkeyChannel[] = "murmurly/global_hotkey";
constexpr char kPermissionsChannel[] = "murmurly/permissions";
constexpr unsigned kTranscribeMilliseconds = 500;

// Turns a reply envelope into a call of `onSuccess`; errors and missing methods are only shown.
class DemoResult : public MethodResult {
 public:
  DemoResult(EngineHost& host, std::string method, std::function<void(const EncodableValue*)> ok)
      : host(host), method(std::move(method)), ok(std::move(ok)) {}

 protected:
  void SuccessInternal(const EncodableValue* result) override {
    if (ok) ok(result);
  }
  void ErrorInternal(const std::string& code, const std::string&, const EncodableValue*) override {
    host.ShowStatus("last error", method + ": " + code);
  }
  void NotImplementedInternal() override { host.ShowStatus("last error", method + ": missing"); }

 private:
  EngineHost& host;
  std::string method;
  std::function<void(const EncodableValue*)> ok;
};

std::unique_ptr<EncodableValue> Map(EncodableValueMap map) {
  return std::make_unique<EncodableValue>(std::move(map));
}

}  // namespace

DemoDart::DemoDart(EngineHost& host) : host(host) {
  const std::vector<std::string>& arguments = host.EntrypointArguments();
  for (size_t i = 0; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == "--transcript") transcript = arguments[i + 1];
  }
}

void DemoDart::Run() {
  Call(kHotkeyChannel, "setLocalizedStrings",
       Map({{EncodableValue("listening"), EncodableValue("Listening...")},
            {EncodableValue("transcribing"), EncodableValue("Transcribing...")}}));
  Call(kHotkeyChannel, "setHotkey",
       Map({{EncodableValue("label"), EncodableValue("Left Shift + Left Ctrl")}}),
       [this](const EncodableValue*) { host.ShowStatus("hotkey", "Left Shift + Left Ctrl"); });
  Call(kHotkeyChannel, "startListening", nullptr,
       [this](const EncodableValue*) { host.ShowStatus("state", "listening"); });
  Call(kPermissionsChannel, "checkMicrophone", nullptr, [this](const EncodableValue* status) {
    const auto* text = status != nullptr ? std::get_if<std::string>(status) : nullptr;
    host.ShowStatus("microphone", text != nullptr ? *text : "?");
  });
}

bool DemoDart::Receive(const std::string& channel, const std::vector<uint8_t>& message,
                       ReplyFn reply) {
  if (stopped) return false;
  if (reply) {
    // The demo implements no methods of its own; answered later, as Dart would.
    host.PostTask([reply = std::move(reply)] { reply({}); });
  }
  if (channel != kHotkeyChannel) return true;
  std::unique_ptr<MethodCall> call =
      StandardMethodCodec::GetInstance().DecodeMethodCall(message.data(), message.size());
  if (!call) return true;
  const std::string& event = call->MethodName();
  host.ShowStatus("last event", event);
  if (event == "onHotkeyDown") {
    host.ShowStatus("state", "recording");
  } else if (event == "onHotkeyUp") {
    host.ShowStatus("state", "transcribing");
    host.PostDelayedTask(kTranscribeMilliseconds, [this] { PasteTranscript(); });
  } else if (event == "onHotkeyCancelled" || event == "onHotkeyWhileFocused") {
    host.ShowStatus("state", "listening");
  }
  return true;
}

void DemoDart::PasteTranscript() {
  if (stopped) return;
  Call(kHotkeyChannel, "pasteText", Map({{EncodableValue("text"), EncodableValue(transcript)}}),
       [this](const EncodableValue*) { host.ShowStatus("pasted", transcript); });
  Call(kHotkeyChannel, "hideOverlay", nullptr,
       [this](const EncodableValue*) { host.ShowStatus("state", "listening"); });
}

void DemoDart::Call(const std::string& channel, const std::string& method,
                    std::unique_ptr<EncodableValue> arguments, SuccessFn onSuccess) {
  const StandardMethodCodec& codec = StandardMethodCodec::GetInstance();
  std::unique_ptr<std::vector<uint8_t>> bytes =
      codec.EncodeMethodCall(MethodCall(method, std::move(arguments)));
  auto result = std::make_shared<DemoResult>(host, method, std::move(onSuccess));
  host.DeliverFromDart(channel, *bytes, [this, result, &codec](const std::vector<uint8_t>& reply) {
    if (stopped) return;
    if (reply.empty()) {
      result->NotImplemented();
    } else if (!codec.DecodeAndProcessResponseEnvelope(reply.data(), reply.size(), result.get())) {
      host.ShowStatus("last error", "undecodable reply");
    }
  });
}

}  // namespace standin
