#include "standin/engine/task_queue.h"

#include <memory>

#include "standin/engine/this_module.h"

namespace standin {
namespace {

constexpr UINT kRunTask = WM_APP + 1;
constexpr wchar_t kClassName[] = L"MurmurlyStandinTasks";

}  // namespace

TaskQueue::TaskQueue() {
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
  // Tasks still queued would otherwise leak with the window.
  MSG message;
  while (PeekMessageW(&message, window, kRunTask, kRunTask, PM_REMOVE)) {
    delete reinterpret_cast<std::function<void()>*>(message.lParam);
  }
  for (const auto& entry : delayed) KillTimer(window, entry.first);
  DestroyWindow(window);
}

void TaskQueue::Post(std::function<void()> task) {
  auto owned = std::make_unique<std::function<void()>>(std::move(task));
  if (PostMessageW(window, kRunTask, 0, reinterpret_cast<LPARAM>(owned.get()))) owned.release();
}

void TaskQueue::PostDelayed(UINT milliseconds, std::function<void()> task) {
  const UINT_PTR id = nextTimer++;
  delayed[id] = std::move(task);
  SetTimer(window, id, milliseconds, nullptr);
}

LRESULT CALLBACK TaskQueue::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<TaskQueue*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == kRunTask) {
    std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lparam));
    (*task)();
    return 0;
  }
  if (message == WM_TIMER && self != nullptr) {
    KillTimer(hwnd, wparam);
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
