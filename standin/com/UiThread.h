// Outlook's thread in the Windows stand-in: the stand-in's objects, the add-ins
// and their windows live there, and its plain message loop (as Outlook's has,
// without IsDialogMessage) delivers their messages. The script runs on a
// thread of its own and hands Outlook's side of each action over, because a
// message box the add-in shows runs a loop of its own on this thread, and only
// from outside can a person's answer reach it.
#pragma once

#include "win32/WindowsHeaders.h"

#include <exception>
#include <functional>

namespace ostrel::standin::com {

class UiThread {
 public:
  // Made on the thread that will run the loop.
  UiThread();
  ~UiThread();
  UiThread(const UiThread&) = delete;
  UiThread& operator=(const UiThread&) = delete;

  // From another thread: runs `work` on this one. Returns when it has
  // returned, passing on what it threw; or as soon as `blocked` says a message
  // box is up there, the work then going on once the box is answered.
  void Run(const std::function<void()>& work, const std::function<bool()>& blocked);
  // The loop, until Stop.
  void Loop();
  // From any thread.
  void Stop();

 private:
  struct Job {
    const std::function<void()>* work;
    std::exception_ptr failure;
    HANDLE done;
  };
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  DWORD thread_ = 0;
};

}  // namespace ostrel::standin::com
