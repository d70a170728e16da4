#include "standin/com/UiThread.h"

#include <memory>
#include <stdexcept>

namespace ostrel::standin::com {
namespace {

constexpr UINT kRun = WM_APP + 0x52;
constexpr wchar_t kClass[] = L"OstrelOutlookStandinThread";

}  // namespace

UiThread::UiThread() : thread_(::GetCurrentThreadId()) {
  WNDCLASSW type{};
  type.lpfnWndProc = &UiThread::WindowProc;
  type.hInstance = ::GetModuleHandleW(nullptr);
  type.lpszClassName = kClass;
  ::RegisterClassW(&type);
  window_ = ::CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, type.hInstance,
                              nullptr);
  if (window_ == nullptr)
    throw std::runtime_error("Outlook's stand-in cannot make its thread's window");
}

UiThread::~UiThread() {
  ::DestroyWindow(window_);
}

LRESULT CALLBACK UiThread::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRun)
    return ::DefWindowProcW(window, message, wParam, lParam);
  // The job is shared with the thread that handed it over, which may have
  // stopped waiting (a message box came up) but keeps its part.
  const std::shared_ptr<Job> job = *reinterpret_cast<std::shared_ptr<Job>*>(lParam);
  delete reinterpret_cast<std::shared_ptr<Job>*>(lParam);
  try {
    (*job->work)();
  } catch (...) {
    job->failure = std::current_exception();
  }
  ::SetEvent(job->done);
  return 0;
}

void UiThread::Run(const std::function<void()>& work, const std::function<bool()>& blocked) {
  if (::GetCurrentThreadId() == thread_) {
    work();
    return;
  }
  // The work is copied into the job: a job left running behind a message box
  // outlives this call.
  auto owned = std::make_shared<std::function<void()>>(work);
  auto job = std::shared_ptr<Job>(
      new Job{owned.get(), nullptr, ::CreateEventW(nullptr, TRUE, FALSE, nullptr)},
      [owned](Job* j) {
        ::CloseHandle(j->done);
        delete j;
      });
  ::PostMessageW(window_, kRun, 0, reinterpret_cast<LPARAM>(new std::shared_ptr<Job>(job)));
  for (;;) {
    if (::WaitForSingleObject(job->done, 20) == WAIT_OBJECT_0) {
      if (job->failure)
        std::rethrow_exception(job->failure);
      return;
    }
    if (blocked())
      return;
  }
}

void UiThread::Loop() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void UiThread::Stop() {
  ::PostThreadMessageW(thread_, WM_QUIT, 0, 0);
}

}  // namespace ostrel::standin::com
