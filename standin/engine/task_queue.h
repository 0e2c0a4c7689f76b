// TaskQueue: runs work on the platform thread through that thread's message loop.
//
// A message-only window created on the thread that creates the engine; other threads post to
// it, and delayed tasks are its thread timers, so everything reaches the shell the way the real
// engine's messages do.
#pragma once

#include <windows.h>

#include <functional>
#include <map>

namespace standin {

class TaskQueue {
 public:
  TaskQueue();
  ~TaskQueue();
  TaskQueue(const TaskQueue&) = delete;
  TaskQueue& operator=(const TaskQueue&) = delete;

  // Any thread. Tasks run in the order posted.
  void Post(std::function<void()> task);
  // Platform thread only.
  void PostDelayed(UINT milliseconds, std::function<void()> task);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HWND window = nullptr;
  UINT_PTR nextTimer = 1;
  std::map<UINT_PTR, std::function<void()>> delayed;
};

}  // namespace standin
