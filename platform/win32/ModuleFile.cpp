#include "win32/ModuleFile.h"

#include <string>

#include "win32/WideText.h"

namespace ostrel::win32 {

HMODULE ThisModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

String ModulePath(HMODULE module) {
  // GetModuleFileNameW cuts a name that does not fit and returns the buffer's
  // size: grow until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      return String();
    if (length < path.size())
      return FromWide(path.data(), length);
    path.resize(path.size() * 2);
  }
}

String FolderOf(const String& path) {
  const std::size_t separator = path.find_last_of(u"\\/");
  return separator == String::npos ? String() : path.substr(0, separator);
}

}  // namespace ostrel::win32
