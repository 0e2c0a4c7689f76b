// The contract suite on the real platform: waiting runs this thread's message loop, which is
// where Windows calls the low-level hooks and thread-timer procedures.
#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "tests/contract/platform_harness.h"

namespace contract {
namespace {

class Win32Harness final : public PlatformHarness {
 public:
  platform::Platform& platform() override { return platform::Win32Platform(); }
  bool waitFor(const std::function<bool()>& done, int timeoutMs) override {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!done()) {
      if (::GetTickCount64() >= end) return false;
      MSG message;
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<PlatformHarness> makeHarness() { return std::make_unique<Win32Harness>(); }

}  // namespace contract
