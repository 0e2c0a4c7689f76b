#include "paste/foreground_target.h"

#include <algorithm>
#include <string_view>

#include "platform/processes.h"
#include "platform/window_system.h"

namespace paste {
namespace {

bool asciiEqualNoCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

}  // namespace

ForegroundTarget foregroundTarget(platform::Platform& platform) {
  platform::Processes& processes = *platform.processes;
  ForegroundTarget target;
  target.window = platform.windows->GetForegroundWindow();
  target.thread = processes.GetWindowThreadProcessId(target.window, &target.process);
  if (target.process == 0) return target;
  target.name = processes.processFileName(target.process);
  // A UWP app's frame window belongs to ApplicationFrameHost; the app is its CoreWindow's.
  if (asciiEqualNoCase(target.name, "ApplicationFrameHost.exe")) {
    DWORD app = 0;
    const DWORD appThread = processes.GetWindowThreadProcessId(
        platform.windows->FindWindowExW(target.window, nullptr,
                                        platform::W(u"Windows.UI.Core.CoreWindow"), nullptr),
        &app);
    if (app != 0) {  // a suspended app's window is not in its frame
      target.process = app;
      target.thread = appThread;
      target.name = processes.processFileName(app);
    }
  }
  target.elevated = processes.processIntegrityLevel(target.process) >
                    processes.processIntegrityLevel(processes.GetCurrentProcessId());
  return target;
}

}  // namespace paste
