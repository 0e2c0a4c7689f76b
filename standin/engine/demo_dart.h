// DemoDart: the built-in Dart side. Behaves like the real app: sets its strings and the hotkey,
// starts listening, checks the microphone, and on each release "transcribes" for half a second
// and pastes the `--transcript <text>` argument (or a default sentence), then hides the overlay.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine_client/encodable_value.h"
#include "standin/engine/dart_side.h"
#include "standin/engine/engine_host.h"

namespace standin {

class DemoDart : public DartSide {
 public:
  explicit DemoDart(EngineHost& host);

  void Run() override;
  bool Receive(const std::string& channel, const std::vector<uint8_t>& message,
               ReplyFn reply) override;
  void Notice(const std::string&) override {}
  void Stop() override { stopped = true; }

 private:
  using SuccessFn = std::function<void(const EncodableValue*)>;
  void Call(const std::string& channel, const std::string& method,
            std::unique_ptr<EncodableValue> arguments, SuccessFn onSuccess = nullptr);
  void PasteTranscript();

  EngineHost& host;
  std::string transcript = "Hello from murmurly.";
  bool stopped = false;
};

}  // namespace standin
