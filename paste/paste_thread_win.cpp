#include <cstddef>
#include <memory>
#include <utility>

#include "paste/paste_thread.h"
#include "paste/paster.h"
#include "platform/debug_output.h"
#include "platform/win32/message_window.h"

namespace paste {
namespace {

constexpr UINT kPasteRequest = WM_APP + 1;  // lParam: a PasteRequest* the paste thread deletes
constexpr UINT kPasteStop = WM_APP + 2;
constexpr UINT kPasteOver = WM_APP + 3;  // lParam: a Reported* the main thread deletes
constexpr UINT kPasteClose = WM_APP + 4;
constexpr DWORD kJoinMs = 1000;
constexpr wchar_t kOwnerClass[] = L"MurmurlyPasteOwner";
constexpr wchar_t kReceiverClass[] = L"MurmurlyPasteReceiver";
constexpr const char* kStartFailed = "[GlobalHotkey] The paste thread could not start\n";

// Requests posted after the stop are never handled: their copies are freed here.
void dropRequests(HWND window) {
  MSG message;
  while (PeekMessageW(&message, window, kPasteRequest, kPasteRequest, PM_REMOVE)) {
    delete reinterpret_cast<PasteRequest*>(message.lParam);
  }
}

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* paster = reinterpret_cast<Paster*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (paster == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case kPasteRequest: {
      std::unique_ptr<PasteRequest> request(reinterpret_cast<PasteRequest*>(lParam));
      paster->enqueue(std::move(*request));
      return 0;
    }
    case kPasteClose:
      paster->closeQueue();
      return 0;
    case kPasteStop:
      paster->shutdown();
      dropRequests(window);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    default:
      if (paster->handleMessage(message, wParam)) return 0;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

struct Reported {
  std::size_t paste;
  PasteReport report;
};

struct ThreadStart {
  platform::Platform* platform;
  HWND receiver;
  std::shared_ptr<std::atomic<bool>> stopping;
  HANDLE ready;
  HWND window = nullptr;
};

DWORD WINAPI runPasteThread(LPVOID parameter) {
  auto* start = static_cast<ThreadStart*>(parameter);
  const std::shared_ptr<const std::atomic<bool>> stopping = start->stopping;
  const HWND receiver = start->receiver;
  HWND window = platform::CreateMessageWindow(kOwnerClass, ownerProc, nullptr);
  // A report that cannot be posted (the main thread's window is gone) is freed here.
  // A posted message owns its copy and the receiver frees it, which the analyzer cannot see.
  // NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
  Paster paster(*start->platform, window, *stopping,
                [receiver](std::size_t paste, const PasteReport& report) {
                  auto copy = std::make_unique<Reported>(Reported{paste, report});
                  if (PostMessageW(receiver, kPasteOver, 0, reinterpret_cast<LPARAM>(copy.get()))) {
                    copy.release();
                  }
                });
  // NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
  if (window != nullptr)
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&paster));
  start->window = window;
  SetEvent(start->ready);  // `start` belongs to the main thread again from here
  if (window == nullptr) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}

}  // namespace

PasteThread::PasteThread(platform::Platform& platform) : platform_(platform) {}

bool PasteThread::start() {
  if (state_ != State::NotStarted) return state_ == State::Running;
  receiver_ = platform::CreateMessageWindow(kReceiverClass, receiverProc, this);
  const HANDLE ready = receiver_ != nullptr ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr;
  if (ready != nullptr) {
    ThreadStart handOver{&platform_, receiver_, stopping_, ready};
    thread_ = CreateThread(nullptr, 0, runPasteThread, &handOver, 0, nullptr);
    // The thread signals whatever happens to its window; `handOver` lives until then.
    if (thread_ != nullptr) WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
    pasteWindow_ = handOver.window;
  }
  if (pasteWindow_ != nullptr) {
    state_ = State::Running;
    posted_ = 0;  // the new thread's Paster counts from 0
    return true;
  }
  platform_.debug->OutputDebugStringA(kStartFailed);
  endThread();  // a thread without its window has returned already
  return false;
}

PasteThread::~PasteThread() {
  pending_.clear();
  endThread();
}

void PasteThread::pasteText(PasteRequest request, PasteOver over) {
  if (closing_ || state_ == State::Stopped) return over({PasteOutcome::Cancelled, {}, {}});
  if (!start()) return over({PasteOutcome::ClipboardBusy, {}, {}});
  auto copy = std::make_unique<PasteRequest>(std::move(request));
  if (!PostMessageW(pasteWindow_, kPasteRequest, 0, reinterpret_cast<LPARAM>(copy.get()))) {
    return over({PasteOutcome::ClipboardBusy, {}, {}});
  }
  // The message owns it now and the paste thread frees it, which the analyzer cannot see.
  // NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
  copy.release();
  pending_.emplace(posted_++, std::move(over));
  // NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
}

void PasteThread::closeQueue() {
  closing_ = true;
  if (pasteWindow_ != nullptr) PostMessageW(pasteWindow_, kPasteClose, 0, 0);
}

void PasteThread::stop() {
  closing_ = true;
  stopping_->store(true);
  endThread();
  state_ = State::Stopped;  // a paste after the stop is answered at once, with no thread for it
  while (!pending_.empty()) answer(pending_.begin()->first, {PasteOutcome::Cancelled, {}, {}});
}

void PasteThread::endThread() {
  if (thread_ != nullptr) {
    if (pasteWindow_ != nullptr) PostMessageW(pasteWindow_, kPasteStop, 0, 0);
    // A thread stuck in another program's clipboard rendering is left behind: it touches nothing
    // of ours but the process-wide platform and the stop flag it co-owns, and it empties the
    // clipboard no more.
    WaitForSingleObject(thread_, kJoinMs);
    CloseHandle(thread_);
    thread_ = nullptr;
    pasteWindow_ = nullptr;
  }
  if (receiver_ != nullptr) {
    // What the thread reported before it ended, in order.
    MSG message;
    while (PeekMessageW(&message, receiver_, kPasteOver, kPasteOver, PM_REMOVE)) {
      std::unique_ptr<Reported> reported(reinterpret_cast<Reported*>(message.lParam));
      answer(reported->paste, reported->report);
    }
    DestroyWindow(receiver_);
    receiver_ = nullptr;
  }
  state_ = State::NotStarted;
}

void PasteThread::answer(std::size_t paste, const PasteReport& report) {
  const auto entry = pending_.find(paste);
  if (entry == pending_.end()) return;
  PasteOver over = std::move(entry->second);
  pending_.erase(entry);
  over(report);
}

LRESULT CALLBACK PasteThread::receiverProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message != kPasteOver) return DefWindowProcW(window, message, wParam, lParam);
  std::unique_ptr<Reported> reported(reinterpret_cast<Reported*>(lParam));
  auto* self = reinterpret_cast<PasteThread*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr) self->answer(reported->paste, reported->report);
  return 0;
}

}  // namespace paste
