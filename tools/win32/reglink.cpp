// ostrel-reglink: for Wine prefixes of tests only. Wine 8 does not look into
// HKEY_CURRENT_USER\Software\Classes for COM classes, where a per-user server
// such as Ostrel.dll registers itself. This makes that key a registry link to
// HKEY_LOCAL_MACHINE\Software\Classes, so per-user registrations land where
// Wine's COM looks, without changing what the add-in writes.
//   ostrel-reglink           make the link (the key must not exist yet)
//   ostrel-reglink --delete  remove it again
#include "win32/WindowsHeaders.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

const wchar_t kKey[] = L"Software\\Classes";
const wchar_t kTarget[] = L"\\Registry\\Machine\\Software\\Classes";

int Delete() {
  HKEY key = nullptr;
  LONG status =
      ::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, REG_OPTION_OPEN_LINK, DELETE | KEY_ALL_ACCESS, &key);
  if (status == ERROR_SUCCESS) {
    using NtDeleteKey = LONG(WINAPI*)(HANDLE);
    const auto remove = reinterpret_cast<NtDeleteKey>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    status = remove != nullptr ? remove(key) : ERROR_PROC_NOT_FOUND;
    ::RegCloseKey(key);
  }
  std::printf("ostrel-reglink: link removed (%ld)\n", status);
  return status == ERROR_SUCCESS ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--delete") == 0)
    return Delete();
  HKEY key = nullptr;
  DWORD disposition = 0;
  LONG status = ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_CREATE_LINK,
                                  KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, &disposition);
  if (status != ERROR_SUCCESS || disposition != REG_CREATED_NEW_KEY) {
    std::printf("ostrel-reglink: HKCU\\Software\\Classes exists already (%ld): delete it first\n",
                status);
    if (key != nullptr)
      ::RegCloseKey(key);
    return 1;
  }
  // REG_LINK data is the target's path without a terminating NUL.
  status = ::RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                            reinterpret_cast<const BYTE*>(kTarget),
                            static_cast<DWORD>(std::wcslen(kTarget) * sizeof(wchar_t)));
  ::RegCloseKey(key);
  std::printf(
      "ostrel-reglink: HKCU\\Software\\Classes now links to HKLM\\Software\\Classes (%ld)\n",
      status);
  return status == ERROR_SUCCESS ? 0 : 1;
}
