#include "hotkey/hotkey_channel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "engine_client/encodable_value.h"
#include "engine_client/method_call.h"
#include "engine_client/method_channel.h"
#include "engine_client/method_result.h"
#include "engine_client/standard_method_codec.h"
#include "hotkey/global_hotkey.h"
#include "paste/paste_service.h"
#include "platform/trace.h"
#include "text/utf8_to_utf16.h"

namespace {

const EncodableValueMap* argumentMap(const MethodCall& call) {
  const EncodableValue* arguments = call.Arguments();
  return arguments != nullptr ? std::get_if<EncodableValueMap>(arguments) : nullptr;
}

// The value under `key` if the arguments are a map holding that key.
const EncodableValue* argumentValue(const MethodCall& call, const char* key) {
  const EncodableValueMap* map = argumentMap(call);
  if (map == nullptr) {
    return nullptr;
  }
  const auto entry = map->find(EncodableValue(key));
  return entry != map->end() ? &entry->second : nullptr;
}

// The value under `key` if the arguments are a map holding that key with alternative T.
template <typename T>
const T* argument(const MethodCall& call, const char* key) {
  const EncodableValue* value = argumentValue(call, key);
  return value != nullptr ? std::get_if<T>(value) : nullptr;
}

// An optional argument: absent or null counts as not given.
const EncodableValue* optionalArgument(const MethodCall& call, const char* key) {
  const EncodableValue* value = argumentValue(call, key);
  return value != nullptr && !value->IsNull() ? value : nullptr;
}

// Longest hotkey label in UTF-16 units: a label is a few key names, and a huge one would hold the
// main thread while it is parsed and drawn.
constexpr std::size_t kMaxLabelUnits = 256;

// Whether `label` converts to more than kMaxLabelUnits units. Every unit takes at most three
// bytes, and a sequence cut at the end changes only the last unit, so converting the first
// 3 * (kMaxLabelUnits + 2) bytes decides it whatever the label's length.
bool labelTooLong(const std::string& label) {
  return text::toWide(label.substr(0, 3 * (kMaxLabelUnits + 2))).size() > kMaxLabelUnits;
}

void invalidArgs(MethodResult& result, const char* message) {
  result.Error("INVALID_ARGS", message);
}

EncodableValue reportValue(const paste::PasteReport& report, bool typing) {
  EncodableValueMap map{
      {EncodableValue("outcome"), EncodableValue(paste::outcomeName(report.outcome))},
      {EncodableValue("target"), EncodableValue(report.target)}};
  if (typing) {
    map.emplace(EncodableValue("typed"),
                EncodableValue(static_cast<std::int64_t>(report.typed.value_or(0))));
  }
  return EncodableValue(std::move(map));
}

// Typing's pace: from one that any target keeps up with to one that only fast ones do.
constexpr double kMinCharsPerSecond = 10;
constexpr double kMaxCharsPerSecond = 5000;

// A number of any of the codec's kinds.
std::optional<double> number(const EncodableValue& value) {
  if (const auto* small = std::get_if<std::int32_t>(&value)) return *small;
  if (const auto* large = std::get_if<std::int64_t>(&value)) return static_cast<double>(*large);
  if (const auto* real = std::get_if<double>(&value)) return *real;
  return std::nullopt;
}

// The optional arguments of typing, into `request`; the error message for one that is wrong.
const char* parseInsertion(const MethodCall& call, paste::PasteRequest& request) {
  if (const EncodableValue* method = optionalArgument(call, "method")) {
    const auto* name = std::get_if<std::string>(method);
    if (name != nullptr && *name == "type") {
      request.method = paste::InsertMethod::Type;
    } else if (name == nullptr || *name != "paste") {
      return "Unknown method";
    }
  }
  if (const EncodableValue* newline = optionalArgument(call, "newline")) {
    const auto* label = std::get_if<std::string>(newline);
    if (label == nullptr || *label != "Shift + Enter") return "Unknown newline";
    request.shiftEnter = true;
  }
  if (const EncodableValue* pace = optionalArgument(call, "charsPerSecond")) {
    const std::optional<double> perSecond = number(*pace);
    if (!perSecond || !(*perSecond >= kMinCharsPerSecond && *perSecond <= kMaxCharsPerSecond)) {
      return "Invalid charsPerSecond";
    }
    request.charsPerSecond = *perSecond;
  }
  return nullptr;
}

// "pasteText": "text", then the optional "keys" (a chord's label), "method" ("paste" or "type"),
// "newline" and "charsPerSecond" (typing) and "report" (a bool), each checked before anything is
// inserted. The reply tells the Dart side the insertion is over, so it waits for the paste
// thread: null, or with "report": true the outcome, the target and, for a typing, the UTF-16
// units typed.
void pasteText(GlobalHotkey& hotkey, paste::PasteService& paste, const MethodCall& call,
               std::unique_ptr<MethodResult> result) {
  const auto* text = argument<std::string>(call, "text");
  if (text == nullptr) {
    return invalidArgs(*result, "Missing text");
  }
  paste::PasteRequest request{*text, std::nullopt};
  if (const EncodableValue* keys = optionalArgument(call, "keys")) {
    const auto* label = std::get_if<std::string>(keys);
    request.chord = label != nullptr ? paste::pasteChordFromLabel(*label) : std::nullopt;
    if (!request.chord) {
      return invalidArgs(*result, "Unknown paste keys");
    }
  }
  if (const char* error = parseInsertion(call, request)) {
    return invalidArgs(*result, error);
  }
  bool report = false;
  if (const EncodableValue* value = optionalArgument(call, "report")) {
    const bool* wanted = std::get_if<bool>(value);
    if (wanted == nullptr) {
      return invalidArgs(*result, "Invalid report");
    }
    report = *wanted;
  }
  platform::Trace* trace = hotkey.platform().trace;
  if (trace != nullptr) trace->mark(platform::phase::kPasteReceived);
  std::shared_ptr<MethodResult> pending(std::move(result));
  const bool typing = request.method == paste::InsertMethod::Type;
  paste.pasteText(std::move(request),
                  [pending, trace, report, typing](const paste::PasteReport& over) {
                    if (report) {
                      pending->Success(reportValue(over, typing));
                    } else {
                      pending->Success();
                    }
                    if (trace != nullptr) trace->mark(platform::phase::kReplySent);
                  });
}

}  // namespace

