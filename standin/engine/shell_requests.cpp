#include "standin/engine/shell_requests.h"

#include "engine_client/engine_api.h"

namespace {

bool (*hookDropper)(void*) = nullptr;
void* hookDropperContext = nullptr;

}  // namespace

namespace standin {

bool DropShellKeyboardHook() { return hookDropper != nullptr && hookDropper(hookDropperContext); }

}  // namespace standin

// Null `dropper` withdraws the registration.
extern "C" MURMURLY_ENGINE_API void MurmurlyStandinSetHookDropper(bool (*dropper)(void*),
                                                                  void* context) {
  hookDropper = dropper;
  hookDropperContext = context;
}
