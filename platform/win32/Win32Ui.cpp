// The shell, the HTML Help viewer, message boxes and the file-open dialog.
#include <string>

#include "host/HostError.h"
#include "win32/Win32Handles.h"
#include "win32/Win32Services.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::win32 {
namespace {

// An empty text is passed as NULL, which the shell reads as "none given" (the
// default verb, no parameters, the current folder).
const char* OrNull(const AnsiString& text) {
  return text.empty() ? nullptr : text.c_str();
}

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

}  // namespace

std::intptr_t Win32Shell::ShellExecute(host::WindowHandle owner, const String& verb,
                                       const String& file, const String& parameters,
                                       const String& directory, int showCommand) {
  const AnsiString ansiVerb = ansi_.ToAnsi(verb);
  const AnsiString ansiFile = ansi_.ToAnsi(file);
  const AnsiString ansiParameters = ansi_.ToAnsi(parameters);
  const AnsiString ansiDirectory = ansi_.ToAnsi(directory);
  const HINSTANCE result =
      ::ShellExecuteA(ToHwnd(owner), OrNull(ansiVerb), ansiFile.c_str(), OrNull(ansiParameters),
                      OrNull(ansiDirectory), showCommand);
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
    RaiseLastError("CreateProcessW failed for " + ansi_.ToAnsi(path));
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
}

host::WindowHandle Win32HelpViewer::HtmlHelp(host::WindowHandle owner, const AnsiString& file,
                                             std::uint32_t command, const AnsiString& data) {
  if (htmlHelp_ == nullptr) {
    // Never freed: the viewer's window and its thread run inside the module.
    // From the system folder only, never from the current or the
    // application's folder, where another file of that name could lie.
    const HMODULE module = ::LoadLibraryExA("hhctrl.ocx", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr)
      RaiseLastError("Cannot load hhctrl.ocx");
    const FARPROC found = ::GetProcAddress(module, "HtmlHelpA");
    if (found == nullptr)
      RaiseLastError("hhctrl.ocx has no HtmlHelpA");
    // Through void(*)(), the one function type any other converts to silently.
    htmlHelp_ = reinterpret_cast<void (*)()>(found);
  }
  const auto function = reinterpret_cast<HtmlHelpFunction>(htmlHelp_);
  // An empty topic is no topic: NULL shows the file's default page.
  const HWND viewer =
      function(ToHwnd(owner), file.c_str(), command, reinterpret_cast<DWORD_PTR>(OrNull(data)));
  return FromHwnd(viewer);
}

int Win32CommonDialogs::MessageBox(host::WindowHandle owner, const String& text,
                                   const String& caption, std::uint32_t type) {
  // A message with no window of its own to stand over (a dialog that could not
  // open, a command that failed) belongs to the window the user works in:
  // Outlook's, as the add-in runs on Outlook's thread. Unowned, it could open
  // behind Outlook and leave Outlook waiting for an answer nobody sees.
  const HWND over = owner != host::WindowHandle::None ? ToHwnd(owner) : ::GetActiveWindow();
  return ::MessageBoxA(over, ansi_.ToAnsi(text).c_str(), ansi_.ToAnsi(caption).c_str(), type);
}

String Win32CommonDialogs::GetOpenFileName(const host::OpenFileRequest& request) {
  char chosen[1024] = {};
  const AnsiString title = ansi_.ToAnsi(request.title);
  const AnsiString initialDir = ansi_.ToAnsi(request.initialDir);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = ToHwnd(request.owner);
  dialog.lpstrFile = chosen;
  dialog.nMaxFile = sizeof chosen;
  dialog.lpstrTitle = OrNull(title);
  dialog.lpstrInitialDir = OrNull(initialDir);
  dialog.Flags = request.flags;
  if (!::GetOpenFileNameA(&dialog))
    return String();
  return ansi_.FromAnsi(chosen);
}

}  // namespace ostrel::win32
