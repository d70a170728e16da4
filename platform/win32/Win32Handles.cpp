#include "win32/Win32Handles.h"

#include <cstdio>
#include <iterator>

#include "common/Text.h"
#include "win32/WideText.h"

namespace ostrel::win32 {

// UTF-8, as every message of ours: the system's text in any language.
std::string SystemErrorText(DWORD error) {
  wchar_t text[512] = {};
  DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, std::size(text), nullptr);
  while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' ||
                        text[length - 1] == L' ' || text[length - 1] == L'.'))
    --length;
  return length > 0 ? Utf16ToUtf8(FromWide(text, length)) : "error " + std::to_string(error);
}

std::string HresultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

void RaiseWin32Error(DWORD error, const std::string& action) {
  throw host::HostError(static_cast<long>(error), action + ": " + SystemErrorText(error));
}

void RaiseLastError(const std::string& action) {
  RaiseWin32Error(::GetLastError(), action);
}

}  // namespace ostrel::win32
