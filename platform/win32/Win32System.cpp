// Text, locale, files and window messages.
#include <algorithm>
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

// Raises the calling thread's last error as a HostError, with the system's text.
// Paths go to the W functions as they are: a folder named outside the ANSI code
// page ("\u0141\u00F3d\u017A") is found, and the message names it in UTF-8.
[[noreturn]] void Fail(const char* action, const String& path) {
  RaiseLastError(std::string(action) + " \"" + Utf16ToUtf8(path) + "\"");
}

}  // namespace

AnsiString Win32AnsiCodePage::ToAnsi(const String& text) const {
  if (text.empty())
    return AnsiString();
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int needed = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  AnsiString out(static_cast<std::size_t>(needed), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), needed, nullptr, nullptr);
  return out;
}

String Win32AnsiCodePage::FromAnsi(const AnsiString& bytes) const {
  if (bytes.empty())
    return String();
  const int length = static_cast<int>(bytes.size());
  const int needed = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  String out(static_cast<std::size_t>(needed), u'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(out.data()),
                        needed);
  return out;
}

host::Lcid Win32Locale::GetUserDefaultLCID() const {
  return ::GetUserDefaultLCID();
}

int Win32Locale::GetLocaleInfo(host::Lcid locale, std::uint32_t type, char16_t* buffer,
                               int capacity) const {
  return ::GetLocaleInfoW(locale, type, reinterpret_cast<wchar_t*>(buffer), capacity);
}

bool Win32FileSystem::FindFirstFile(const String& path) {
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(Wide(path), &found);
  if (search == INVALID_HANDLE_VALUE)
    return false;
  ::FindClose(search);
  return true;
}

AnsiString Win32FileSystem::ReadFile(const String& path) {
  const OwnedFile file(::CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    Fail("Cannot open", path);
  AnsiString content;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
      Fail("Cannot read", path);
    if (got == 0)
      break;
    content.append(buffer, got);
  }
  return content;
}

namespace {

// Writes the whole content through the handle; false (with the last error set)
// when a write fails.
bool WriteAll(HANDLE file, const AnsiString& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1 << 20));
    DWORD wrote = 0;
    if (!::WriteFile(file, content.data() + done, chunk, &wrote, nullptr) || wrote == 0)
      return false;
    done += wrote;
  }
  return true;
}

}  // namespace

void Win32FileSystem::WriteFile(const String& path, const AnsiString& content) {
  const OwnedFile file(::CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    Fail("Cannot create", path);
  if (!WriteAll(file.get(), content))
    Fail("Cannot write", path);
}

void Win32FileSystem::CreateNewFile(const String& path, const AnsiString& content) {
  {
    const OwnedFile file(::CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
      Fail("Cannot create", path);
    if (WriteAll(file.get(), content))
      return;
  }
  const DWORD error = ::GetLastError();
  ::DeleteFileW(Wide(path));
  ::SetLastError(error);
  Fail("Cannot write", path);
}

void Win32FileSystem::CopyFile(const String& from, const String& to) {
  if (!::CopyFileW(Wide(from), Wide(to), FALSE))
    Fail("Cannot copy", from + u"\" to \"" + to);
}

void Win32FileSystem::DeleteFile(const String& path) {
  if (!::DeleteFileW(Wide(path)))
    Fail("Cannot delete", path);
}

void Win32FileSystem::CreateDirectory(const String& path) {
  if (!::CreateDirectoryW(Wide(path), nullptr))
    Fail("Cannot create folder", path);
}

std::intptr_t Win32Windows::SendMessage(host::WindowHandle window, std::uint32_t message,
                                        std::uintptr_t wParam, std::intptr_t lParam) {
  return ::SendMessageW(ToHwnd(window), message, wParam, lParam);
}

void Win32Windows::ProcessPendingMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The quit belongs to the loop of whoever runs this thread (Outlook's):
      // a nested loop posts it again for that loop rather than swallow it.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

int Win32Windows::GetSystemMetrics(int index) {
  return ::GetSystemMetrics(index);
}

Win32Platform::Win32Platform()
    : services_{ansi_,    registry_, locale_, resources_, gdi_,     ole_,  clipboard_,
                windows_, files_,    shell_,  help_,      dialogs_, views_} {}

}  // namespace ostrel::win32
