#include "shell/standin_requests.h"

#include <windows.h>

namespace {

using SetHookDropper = void (*)(bool (*)(void*), void*);

SetHookDropper findSetHookDropper() {
  const HMODULE engine = ::GetModuleHandleW(L"flutter_windows.dll");
  if (engine == nullptr) return nullptr;
  return reinterpret_cast<SetHookDropper>(
      reinterpret_cast<void*>(::GetProcAddress(engine, "MurmurlyStandinSetHookDropper")));
}

// The hook installed now, a repaired one included; false when there is none to remove.
bool dropHook(void* context) {
  const HHOOK hook = static_cast<GlobalHotkey*>(context)->hookHandle();
  return hook != nullptr && ::UnhookWindowsHookEx(hook) != FALSE;
}

}  // namespace

void OfferStandinRequests(GlobalHotkey& hotkey) {
  if (const SetHookDropper set = findSetHookDropper()) set(dropHook, &hotkey);
}

void WithdrawStandinRequests() {
  if (const SetHookDropper set = findSetHookDropper()) set(nullptr, nullptr);
}
