#include "shell/standin_requests.h"

#include <windows.h>

namespace {

using SetHookDropper = void (*)(void (*)(void*), void*);

SetHookDropper findSetHookDropper() {
  const HMODULE engine = ::GetModuleHandleW(L"flutter_windows.dll");
  if (engine == nullptr) return nullptr;
  return reinterpret_cast<SetHookDropper>(
      reinterpret_cast<void*>(::GetProcAddress(engine, "MurmurlyStandinSetHookDropper")));
}

void dropHook(void* context) {
  ::UnhookWindowsHookEx(static_cast<GlobalHotkey*>(context)->hookHandle());
}

}  // namespace

void OfferStandinRequests(GlobalHotkey& hotkey) {
  if (const SetHookDropper set = findSetHookDropper()) set(dropHook, &hotkey);
}

void WithdrawStandinRequests() {
  if (const SetHookDropper set = findSetHookDropper()) set(nullptr, nullptr);
}
