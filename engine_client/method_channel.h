// MethodChannel: a named channel carrying method calls in the standard method codec.
//
// Incoming bytes become a MethodCall and an owned MethodResult for the handler; outgoing calls
// are encoded and sent over the messenger. The channel must not outlive the engine wrapper that
// owns its messenger.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine_client/binary_messenger.h"
#include "engine_client/encodable_value.h"
#include "engine_client/method_call.h"
#include "engine_client/method_result.h"
#include "engine_client/standard_method_codec.h"

using MethodCallHandlerFn =
    std::function<void(const MethodCall& call, std::unique_ptr<MethodResult> result)>;

class MethodChannel {
 public:
  MethodChannel(BinaryMessenger* messenger, std::string name, const StandardMethodCodec* codec);

  // Installs the handler for incoming calls; an empty handler removes it.
  void SetMethodCallHandler(MethodCallHandlerFn handler) const;

  // Calls `method` on the Dart side; `result`, when given, receives the answer.
  void InvokeMethod(const std::string& method, std::unique_ptr<EncodableValue> arguments,
                    std::unique_ptr<MethodResult> result = nullptr) const;

 private:
  BinaryMessenger* messenger;
  std::string name;
  const StandardMethodCodec* codec;
};
