#include <vector>

#include "win32/WideText.h"
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

long Win32Registry::OpenKey(host::RegRoot root, const String& path, host::RegKey* key) {
  HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyW(RootKey(root), Wide(path), &opened);
  *key = status == ERROR_SUCCESS ? Wrap(opened) : host::RegKey::None;
  return status;
}

long Win32Registry::CreateKey(host::RegRoot root, const String& path, host::RegKey* key) {
  HKEY created = nullptr;
  const LONG status = ::RegCreateKeyW(RootKey(root), Wide(path), &created);
  *key = status == ERROR_SUCCESS ? Wrap(created) : host::RegKey::None;
  return status;
}

long Win32Registry::EnumKey(host::RegKey key, std::uint32_t index, String* name) {
  if (name == nullptr)
    return ERROR_INVALID_PARAMETER;
  // A key name has at most 255 characters.
  wchar_t buffer[256];
  DWORD length = 256;
  const LONG status =
      ::RegEnumKeyExW(Native(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS)
    *name = FromWide(buffer, length);
  return status;
}

long Win32Registry::QueryValue(host::RegKey key, const String& name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* size) {
  DWORD nativeType = REG_NONE;
  DWORD nativeSize = size != nullptr ? *size : 0;
  const LONG status = ::RegQueryValueExW(Native(key), Wide(name), nullptr, &nativeType, data,
                                         size != nullptr ? &nativeSize : nullptr);
  if (type != nullptr)
    *type = nativeType;
  if (size != nullptr)
    *size = nativeSize;
  return status;
}

long Win32Registry::SetValue(host::RegKey key, const String& name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
  // RegSetValueExW stores a terminating null of its own when the last whole
  // character of a string is not null and the one right after the given count
  // is ("if user forgot to count terminating null, add it", Windows and Wine
  // alike), and it reads the character before the data when only one byte is
  // given. To store exactly `size` bytes, hand it a copy framed by characters
  // that are not null.
  if (IsStringType(type) && size > 0) {
    std::vector<std::uint8_t> copy{0xFF, 0xFF};
    copy.insert(copy.end(), data, data + size);
    copy.insert(copy.end(), {0xFF, 0xFF, 0xFF});
    return ::RegSetValueExW(Native(key), Wide(name), 0, type, copy.data() + 2, size);
  }
  return ::RegSetValueExW(Native(key), Wide(name), 0, type, data, size);
}

long Win32Registry::DeleteValue(host::RegKey key, const String& name) {
  return ::RegDeleteValueW(Native(key), Wide(name));
}

long Win32Registry::DeleteTree(host::RegRoot root, const String& path) {
  // Given no subkey, RegDeleteTreeW empties the key it is handed: here that
  // would be the whole of HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE.
  if (path.c_str()[0] == u'\0')
    return ERROR_INVALID_PARAMETER;
  return ::RegDeleteTreeW(RootKey(root), Wide(path));
}

long Win32Registry::CloseKey(host::RegKey key) {
  return ::RegCloseKey(Native(key));
}

}  // namespace ostrel::win32
