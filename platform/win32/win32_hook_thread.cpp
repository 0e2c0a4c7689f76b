// The real hook thread (see platform/hook_thread.h).
//
// Two message-only windows: one on the hook thread (install/remove requests sent to it, keyboard
// and, with the mouse hook, mouse raw input, the self-repair check while a raw key or button waits
// for its hook) and the inbox on the owner's
// thread (hooked keys and notices posted to it). The hook procedure and the desktop-switch event
// procedure find their thread's state through a thread_local pointer. A held-back copy waits on a
// waitable timer (high resolution where Windows has it: the wait is a few milliseconds, below a
// thread timer's granularity).
#include <windows.h>

#include <atomic>
#include <memory>
#include <type_traits>

#include "platform/clock.h"
#include "platform/hook_thread.h"
#include "platform/hook_watch.h"
#include "platform/win32/message_window.h"
#include "platform/win32/win32_platform.h"

namespace platform {
namespace {

constexpr UINT kInstallRequest = WM_APP + 1;
constexpr UINT kRemoveRequest = WM_APP + 2;
constexpr UINT kHookedKeyPosted = WM_APP + 3;
constexpr UINT kReinstalledPosted = WM_APP + 4;
constexpr UINT kFollowUpPosted = WM_APP + 5;
constexpr UINT kReinstallFailedPosted = WM_APP + 6;
constexpr UINT kDesktopSwitchPosted = WM_APP + 7;
constexpr UINT_PTR kWatchTimerId = 1;
constexpr UINT kWatchPeriodMs = 250;
// The raw mouse flags of the buttons the mouse hook asks the filter about.
struct RawButton {
  DWORD vk;
  USHORT down;
  USHORT up;
};
constexpr RawButton kRawButtons[] = {
    {VK_MBUTTON, RI_MOUSE_MIDDLE_BUTTON_DOWN, RI_MOUSE_MIDDLE_BUTTON_UP},
    {VK_XBUTTON1, RI_MOUSE_BUTTON_4_DOWN, RI_MOUSE_BUTTON_4_UP},
    {VK_XBUTTON2, RI_MOUSE_BUTTON_5_DOWN, RI_MOUSE_BUTTON_5_UP}};
// A switch event seemingly older than this is taken as now: stamped after our own tick reading, its
// age wrapped around.
constexpr DWORD kMaxSwitchAgeMs = 10'000;
constexpr const wchar_t* kHookWindowClass = L"MurmurlyHookThread";
constexpr const wchar_t* kInboxWindowClass = L"MurmurlyHookInbox";

std::int64_t nowNs() { return Win32Clock().SteadyNowNs(); }

struct WindowDestroyer {
  void operator()(HWND window) const { ::DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;
struct HandleCloser {
  void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using UniqueKernelHandle = std::unique_ptr<void, HandleCloser>;

template <typename T>
T* fromWindow(HWND window) {
  return reinterpret_cast<T*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION (Windows 10 1803), which MinGW's headers lack. Older
// systems refuse it; a plain timer then rounds the wait up to the system tick.
constexpr DWORD kHighResolutionTimer = 0x2;

HANDLE createHoldBackTimer() {
  HANDLE timer = ::CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
  return timer != nullptr ? timer : ::CreateWaitableTimerW(nullptr, FALSE, nullptr);
}

class Win32HookThread;
// The hook thread's own object, for the context-free hook and event procedures.
thread_local Win32HookThread* hookThreadState = nullptr;

class Win32HookThread final : public HookThread {
 public:
  Win32HookThread(HookFilter& filter, HookSink& sink)
      : filter_(filter),
        sink_(sink),
        inbox_(CreateMessageWindow(kInboxWindowClass, inboxProc, this)),
        ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        holdBackTimer_(createHoldBackTimer()) {
    if (!inbox_ || !ready_ || !holdBackTimer_) return;
    thread_.reset(::CreateThread(nullptr, 0, run, this, 0, nullptr));
    if (thread_) ::WaitForSingleObject(ready_.get(), INFINITE);
  }

  // Joins the thread; then whatever it posted dies with the inbox window, undelivered.
  ~Win32HookThread() override {
    if (!thread_) return;
    if (hookWindow_ != nullptr) ::PostMessageW(hookWindow_, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(thread_.get(), INFINITE);
  }

  Win32HookThread(const Win32HookThread&) = delete;
  Win32HookThread& operator=(const Win32HookThread&) = delete;

  bool started() const { return hookWindow_ != nullptr; }

  HHOOK Install() override {
    return reinterpret_cast<HHOOK>(::SendMessageW(hookWindow_, kInstallRequest, 0, 0));
  }

  void Remove() override {
    ::SendMessageW(hookWindow_, kRemoveRequest, 0, 0);
    MSG stale;
    while (::PeekMessageW(&stale, inbox_.get(), kHookedKeyPosted, kHookedKeyPosted, PM_REMOVE)) {
    }
  }

  HHOOK Installed() const override { return installed_.load(); }

 private:
  static DWORD WINAPI run(void* param) {
    auto* self = static_cast<Win32HookThread*>(param);
    hookThreadState = self;
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    self->hookWindow_ = CreateMessageWindow(kHookWindowClass, hookWindowProc, self);
    if (self->hookWindow_ != nullptr) {
      // Keyboard raw input reaches this window whoever has the focus: the self-repair's witness.
      RAWINPUTDEVICE keyboard{0x01, 0x06, RIDEV_INPUTSINK, self->hookWindow_};
      ::RegisterRawInputDevices(&keyboard, 1, sizeof(keyboard));
    }
    const HWINEVENTHOOK desktopSwitch =
        ::SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH, EVENT_SYSTEM_DESKTOPSWITCH, nullptr,
                          desktopSwitched, 0, 0, WINEVENT_OUTOFCONTEXT);
    ::SetEvent(self->ready_.get());
    if (self->hookWindow_ == nullptr) return 1;
    self->loop();
    if (desktopSwitch != nullptr) ::UnhookWinEvent(desktopSwitch);
    self->uninstall();
    hookThreadState = nullptr;
    return 0;
  }

  // The message loop, which also wakes when a held-back copy has waited long enough.
  void loop() {
    const HANDLE timer = holdBackTimer_.get();
    for (;;) {
      const DWORD woken =
          ::MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      if (woken == WAIT_OBJECT_0) {
        HookedKey key;
        if (hook_ != nullptr && filter_.releaseHeld(key)) post(key);
        continue;
      }
      if (woken == WAIT_FAILED) ::WaitMessage();  // never spin
      MSG message;
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return;
        ::DispatchMessageW(&message);
      }
    }
  }

  // Every pointer move of the system passes here: a move, the wheel and the left and right
  // buttons go on before anything else is looked at.
  static LRESULT CALLBACK mouseProc(int code, WPARAM message, LPARAM event) {
    const auto* hooked = reinterpret_cast<const MSLLHOOKSTRUCT*>(event);
    const DWORD vk = code == HC_ACTION ? hookedButton(message, hooked->mouseData) : 0;
    Win32HookThread* self = vk != 0 ? hookThreadState : nullptr;
    if (self == nullptr) return ::CallNextHookEx(nullptr, code, message, event);
    self->mouseWatch_.hookSaw(nowNs());
    HookedKey copies[HookFilter::kMaxCopies];
    const HookFilter::Verdict verdict = self->filter_.onButton(message, vk, *hooked, copies);
    for (int i = 0; i < verdict.copies; ++i) self->post(copies[i]);
    if (verdict.followUp) ::PostMessageW(self->hookWindow_, kFollowUpPosted, 0, 0);
    return verdict.swallow ? 1 : ::CallNextHookEx(nullptr, code, message, event);
  }

  static LRESULT CALLBACK hookProc(int code, WPARAM message, LPARAM event) {
    Win32HookThread* self = hookThreadState;
    if (code == HC_ACTION && self != nullptr) {
      self->watch_.hookSaw(nowNs());
      HookedKey copies[HookFilter::kMaxCopies];
      const HookFilter::Verdict verdict =
          self->filter_.onKey(message, *reinterpret_cast<const KBDLLHOOKSTRUCT*>(event), copies);
      for (int i = 0; i < verdict.copies; ++i) self->post(copies[i]);
      if (verdict.holdBack) {
        LARGE_INTEGER due;
        due.QuadPart = -static_cast<LONGLONG>(HookFilter::kHoldBackMs) * 10'000;  // relative
        ::SetWaitableTimer(self->holdBackTimer_.get(), &due, 0, nullptr, nullptr, FALSE);
      }
      if (verdict.followUp) ::PostMessageW(self->hookWindow_, kFollowUpPosted, 0, 0);
    }
    return ::CallNextHookEx(nullptr, code, message, event);
  }

  // `eventMs`: the tick count when the switch happened; the event reaches us a little later.
  static void CALLBACK desktopSwitched(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD,
                                       DWORD eventMs) {
    if (Win32HookThread* self = hookThreadState) {
      const DWORD ageMs = ::GetTickCount() - eventMs;
      const std::int64_t atNs =
          nowNs() - (ageMs < kMaxSwitchAgeMs ? static_cast<std::int64_t>(ageMs) * 1'000'000 : 0);
      ::PostMessageW(self->inbox_.get(), kDesktopSwitchPosted, static_cast<WPARAM>(atNs), 0);
    }
  }

  static LRESULT CALLBACK hookWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32HookThread* self = fromWindow<Win32HookThread>(window);
    if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
      case kInstallRequest: {
        self->wanted_ = true;
        const HHOOK hook = self->install();
        self->failing_ = hook == nullptr;  // the owner says so itself
        return reinterpret_cast<LRESULT>(hook);
      }
      case kRemoveRequest:
        self->wanted_ = false;
        self->uninstall();
        return 0;
      case kFollowUpPosted:
        self->filter_.followUp();
        return 0;
      case WM_INPUT:
        self->rawInput(reinterpret_cast<HRAWINPUT>(lParam));
        break;  // DefWindowProc frees the raw input
      case WM_TIMER:
        if (wParam != kWatchTimerId) return 0;
        if (self->hook_ != nullptr &&
            (self->watch_.lost(nowNs()) || self->mouseWatch_.lost(nowNs()))) {
          self->repair();
        } else if (!self->watch_.waiting() && !self->mouseWatch_.waiting()) {
          self->stopWatchTimer();
        }
        return 0;
      case WM_CLOSE:
        ::DestroyWindow(window);
        return 0;
      case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
      default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  static LRESULT CALLBACK inboxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32HookThread* self = fromWindow<Win32HookThread>(window);
    if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
      case kHookedKeyPosted:
        self->sink_.onHookedKey(HookedKey::unpack(wParam, lParam, nowNs()));
        return 0;
      case kReinstalledPosted:
        self->sink_.onHookReinstalled();
        return 0;
      case kReinstallFailedPosted:
        self->sink_.onHookReinstallFailed();
        return 0;
      case kDesktopSwitchPosted:
        self->sink_.onDesktopSwitched(static_cast<std::int64_t>(wParam));
        return 0;
      default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
  }

  // A raw key, or a raw mouse event (only its middle and side button changes count), against what
  // the hooks saw.
  void rawInput(HRAWINPUT handle) {
    RAWINPUT raw;
    UINT size = sizeof(raw);
    if (::GetRawInputData(handle, RID_INPUT, &raw, &size, sizeof(RAWINPUTHEADER)) == UINT(-1)) {
      return;
    }
    int changes = raw.header.dwType == RIM_TYPEKEYBOARD ? 1 : 0;
    if (raw.header.dwType == RIM_TYPEMOUSE) {
      const USHORT flags = raw.data.mouse.usButtonFlags;
      for (const auto& [vk, downFlag, upFlag] : kRawButtons) {
        if ((flags & (downFlag | upFlag)) == 0) continue;
        filter_.onRawButton(vk, (flags & downFlag) != 0);
        if (hook_ != nullptr) mouseWatch_.rawSaw(nowNs());
        ++changes;
      }
      if (changes == 0) return;  // a move or the wheel
    }
    if (hook_ == nullptr) {
      if (wanted_) repair();  // an install that failed: every raw key is one the hook missed
      return;
    }
    if (raw.header.dwType == RIM_TYPEKEYBOARD) watch_.rawSaw(nowNs());
    if (watch_.waiting() || mouseWatch_.waiting()) startWatchTimer();
  }

  // Hook thread only.
  void post(const HookedKey& key) {
    ::PostMessageW(inbox_.get(), kHookedKeyPosted, key.packedWParam(), key.packedLParam());
  }
  HHOOK install() {
    uninstall();  // unhooking fails harmlessly if Windows removed a hook
    filter_.onInstalled();
    watch_.reset();
    mouseWatch_.reset();
    const HMODULE module = ::GetModuleHandleW(nullptr);
    hook_ = ::SetWindowsHookExW(WH_KEYBOARD_LL, hookProc, module, 0);
    if (hook_ != nullptr && filter_.wantsMouse()) {
      mouseHook_ = ::SetWindowsHookExW(WH_MOUSE_LL, mouseProc, module, 0);
      // The mouse raw input watches the mouse hook, as the keyboard's watches the keyboard hook.
      rawMouse_ = mouseHook_ != nullptr && registerRawMouse(RIDEV_INPUTSINK, hookWindow_);
      if (!rawMouse_) uninstall();  // which tells the filter
    } else if (hook_ == nullptr) {
      filter_.onRemoved();
    }
    installed_.store(hook_);
    return hook_;
  }
  void uninstall() {
    stopWatchTimer();
    if (hook_ != nullptr) ::UnhookWindowsHookEx(hook_);
    if (mouseHook_ != nullptr) ::UnhookWindowsHookEx(mouseHook_);
    if (rawMouse_) registerRawMouse(RIDEV_REMOVE, nullptr);
    hook_ = nullptr;
    mouseHook_ = nullptr;
    rawMouse_ = false;
    installed_.store(nullptr);
    filter_.onRemoved();
  }
  static bool registerRawMouse(DWORD flags, HWND target) {
    RAWINPUTDEVICE mouse{0x01, 0x02, flags, target};
    return ::RegisterRawInputDevices(&mouse, 1, sizeof(mouse)) != FALSE;
  }
  // The hook is missing: installed again, the owner told; a failure is told once until the next
  // success.
  void repair() {
    const bool told = failing_;
    failing_ = install() == nullptr;
    if (!failing_) {
      ::PostMessageW(inbox_.get(), kReinstalledPosted, 0, 0);
    } else if (!told) {
      ::PostMessageW(inbox_.get(), kReinstallFailedPosted, 0, 0);
    }
  }
  // The repair check runs only while a raw key waits for the hook: a healthy hook matches each
  // key within milliseconds, so the timer stops at its first tick and an idle keyboard wakes
  // nothing.
  void startWatchTimer() {
    if (watchTimerRunning_) return;
    watchTimerRunning_ = ::SetTimer(hookWindow_, kWatchTimerId, kWatchPeriodMs, nullptr) != 0;
  }
  void stopWatchTimer() {
    if (!watchTimerRunning_) return;
    ::KillTimer(hookWindow_, kWatchTimerId);
    watchTimerRunning_ = false;
  }

  HookFilter& filter_;
  HookSink& sink_;
  UniqueWindow inbox_;
  UniqueKernelHandle ready_;
  UniqueKernelHandle holdBackTimer_;
  UniqueKernelHandle thread_;
  // Created and destroyed by the thread itself; written before `ready_` is set.
  HWND hookWindow_ = nullptr;
  // Written by the hook thread, read by any (the stand-in's test request).
  std::atomic<HHOOK> installed_{nullptr};
  // Hook thread only.
  HHOOK hook_ = nullptr;
  HHOOK mouseHook_ = nullptr;  // only while the filter wants the mouse
  bool rawMouse_ = false;      // mouse raw input registered, exactly while mouseHook_ is
  bool wanted_ = false;        // between an Install and a Remove request
  bool failing_ = false;       // the last install failed
  HookWatch watch_;
  HookWatch mouseWatch_;
  bool watchTimerRunning_ = false;
};

}  // namespace

std::unique_ptr<HookThread> StartWin32HookThread(HookFilter& filter, HookSink& sink) {
  auto thread = std::make_unique<Win32HookThread>(filter, sink);
  if (!thread->started()) return nullptr;
  return thread;
}

}  // namespace platform