void RegisterHotkeyChannel(GlobalHotkey& hotkey, paste::PasteService& paste,
                           BinaryMessenger* messenger) {
  auto channel = std::make_unique<MethodChannel>(messenger, "murmurly/global_hotkey",
                                                 &StandardMethodCodec::GetInstance());
  channel->SetMethodCallHandler(
      [&hotkey, &paste](const MethodCall& call, std::unique_ptr<MethodResult> result) {
        HandleHotkeyCall(hotkey, paste, call, std::move(result));
      });
  hotkey.setChannel(std::move(channel));
}

void HandleHotkeyCall(GlobalHotkey& hotkey, paste::PasteService& paste, const MethodCall& call,
                      std::unique_ptr<MethodResult> result) {
  const std::string& method = call.MethodName();
  if (method == "startListening") {
    hotkey.startListening();
  } else if (method == "stopListening") {
    hotkey.stopListening();
  } else if (method == "setHotkey") {
    const auto* label = argument<std::string>(call, "label");
    if (label == nullptr) {
      return invalidArgs(*result, "Missing label");
    }
    if (labelTooLong(*label)) {
      return invalidArgs(*result, "Label too long");
    }
    hotkey.applyHotkeyFromLabel(*label);
  } else if (method == "hideOverlay") {
    hotkey.hideOverlay();
  } else if (method == "setOverlayEnabled") {
    const bool* enabled = argument<bool>(call, "enabled");
    if (enabled == nullptr) {
      return invalidArgs(*result, "Missing enabled");
    }
    hotkey.setOverlayEnabled(*enabled);
  } else if (method == "setLocalizedStrings") {
    const EncodableValueMap* texts = argumentMap(call);
    if (texts == nullptr) {
      return invalidArgs(*result, "Missing args");
    }
    hotkey.setLocalizedStrings(*texts);
  } else if (method == "setFocusCheckEnabled") {
    const bool* enabled = argument<bool>(call, "enabled");
    if (enabled == nullptr) {
      return invalidArgs(*result, "Missing enabled");
    }
    hotkey.setFocusCheckEnabled(*enabled);
  } else if (method == "setOverlayTranscript") {
    const auto* text = argument<std::string>(call, "text");
    if (text == nullptr) {
      return invalidArgs(*result, "Missing text");
    }
    hotkey.setOverlayTranscript(*text);
  } else if (method == "pasteText") {
    return pasteText(hotkey, paste, call, std::move(result));
  } else {
    return result->NotImplemented();
  }
  result->Success();
}
