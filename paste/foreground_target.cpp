#include "paste/foreground_target.h"

#include "platform/processes.h"
#include "platform/window_system.h"

namespace paste {

ForegroundTarget foregroundTarget(platform::Platform& platform) {
  platform::Processes& processes = *platform.processes;
  ForegroundTarget target;
  target.window = platform.windows->GetForegroundWindow();
  target.thread = processes.GetWindowThreadProcessId(target.window, &target.process);
  if (target.process == 0) return target;
  target.name = processes.processFileName(target.process);
  target.elevated = processes.processIntegrityLevel(target.process) >
                    processes.processIntegrityLevel(processes.GetCurrentProcessId());
  return target;
}

}  // namespace paste
