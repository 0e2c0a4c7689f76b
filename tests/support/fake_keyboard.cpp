#include "tests/support/fake_keyboard.h"

#include <algorithm>
#include <utility>

namespace fake {
namespace {

// The low-level hook never sees the side-less codes: Windows reports them as the left key,
// or the right one for an extended Ctrl or Alt.
DWORD sidedKey(DWORD vk, DWORD inputFlags) {
  const bool extended = (inputFlags & KEYEVENTF_EXTENDEDKEY) != 0;
  switch (vk) {
    case VK_SHIFT:
      return VK_LSHIFT;
    case VK_CONTROL:
      return extended ? VK_RCONTROL : VK_LCONTROL;
    case VK_MENU:
      return extended ? VK_RMENU : VK_LMENU;
    default:
      return vk;
  }
}

}  // namespace

HHOOK FakeKeyboard::SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE, DWORD) {
  if (failNextHook) {
    failNextHook = false;
    return nullptr;
  }
  if ((idHook != WH_KEYBOARD_LL && idHook != WH_MOUSE_LL) || proc == nullptr) return nullptr;
  nextHandle_ += 0x10;
  const HHOOK handle = reinterpret_cast<HHOOK>(nextHandle_);
  std::vector<Hook>& chain = idHook == WH_MOUSE_LL ? mouseHooks_ : hooks_;
  chain.insert(chain.begin(), Hook{handle, proc});
  return handle;
}

BOOL FakeKeyboard::UnhookWindowsHookEx(HHOOK hook) {
  for (std::vector<Hook>* chain : {&hooks_, &mouseHooks_}) {
    const auto it = std::find_if(chain->begin(), chain->end(),
                                 [hook](const Hook& h) { return h.handle == hook; });
    if (it == chain->end()) continue;
    chain->erase(it);
    return TRUE;
  }
  return FALSE;
}

LRESULT FakeKeyboard::CallNextHookEx(HHOOK, int code, WPARAM wParam, LPARAM lParam) {
  return callFrom(nextInChain_, code, wParam, lParam);
}

LRESULT FakeKeyboard::callFrom(std::size_t index, int code, WPARAM wParam, LPARAM lParam) {
  if (index >= running_->size()) return 0;
  const std::size_t saved = nextInChain_;
  nextInChain_ = index + 1;
  const LRESULT result = (*running_)[index].proc(code, wParam, lParam);
  nextInChain_ = saved;
  return result;
}

SHORT FakeKeyboard::GetAsyncKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  return isDown(static_cast<DWORD>(vk)) ? static_cast<SHORT>(0x8000) : 0;
}

bool FakeKeyboard::isDown(DWORD vk) const {
  switch (vk) {
    case VK_SHIFT:
      return down_[VK_LSHIFT] || down_[VK_RSHIFT];
    case VK_CONTROL:
      return down_[VK_LCONTROL] || down_[VK_RCONTROL];
    case VK_MENU:
      return down_[VK_LMENU] || down_[VK_RMENU];
    default:
      return vk < 256 && down_[vk];
  }
}

void FakeKeyboard::setKeyDown(DWORD vk, bool down) {
  if (vk < 256) down_[vk] = down;
}

UINT FakeKeyboard::SendInput(UINT count, INPUT* inputs, int size) {
  if (inputs == nullptr || size != static_cast<int>(sizeof(INPUT))) return 0;
  if (!nextSendTakes.empty()) {
    count = std::min(count, nextSendTakes.front());
    nextSendTakes.pop_front();
  }
  ++dispatchDepth_;  // one burst: what the hook posts waits for the whole batch
  for (UINT i = 0; i < count; ++i) {
    if (inputs[i].type != INPUT_KEYBOARD) continue;
    const KEYBDINPUT& key = inputs[i].ki;
    DWORD flags = LLKHF_INJECTED;
    if (key.dwFlags & KEYEVENTF_EXTENDEDKEY) flags |= LLKHF_EXTENDED;
    // A Unicode record reaches the hook as VK_PACKET with its unit as the scan code.
    const bool unicode = (key.dwFlags & KEYEVENTF_UNICODE) != 0;
    dispatch((key.dwFlags & KEYEVENTF_KEYUP) != 0,
             unicode ? VK_PACKET : sidedKey(key.wVk, key.dwFlags), key.wScan, flags,
             key.dwExtraInfo, key.time);
  }
  if (--dispatchDepth_ == 0) burstOver();
  return count;
}

UINT FakeKeyboard::MapVirtualKeyW(UINT code, UINT mapType) {
  constexpr std::pair<UINT, UINT> kScanCodes[] = {
      {VK_LSHIFT, 0x2A}, {VK_RSHIFT, 0x36}, {VK_LCONTROL, 0x1D}, {VK_RCONTROL, 0x1D},
      {VK_LMENU, 0x38},  {VK_RMENU, 0x38},  {VK_LWIN, 0x5B},     {VK_RWIN, 0x5C},
      {'V', 0x2F},       {VK_INSERT, 0x52}, {VK_RETURN, 0x1C},   {VK_TAB, 0x0F}};
  for (const auto& [vk, scan] : kScanCodes) {
    if (vk == code && mapType == MAPVK_VK_TO_VSC) return scan;
  }
  return 0;
}

