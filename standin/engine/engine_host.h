// EngineHost: what a Dart side may ask of the stand-in engine. Platform thread unless noted.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "standin/engine/dart_side.h"

namespace standin {

class EngineHost {
 public:
  virtual ~EngineHost() = default;
  // A platform message from Dart to the callback registered for `channel`.
  virtual void DeliverFromDart(const std::string& channel, const std::vector<uint8_t>& message,
                               ReplyFn reply) = 0;
  // Any thread.
  virtual void PostTask(std::function<void()> task) = 0;
  virtual void PostDelayedTask(unsigned milliseconds, std::function<void()> task) = 0;
  virtual void ProduceFrame() = 0;
  // WM_CLOSE to the top-level window holding the view (now, or once it is known).
  virtual void CloseTopLevelWindow() = 0;
  virtual void ShowStatus(const std::string& key, const std::string& value) = 0;
  virtual const std::vector<std::string>& EntrypointArguments() const = 0;
};

}  // namespace standin
