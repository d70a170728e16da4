// Text, locale, files and window messages.
#include "win32/Win32Services.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::win32 {

AnsiString Win32AnsiCodePage::ToAnsi(const String& text) const {
  if (text.empty()) return AnsiString();
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int needed = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  AnsiString out(static_cast<std::size_t>(needed), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), needed, nullptr, nullptr);
  return out;
}

String Win32AnsiCodePage::FromAnsi(const AnsiString& bytes) const {
  if (bytes.empty()) return String();
  const int length = static_cast<int>(bytes.size());
  const int needed = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  String out(static_cast<std::size_t>(needed), u'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(out.data()),
                        needed);
  return out;
}

host::Lcid Win32Locale::GetUserDefaultLCID() const { return ::GetUserDefaultLCID(); }

int Win32Locale::GetLocaleInfo(host::Lcid locale, std::uint32_t type, char* buffer,
                               int capacity) const {
  return ::GetLocaleInfoA(locale, type, buffer, capacity);
}

bool Win32FileSystem::FindFirstFile(const String& path) {
  WIN32_FIND_DATAA found{};
  const HANDLE search = ::FindFirstFileA(ansi_.ToAnsi(path).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  return true;
}

std::intptr_t Win32Windows::SendMessage(host::WindowHandle window, std::uint32_t message,
                                        std::uintptr_t wParam, std::intptr_t lParam) {
  return ::SendMessageA(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)), message,
                        wParam, lParam);
}

Win32Platform::Win32Platform()
    : services_{ansi_, registry_, locale_, resources_, gdi_, ole_, clipboard_, windows_, files_} {}

}  // namespace ostrel::win32
