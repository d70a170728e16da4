// The shell, the HTML Help viewer, message boxes and the file-open dialog.
#include <cwchar>
#include <string>

#include "common/Text.h"
#include "host/HostError.h"
#include "win32/Owned.h"
#include "win32/WideText.h"
#include "win32/Win32Handles.h"
#include "win32/Win32Services.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::win32 {
namespace {

// An empty text is passed as NULL, which the shell reads as "none given" (the
// default verb, no parameters, the current folder).
const wchar_t* OrNull(const String& text) {
  return text.empty() ? nullptr : Wide(text);
}

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// The longest path Windows has, in characters, with its terminating null: a
// chosen file's name always fits.
constexpr DWORD kLongestPath = 32768;

}  // namespace

std::intptr_t Win32Shell::ShellExecute(host::WindowHandle owner, const String& verb,
                                       const String& file, const String& parameters,
                                       const String& directory, int showCommand) {
  const HINSTANCE result = ::ShellExecuteW(ToHwnd(owner), OrNull(verb), Wide(file),
                                           OrNull(parameters), OrNull(directory), showCommand);
  return reinterpret_cast<std::intptr_t>(result);
}

void Win32Shell::StartProgram(const String& path) {
  // The path is the program itself, given as the application name: an
  // unquoted path with spaces as the command line alone would make Windows
  // try "C:\Program.exe" first ("If you are using a long file name that
  // contains a space, use quoted strings", CreateProcessW). The command line
  // is the quoted path, the program's argv[0]; CreateProcessW may write into
  // it.
  const std::wstring application(path.begin(), path.end());
  std::wstring commandLine = L"\"" + application + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
    RaiseLastError("CreateProcessW failed for " + Utf16ToUtf8(path));
  }
  // Nothing waits for the program: the handles go at once.
  const OwnedKernelObject thread(process.hThread);
  const OwnedKernelObject started(process.hProcess);
}

host::WindowHandle Win32HelpViewer::HtmlHelp(host::WindowHandle owner, const String& file,
                                             std::uint32_t command, const String& data) {
  if (htmlHelp_ == nullptr) {
    // Never freed: the viewer's window and its thread run inside the module.
    // From the system folder only, never from the current or the
    // application's folder, where another file of that name could lie.
    const HMODULE module = ::LoadLibraryExW(L"hhctrl.ocx", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr)
      RaiseLastError("Cannot load hhctrl.ocx");
    const FARPROC found = ::GetProcAddress(module, "HtmlHelpW");
    if (found == nullptr)
      RaiseLastError("hhctrl.ocx has no HtmlHelpW");
    // Through void(*)(), the one function type any other converts to silently.
    htmlHelp_ = reinterpret_cast<void (*)()>(found);
  }
  const auto function = reinterpret_cast<HtmlHelpFunction>(htmlHelp_);
  // An empty topic is no topic: NULL shows the file's default page.
  const HWND viewer =
      function(ToHwnd(owner), Wide(file), command, reinterpret_cast<DWORD_PTR>(OrNull(data)));
  return FromHwnd(viewer);
}

int Win32CommonDialogs::MessageBox(host::WindowHandle owner, const String& text,
                                   const String& caption, std::uint32_t type) {
  // A message with no window of its own to stand over (a dialog that could not
  // open, a command that failed) belongs to the window the user works in:
  // Outlook's, as the add-in runs on Outlook's thread. Unowned, it could open
  // behind Outlook and leave Outlook waiting for an answer nobody sees.
  const HWND over = owner != host::WindowHandle::None ? ToHwnd(owner) : ::GetActiveWindow();
  return ::MessageBoxW(over, Wide(text), Wide(caption), type);
}

String Win32CommonDialogs::GetOpenFileName(const host::OpenFileRequest& request) {
  std::wstring chosen(kLongestPath, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = ToHwnd(request.owner);
  dialog.lpstrFile = chosen.data();
  dialog.nMaxFile = kLongestPath;
  dialog.lpstrTitle = OrNull(request.title);
  dialog.lpstrInitialDir = OrNull(request.initialDir);
  dialog.Flags = request.flags;
  if (!::GetOpenFileNameW(&dialog))
    return String();
  return FromWide(chosen.c_str(), std::wcslen(chosen.c_str()));
}

}  // namespace ostrel::win32
