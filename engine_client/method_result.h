// MethodResult: the one-shot answer to a method call, handed to the handler as an owned pointer.
// Exactly one of Success, Error or NotImplemented is meant to be called; what a second call does
// is up to the implementation (EngineMethodResult reports and ignores it).
#pragma once

#include <string>

#include "engine_client/encodable_value.h"

class MethodResult {
 public:
  MethodResult() = default;
  virtual ~MethodResult() = default;
  MethodResult(const MethodResult&) = delete;
  MethodResult& operator=(const MethodResult&) = delete;

  void Success(const EncodableValue& result) { SuccessInternal(&result); }
  // Answers with null.
  void Success() { SuccessInternal(nullptr); }

  void Error(const std::string& code, const std::string& message, const EncodableValue& details) {
    ErrorInternal(code, message, &details);
  }
  void Error(const std::string& code, const std::string& message = "") {
    ErrorInternal(code, message, nullptr);
  }

  void NotImplemented() { NotImplementedInternal(); }

 protected:
  // `result` and `details` are null when there is none.
  virtual void SuccessInternal(const EncodableValue* result) = 0;
  virtual void ErrorInternal(const std::string& code, const std::string& message,
                             const EncodableValue* details) = 0;
  virtual void NotImplementedInternal() = 0;
};
