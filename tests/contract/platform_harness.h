// What the platform contract suite needs from each platform it runs on: the platform, and a way
// to let time pass with the thread's messages running (virtual time on the fake, the message loop
// on Windows).
#pragma once

#include <functional>
#include <memory>

#include "platform/platform.h"

namespace contract {

class PlatformHarness {
 public:
  virtual ~PlatformHarness() = default;
  virtual platform::Platform& platform() = 0;
  // Runs timers and messages until `done` holds (true) or `timeoutMs` has passed (false).
  virtual bool waitFor(const std::function<bool()>& done, int timeoutMs) = 0;
};

// Each instantiation of the suite defines this for its platform.
std::unique_ptr<PlatformHarness> makeHarness();

}  // namespace contract
