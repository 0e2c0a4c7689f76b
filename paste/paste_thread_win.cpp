#include <memory>
#include <utility>

#include "paste/paste_thread.h"
#include "paste/paster.h"
#include "platform/win32/message_window.h"

namespace paste {
namespace {

constexpr UINT kPasteRequest = WM_APP + 1;  // lParam: a std::string* the paste thread deletes
constexpr UINT kPasteStop = WM_APP + 2;
constexpr UINT kPasteOver = WM_APP + 3;
constexpr DWORD kJoinMs = 1000;
constexpr wchar_t kOwnerClass[] = L"MurmurlyPasteOwner";
constexpr wchar_t kReceiverClass[] = L"MurmurlyPasteReceiver";

// Requests posted after the stop are never handled: their copies are freed here.
void dropRequests(HWND window) {
  MSG message;
  while (PeekMessageW(&message, window, kPasteRequest, kPasteRequest, PM_REMOVE)) {
    delete reinterpret_cast<std::string*>(message.lParam);
  }
}

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* paster = reinterpret_cast<Paster*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (paster == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case kPasteRequest: {
      std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
      paster->enqueue(std::move(*text));
      return 0;
    }
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

struct ThreadStart {
  platform::Platform* platform;
  HWND receiver;
  HANDLE ready;
  HWND window = nullptr;
};

DWORD WINAPI runPasteThread(LPVOID parameter) {
  auto* start = static_cast<ThreadStart*>(parameter);
  HWND window = platform::CreateMessageWindow(kOwnerClass, ownerProc, nullptr);
  const HWND receiver = start->receiver;
  Paster paster(*start->platform, window, [receiver] { PostMessageW(receiver, kPasteOver, 0, 0); });
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

void PasteThread::startThread() {
  started_ = true;
  receiver_ = platform::CreateMessageWindow(kReceiverClass, receiverProc, this);
  ThreadStart start{&platform_, receiver_, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  thread_ = CreateThread(nullptr, 0, runPasteThread, &start, 0, nullptr);
  if (thread_ != nullptr) WaitForSingleObject(start.ready, INFINITE);
  CloseHandle(start.ready);
  pasteWindow_ = start.window;
}

PasteThread::~PasteThread() {
  endThread();
  pending_.clear();
}

void PasteThread::pasteText(std::string utf8, std::function<void()> over) {
  if (!started_) startThread();
  auto* copy = new std::string(std::move(utf8));
  if (pasteWindow_ == nullptr ||
      !PostMessageW(pasteWindow_, kPasteRequest, 0, reinterpret_cast<LPARAM>(copy))) {
    delete copy;
    over();
    return;
  }
  pending_.push_back(std::move(over));
}

void PasteThread::stop() {
  endThread();
  while (!pending_.empty()) {
    std::function<void()> over = std::move(pending_.front());
    pending_.pop_front();
    over();
  }
}

void PasteThread::endThread() {
  started_ = true;  // a paste after the stop is answered at once, with no thread started for it
  if (thread_ != nullptr) {
    if (pasteWindow_ != nullptr) PostMessageW(pasteWindow_, kPasteStop, 0, 0);
    // A thread stuck in another program's clipboard rendering is left behind: it touches nothing
    // of ours but the process-wide platform, and what it posts goes to a destroyed window.
    WaitForSingleObject(thread_, kJoinMs);
    CloseHandle(thread_);
    thread_ = nullptr;
    pasteWindow_ = nullptr;
  }
  if (receiver_ != nullptr) {
    DestroyWindow(receiver_);
    receiver_ = nullptr;
  }
}

LRESULT CALLBACK PasteThread::receiverProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  auto* self = reinterpret_cast<PasteThread*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == kPasteOver && self != nullptr && !self->pending_.empty()) {
    std::function<void()> over = std::move(self->pending_.front());
    self->pending_.pop_front();
    over();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace paste
