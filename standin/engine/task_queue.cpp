#include "standin/engine/task_queue.h"

#include <string>

#include "standin/engine/report.h"
#include "standin/engine/this_module.h"

namespace standin {
namespace {

constexpr UINT kWake = WM_APP + 1;
constexpr wchar_t kClassName[] = L"MurmurlyStandinTasks";
// Delayed tasks count their timer ids up from 1; this one wakes the queue when a post failed.
constexpr UINT_PTR kWakeTimer = 0x7fffffff;
constexpr DWORD kRetryMilliseconds = 10;

}  // namespace

TaskQueue::TaskQueue(PostFn post) : post(post), platformThread(GetCurrentThreadId()) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &TaskQueue::WindowProc;
  windowClass.hInstance = ThisModule();
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);  // Fails harmlessly when a second engine registers again.
  window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(),
                           nullptr);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TaskQueue::~TaskQueue() {
  closing = true;
  MSG message;
  while (PeekMessageW(&message, window, kWake, kWake, PM_REMOVE)) {
  }
  for (const auto& entry : delayed) KillTimer(window, entry.first);
  KillTimer(window, kWakeTimer);
  DestroyWindow(window);
}

void TaskQueue::Post(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> guard(lock);
    pending.push_back(std::move(task));
    if (wakeSent) return;
    wakeSent = true;
  }
  Wake();
}

void TaskQueue::Wake() {
  bool reported = false;
  while (!post(window, kWake, 0, 0)) {
    if (!reported) {
      Report("cannot post to the platform thread (error " + std::to_string(GetLastError()) +
             "); retrying");
      reported = true;
    }
    if (GetCurrentThreadId() == platformThread) {
      // Its own message queue is full; a timer needs no room there.
      SetTimer(window, kWakeTimer, kRetryMilliseconds, nullptr);
      return;
    }
    if (closing) return;
    Sleep(kRetryMilliseconds);
  }
}

void TaskQueue::RunPending() {
  size_t count = 0;
  {
    std::lock_guard<std::mutex> guard(lock);
    wakeSent = false;
    count = pending.size();
  }
  // Only those already waiting: under a flood, input and paint messages still get their turn.
  for (; count > 0; --count) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> guard(lock);
      if (pending.empty()) return;
      task = std::move(pending.front());
      pending.pop_front();
    }
    task();
  }
}

void TaskQueue::PostDelayed(UINT milliseconds, std::function<void()> task) {
  const UINT_PTR id = nextTimer++;
  delayed[id] = std::move(task);
  SetTimer(window, id, milliseconds, nullptr);
}

LRESULT CALLBACK TaskQueue::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<TaskQueue*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == kWake) {
    self->RunPending();
    return 0;
  }
  if (message == WM_TIMER) {
    KillTimer(hwnd, wparam);
    if (wparam == kWakeTimer) {
      self->RunPending();
      return 0;
    }
    auto found = self->delayed.find(wparam);
    if (found == self->delayed.end()) return 0;
    std::function<void()> task = std::move(found->second);
    self->delayed.erase(found);
    task();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace standin