LRESULT FakeKeyboard::mouseButton(DWORD vk, bool up, bool injected) {
  WPARAM message = WM_MOUSEMOVE;
  DWORD data = 0;
  if (vk == VK_MBUTTON) message = up ? WM_MBUTTONUP : WM_MBUTTONDOWN;
  if (vk == VK_XBUTTON1 || vk == VK_XBUTTON2) {
    message = up ? WM_XBUTTONUP : WM_XBUTTONDOWN;
    data = static_cast<DWORD>(vk == VK_XBUTTON1 ? XBUTTON1 : XBUTTON2) << 16;
  }
  MSLLHOOKSTRUCT event{{0, 0}, data, injected ? DWORD{LLMHF_INJECTED} : DWORD{0}, 0, 0};
  running_ = &mouseHooks_;
  const LRESULT result = callFrom(0, HC_ACTION, message, reinterpret_cast<LPARAM>(&event));
  running_ = &hooks_;
  if (vk == 0) return result;
  if (result == 0) {
    setKeyDown(vk, !up);
    windowSaw.push_back((up ? "-" : "+") + std::to_string(vk));
  }
  if (hookThread_ != nullptr) hookThread_->afterMouseChain(vk, !up);
  burstOver();
  return result;
}

int FakeKeyboard::GetKeyboardLayoutList(int count, HKL* list) {
  const FakeLayout* layouts[] = {kUsLayout, kGermanLayout};
  int written = 0;
  for (; written < count && written < 2; ++written) {
    list[written] = reinterpret_cast<HKL>(const_cast<FakeLayout*>(layouts[written]));
  }
  return written;
}

UINT FakeKeyboard::MapVirtualKeyExW(UINT code, UINT mapType, HKL hkl) {
  const FakeLayout& keys = *reinterpret_cast<const FakeLayout*>(hkl);
  const auto key = std::find_if(keys.begin(), keys.end(), [code](const FakeLayoutKey& candidate) {
    return candidate.vk == code && candidate.shiftState == 0;
  });
  if (key == keys.end()) return MapVirtualKeyW(code, mapType);
  if (mapType == MAPVK_VK_TO_CHAR) {
    // Windows names a letter key by its capital.
    const UINT ch = key->ch >= u'a' && key->ch <= u'z' ? key->ch - 0x20 : key->ch;
    return ch | (key->dead ? 0x80000000 : 0);
  }
  return mapType == MAPVK_VK_TO_VSC ? key->scan : 0;
}

HKL FakeKeyboard::GetKeyboardLayout(DWORD) {
  return reinterpret_cast<HKL>(const_cast<FakeLayout*>(layout));
}

SHORT FakeKeyboard::VkKeyScanExW(WCHAR ch, HKL hkl) {
  for (const FakeLayoutKey& key : *reinterpret_cast<const FakeLayout*>(hkl)) {
    if (key.ch == ch) return static_cast<SHORT>(key.shiftState << 8 | key.vk);
  }
  return -1;
}

LRESULT FakeKeyboard::keyDown(DWORD vk) { return dispatch(false, vk, 0, 0, 0); }
LRESULT FakeKeyboard::keyUp(DWORD vk) { return dispatch(true, vk, 0, LLKHF_UP, 0); }

LRESULT FakeKeyboard::dispatch(bool up, DWORD vk, DWORD scan, DWORD flags, ULONG_PTR extra,
                               DWORD time) {
  if (up) flags |= LLKHF_UP;
  // Alt held without Ctrl turns key messages into their "system" variants; Alt's own key-up is
  // a plain key-up.
  const bool altHeld = isDown(VK_MENU) || (!up && (vk == VK_LMENU || vk == VK_RMENU));
  const bool system = altHeld && !isDown(VK_CONTROL) && !(up && (vk == VK_LMENU || vk == VK_RMENU));
  const WPARAM message =
      up ? (system ? WM_SYSKEYUP : WM_KEYUP) : (system ? WM_SYSKEYDOWN : WM_KEYDOWN);
  KBDLLHOOKSTRUCT event{vk, scan, flags, time, extra};
  ++dispatchDepth_;
  const LRESULT result = callFrom(0, HC_ACTION, message, reinterpret_cast<LPARAM>(&event));
  setKeyDown(vk, !up);
  if (hookThread_ != nullptr) hookThread_->afterHookChain();
  --dispatchDepth_;
  // Input sent from inside a hook is handled after it; the main thread runs after the hooks.
  if (dispatchDepth_ == 0) burstOver();
  return result;
}

void FakeKeyboard::burstOver() {
  if (hookThread_ != nullptr) hookThread_->burstOver();
  if (!mainThreadBusy) deliverPosted();
}

std::unique_ptr<platform::HookThread> FakeKeyboard::StartHookThread(platform::HookFilter& filter,
                                                                    platform::HookSink& sink) {
  auto thread = std::make_unique<FakeHookThread>(*this, clock_, filter, sink);
  hookThread_ = thread.get();
  return thread;
}

void FakeKeyboard::deliverPosted() {
  if (hookThread_ != nullptr) hookThread_->deliverPosted();
}

void FakeKeyboard::hookThreadEnded(FakeHookThread* thread) {
  if (hookThread_ == thread) hookThread_ = nullptr;
}

}  // namespace fake
