#include "standin/engine/shell_requests.h"

#include "engine_client/engine_api.h"

namespace {

void (*hookDropper)(void*) = nullptr;
void* hookDropperContext = nullptr;

}  // namespace

namespace standin {

bool DropShellKeyboardHook() {
  if (hookDropper == nullptr) return false;
  hookDropper(hookDropperContext);
  return true;
}

}  // namespace standin

// Null `dropper` withdraws the registration.
extern "C" MURMURLY_ENGINE_API void MurmurlyStandinSetHookDropper(void (*dropper)(void*),
                                                                  void* context) {
  hookDropper = dropper;
  hookDropperContext = context;
}
