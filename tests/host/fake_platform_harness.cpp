// The contract suite on the fake platform: time passes in 1 ms steps of virtual time.
#include "tests/contract/platform_harness.h"
#include "tests/support/fake_platform.h"

namespace contract {
namespace {

class FakeHarness final : public PlatformHarness {
 public:
  platform::Platform& platform() override { return fake_.platform(); }
  bool waitFor(const std::function<bool()>& done, int timeoutMs) override {
    for (int elapsed = 0; elapsed < timeoutMs; ++elapsed) {
      if (done()) return true;
      fake_.advance(1);
    }
    return done();
  }

 private:
  fake::FakePlatform fake_;
};

}  // namespace

std::unique_ptr<PlatformHarness> makeHarness() { return std::make_unique<FakeHarness>(); }

}  // namespace contract
