// MethodCall: one decoded or locally built channel call, a method name and its arguments.
// Decoded calls always carry arguments (null when the message had none); calls built locally for
// InvokeMethod may carry none.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "engine_client/encodable_value.h"

class MethodCall {
 public:
  MethodCall(std::string methodName, std::unique_ptr<EncodableValue> arguments)
      : methodName_(std::move(methodName)), arguments_(std::move(arguments)) {}
  virtual ~MethodCall() = default;
  MethodCall(const MethodCall&) = delete;
  MethodCall& operator=(const MethodCall&) = delete;

  const std::string& MethodName() const { return methodName_; }
  // Null when the call was built without arguments.
  const EncodableValue* Arguments() const { return arguments_.get(); }

 private:
  std::string methodName_;
  std::unique_ptr<EncodableValue> arguments_;
};
