#include "win32/Win32Handles.h"

#include <cstdio>

namespace ostrel::win32 {

std::string SystemErrorText(DWORD error) {
  char text[512] = {};
  DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                        text[length - 1] == ' ' || text[length - 1] == '.'))
    --length;
  return length > 0 ? std::string(text, length) : "error " + std::to_string(error);
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
