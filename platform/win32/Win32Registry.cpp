#include <vector>

#include "win32/Win32Handles.h"
#include "win32/Win32Services.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::win32 {
namespace {

HKEY RootKey(host::RegRoot root) {
  // The predefined keys are sign-extended constants on 64-bit Windows; use the
  // header's own definitions rather than converting the 32-bit number.
  return root == host::RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

HKEY Native(host::RegKey key) {
  return ToNative<HKEY>(key);
}

host::RegKey Wrap(HKEY key) {
  return FromNative<host::RegKey>(key);
}

bool IsStringType(std::uint32_t type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

long Win32Registry::OpenKey(host::RegRoot root, const AnsiString& path, host::RegKey* key) {
  HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyA(RootKey(root), path.c_str(), &opened);
  *key = status == ERROR_SUCCESS ? Wrap(opened) : host::RegKey::None;
  return status;
}

long Win32Registry::CreateKey(host::RegRoot root, const AnsiString& path, host::RegKey* key) {
  HKEY created = nullptr;
  const LONG status = ::RegCreateKeyA(RootKey(root), path.c_str(), &created);
  *key = status == ERROR_SUCCESS ? Wrap(created) : host::RegKey::None;
  return status;
}

long Win32Registry::EnumKey(host::RegKey key, std::uint32_t index, AnsiString* name) {
  if (name == nullptr)
    return ERROR_INVALID_PARAMETER;
  // A key name has at most 255 characters.
  char buffer[256];
  DWORD length = sizeof buffer;
  const LONG status =
      ::RegEnumKeyExA(Native(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS)
    name->assign(buffer, length);
  return status;
}

long Win32Registry::QueryValue(host::RegKey key, const AnsiString& name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* size) {
  DWORD nativeType = REG_NONE;
  DWORD nativeSize = size != nullptr ? *size : 0;
  const LONG status = ::RegQueryValueExA(Native(key), name.c_str(), nullptr, &nativeType, data,
                                         size != nullptr ? &nativeSize : nullptr);
  if (type != nullptr)
    *type = nativeType;
  if (size != nullptr)
    *size = nativeSize;
  return status;
}

long Win32Registry::SetValue(host::RegKey key, const AnsiString& name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
  // RegSetValueExA stores a terminating NUL of its own when the byte right after
  // the given count of a string is NUL (Windows and Wine alike). To store exactly
  // `size` bytes, hand it a copy whose next byte is not NUL.
  if (IsStringType(type) && size > 0 && data[size - 1] != 0) {
    std::vector<std::uint8_t> copy(data, data + size);
    copy.push_back(0xFF);
    return ::RegSetValueExA(Native(key), name.c_str(), 0, type, copy.data(), size);
  }
  return ::RegSetValueExA(Native(key), name.c_str(), 0, type, data, size);
}

long Win32Registry::DeleteValue(host::RegKey key, const AnsiString& name) {
  return ::RegDeleteValueA(Native(key), name.c_str());
}

long Win32Registry::DeleteTree(host::RegRoot root, const AnsiString& path) {
  // Given no subkey, RegDeleteTreeA empties the key it is handed: here that
  // would be the whole of HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE.
  if (path.c_str()[0] == '\0')
    return ERROR_INVALID_PARAMETER;
  return ::RegDeleteTreeA(RootKey(root), path.c_str());
}

long Win32Registry::CloseKey(host::RegKey key) {
  return ::RegCloseKey(Native(key));
}

}  // namespace ostrel::win32
