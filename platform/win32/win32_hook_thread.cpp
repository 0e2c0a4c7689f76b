// The real hook thread (see platform/hook_thread.h).
//
// Two message-only windows: one on the hook thread (install/remove requests sent to it, keyboard
// raw input, the self-repair check while a raw key waits for the hook) and the inbox on the owner's
// thread (hooked keys posted to it). The hook procedure finds its thread's state through a
// thread_local pointer.
#include <windows.h>

#include <memory>
#include <type_traits>

#include "platform/clock.h"
#include "platform/hook_thread.h"
#include "platform/win32/message_window.h"
#include "platform/win32/win32_platform.h"

namespace platform {
namespace {

constexpr UINT kInstallRequest = WM_APP + 1;
constexpr UINT kRemoveRequest = WM_APP + 2;
constexpr UINT kHookedKeyPosted = WM_APP + 3;
constexpr UINT kReinstalledPosted = WM_APP + 4;
constexpr UINT kFollowUpPosted = WM_APP + 5;
constexpr UINT_PTR kWatchTimerId = 1;
constexpr UINT kWatchPeriodMs = 250;
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

class Win32HookThread;
// The hook thread's own object, for the context-free hook procedure.
thread_local Win32HookThread* hookThreadState = nullptr;

class Win32HookThread final : public HookThread {
 public:
  Win32HookThread(HookFilter& filter, HookSink& sink)
      : filter_(filter),
        sink_(sink),
        inbox_(CreateMessageWindow(kInboxWindowClass, inboxProc, this)),
        ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!inbox_ || !ready_) return;
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

 private:
  static DWORD WINAPI run(void* param) {
    auto* self = static_cast<Win32HookThread*>(param);
    hookThreadState = self;
    self->hookWindow_ = CreateMessageWindow(kHookWindowClass, hookWindowProc, self);
    if (self->hookWindow_ != nullptr) {
      // Keyboard raw input reaches this window whoever has the focus: the self-repair's witness.
      RAWINPUTDEVICE keyboard{0x01, 0x06, RIDEV_INPUTSINK, self->hookWindow_};
      ::RegisterRawInputDevices(&keyboard, 1, sizeof(keyboard));
    }
    ::SetEvent(self->ready_.get());
    if (self->hookWindow_ == nullptr) return 1;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    self->uninstall();
    hookThreadState = nullptr;
    return 0;
  }

  static LRESULT CALLBACK hookProc(int code, WPARAM message, LPARAM event) {
    Win32HookThread* self = hookThreadState;
    if (code == HC_ACTION && self != nullptr) {
      self->watch_.hookSaw();
      HookedKey key;
      const HookFilter::Verdict verdict =
          self->filter_.onKey(message, *reinterpret_cast<const KBDLLHOOKSTRUCT*>(event), key);
      if (verdict.post) {
        ::PostMessageW(self->inbox_.get(), kHookedKeyPosted, key.packedWParam(),
                       key.packedLParam());
      }
      if (verdict.followUp) ::PostMessageW(self->hookWindow_, kFollowUpPosted, 0, 0);
    }
    return ::CallNextHookEx(nullptr, code, message, event);
  }

  static LRESULT CALLBACK hookWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32HookThread* self = fromWindow<Win32HookThread>(window);
    if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
      case kInstallRequest:
        return reinterpret_cast<LRESULT>(self->install());
      case kRemoveRequest:
        self->uninstall();
        return 0;
      case kFollowUpPosted:
        self->filter_.followUp();
        return 0;
      case WM_INPUT:
        if (self->hook_ != nullptr) {
          self->watch_.rawSaw(nowNs());
          if (self->watch_.waiting()) self->startWatchTimer();
        }
        break;  // DefWindowProc frees the raw input
      case WM_TIMER:
        if (wParam != kWatchTimerId) return 0;
        if (self->hook_ != nullptr && self->watch_.lost(nowNs())) {
          self->install();
          ::PostMessageW(self->inbox_.get(), kReinstalledPosted, 0, 0);
        } else if (!self->watch_.waiting()) {
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
    if (self != nullptr && message == kHookedKeyPosted) {
      self->sink_.onHookedKey(HookedKey::unpack(wParam, lParam, nowNs()));
      return 0;
    }
    if (self != nullptr && message == kReinstalledPosted) {
      self->sink_.onHookReinstalled();
      return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  // Hook thread only.
  HHOOK install() {
    if (hook_ != nullptr) ::UnhookWindowsHookEx(hook_);  // fails harmlessly if Windows removed it
    filter_.onInstalled();
    watch_.reset();
    stopWatchTimer();
    hook_ = ::SetWindowsHookExW(WH_KEYBOARD_LL, hookProc, ::GetModuleHandleW(nullptr), 0);
    return hook_;
  }
  void uninstall() {
    stopWatchTimer();
    if (hook_ != nullptr) ::UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
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
  UniqueKernelHandle thread_;
  // Created and destroyed by the thread itself; written before `ready_` is set.
  HWND hookWindow_ = nullptr;
  // Hook thread only.
  HHOOK hook_ = nullptr;
  HookWatch watch_;
  bool watchTimerRunning_ = false;
};

}  // namespace

std::unique_ptr<HookThread> StartWin32HookThread(HookFilter& filter, HookSink& sink) {
  auto thread = std::make_unique<Win32HookThread>(filter, sink);
  if (!thread->started()) return nullptr;
  return thread;
}

}  // namespace platform
