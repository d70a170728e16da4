#include "standin/com/Desktop.h"

#include <cstddef>
#include <vector>

#include "common/Text.h"
#include "win32/ModuleFile.h"
#include "win32/WideText.h"
#include "win32/ui/ControlNames.h"

namespace ostrel::standin::com {
namespace {

const wchar_t kWindowClass[] = L"OstrelOutlookStandinDesktop";
constexpr ULONG_PTR kLinkReport = 0x4C494E4B;  // "LINK"

std::wstring ProgramPath() {
  return win32::WideString(win32::ModulePath(nullptr));
}

std::wstring ImageName(DWORD process) {
  const HANDLE handle = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
  if (handle == nullptr)
    return std::wstring();
  wchar_t name[MAX_PATH * 2] = {};
  DWORD length = MAX_PATH * 2;
  if (!::QueryFullProcessImageNameW(handle, 0, name, &length))
    length = 0;
  ::CloseHandle(handle);
  return std::wstring(name, length);
}

std::wstring FileName(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

std::string WindowText(HWND window) {
  wchar_t title[256] = {};
  const int length = ::GetWindowTextW(window, title, 256);
  return Utf16ToUtf8(String(reinterpret_cast<const char16_t*>(title), length));
}

std::string ClassName(HWND window) {
  wchar_t name[128] = {};
  const int length = ::GetClassNameW(window, name, 128);
  return Utf16ToUtf8(String(reinterpret_cast<const char16_t*>(name), length));
}

// EnumThreadWindows callback: adds a visible window to the std::set<HWND> in
// list. A named CALLBACK function, since a lambda converts only to the default
// calling convention (not __stdcall, which 32-bit Windows callbacks use).
BOOL CALLBACK AddVisibleWindow(HWND window, LPARAM list) {
  if (::IsWindowVisible(window))
    reinterpret_cast<std::set<HWND>*>(list)->insert(window);
  return TRUE;
}

}  // namespace

DesktopWatch::DesktopWatch(Output output) : output_(std::move(output)) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &DesktopWatch::WindowProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassW(&windowClass);
  // A message-only window would not be found by FindWindow from another
  // process; a hidden top-level one is.
  window_ = ::CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // The processes the add-in starts (link handlers) join this job, so that an
  // action can wait for them.
  job_ = ::CreateJobObjectW(nullptr, nullptr);
  if (job_ != nullptr)
    ::AssignProcessToJobObject(job_, ::GetCurrentProcess());
  windows_ = TopLevelWindows();
}

DesktopWatch::~DesktopWatch() {
  if (window_ != nullptr)
    ::DestroyWindow(window_);
  if (job_ != nullptr)
    ::CloseHandle(job_);
}

LRESULT CALLBACK DesktopWatch::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    auto* self = reinterpret_cast<DesktopWatch*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (self != nullptr && data != nullptr && data->dwData == kLinkReport) {
      const String url(static_cast<const char16_t*>(data->lpData), data->cbData / sizeof(char16_t));
      self->output_("link opened: " + Utf16ToUtf8(url));
      return TRUE;
    }
    return FALSE;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

std::set<DWORD> DesktopWatch::HandlerProcesses() const {
  std::set<DWORD> handlers;
  if (job_ == nullptr)
    return handlers;
  // The list's ids run past the one element the structure declares: read
  // them from the buffer, not through the declared array.
  std::vector<ULONG_PTR> buffer(256);
  if (!::QueryInformationJobObject(job_, JobObjectBasicProcessIdList, buffer.data(),
                                   static_cast<DWORD>(buffer.size() * sizeof(ULONG_PTR)), nullptr))
    return handlers;
  const auto* list = reinterpret_cast<const JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
  const ULONG_PTR* ids =
      buffer.data() + offsetof(JOBOBJECT_BASIC_PROCESS_ID_LIST, ProcessIdList) / sizeof(ULONG_PTR);
  // Wine's desktop process (explorer.exe) joins the job with the first window
  // and stays; a console program's conhost.exe goes with it. Anything else,
  // this program as a link handler above all, is waited for; so is a process
  // too young to tell its name.
  for (DWORD i = 0; i < list->NumberOfProcessIdsInList && i < buffer.size() - 1; ++i) {
    const DWORD process = static_cast<DWORD>(ids[i]);
    if (process == ::GetCurrentProcessId())
      continue;
    const HANDLE handle =
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (handle == nullptr)
      continue;
    const bool running = ::WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
    ::CloseHandle(handle);
    const std::wstring name = FileName(ImageName(process));
    if (running && ::lstrcmpiW(name.c_str(), L"explorer.exe") != 0 &&
        ::lstrcmpiW(name.c_str(), L"conhost.exe") != 0)
      handlers.insert(process);
  }
  return handlers;
}

std::set<HWND> DesktopWatch::TopLevelWindows() const {
  std::set<HWND> found;
  ::EnumThreadWindows(::GetCurrentThreadId(), AddVisibleWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

void DesktopWatch::Settle() {
  // Link handlers: each reports by a message to this thread and exits; wait
  // (at most a few seconds each, a Wine process takes a moment to start) while
  // letting the reports in.
  const DWORD deadline = ::GetTickCount() + 10000;
  for (;;) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (HandlerProcesses().empty() || ::GetTickCount() > deadline)
      break;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  // The add-in's dialogs and message boxes are the dialog driver's; any
  // other window is something the add-in opened on the desktop.
  const std::set<HWND> now = TopLevelWindows();
  for (HWND window : now) {
    if (windows_.count(window) != 0 || window == window_ ||
        !win32::view::TextProperty(window, win32::view::kDialogName).empty() ||
        ClassName(window) == "#32770" || ClassName(window).starts_with("OstrelOutlook"))
      continue;
    output_("window opened: " + ClassName(window) + " \"" + WindowText(window) + "\"");
  }
  windows_ = now;
}

bool DesktopWatch::RegisterAsLinkHandler(std::string* problem) {
  const std::wstring command = L"\"" + ProgramPath() + L"\" --open-link \"%1\"";
  for (const wchar_t* scheme : {L"http", L"https"}) {
    const std::wstring key = std::wstring(L"Software\\Classes\\") + scheme;
    const std::wstring open = key + L"\\shell\\open\\command";
    const LONG status =
        ::RegSetKeyValueW(HKEY_CURRENT_USER, open.c_str(), nullptr, REG_SZ, command.c_str(),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    // The shell asks for no DDE conversation when the key has none.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (key + L"\\shell\\open\\ddeexec").c_str());
    if (status != ERROR_SUCCESS) {
      *problem = "the registry refused the handler for " +
                 Utf16ToUtf8(String(reinterpret_cast<const char16_t*>(scheme))) + " (error " +
                 std::to_string(status) + ")";
      return false;
    }
  }
  return true;
}

int DesktopWatch::ReportLink(const String& url) {
  const HWND standin = ::FindWindowW(kWindowClass, nullptr);
  if (standin == nullptr)
    return 1;
  COPYDATASTRUCT data{kLinkReport, static_cast<DWORD>(url.size() * sizeof(char16_t)),
                      const_cast<char16_t*>(url.data())};
  return ::SendMessageW(standin, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) ? 0 : 1;
}

}  // namespace ostrel::standin::com
