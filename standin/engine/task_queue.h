// TaskQueue: runs work on the platform thread through that thread's message loop.
//
// A message-only window created on the thread that creates the engine. Tasks wait in a queue of
// their own; one posted message at a time wakes the window to run them, so a flood of tasks never
// fills the thread's message queue, and a failed PostMessageW never loses a task: the platform
// thread falls back to a timer, other threads report it and retry. Delayed tasks are the window's
// thread timers. Everything reaches the shell the way the real engine's messages do.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

namespace standin {

class TaskQueue {
 public:
  using PostFn = decltype(&PostMessageW);

  // `post` is PostMessageW; tests hand in one that fails.
  explicit TaskQueue(PostFn post = &PostMessageW);
  ~TaskQueue();
  TaskQueue(const TaskQueue&) = delete;
  TaskQueue& operator=(const TaskQueue&) = delete;

  // Any thread. Tasks run in the order posted; none is dropped before Close().
  void Post(std::function<void()> task);
  // Platform thread only.
  void PostDelayed(UINT milliseconds, std::function<void()> task);
  // Any thread: the engine is going away. Threads retrying a post give up; tasks not yet run
  // are discarded with the queue.
  void Close() { closing = true; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void Wake();
  void RunPending();

  PostFn post;
  HWND window = nullptr;
  DWORD platformThread = 0;
  std::atomic<bool> closing{false};
  std::mutex lock;  // guards `pending` and `wakeSent`
  std::deque<std::function<void()>> pending;
  bool wakeSent = false;  // a wake-up message or timer is on its way
  // Platform thread only.
  UINT_PTR nextTimer = 1;
  std::map<UINT_PTR, std::function<void()>> delayed;
};

}  // namespace standin
