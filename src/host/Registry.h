// The registry, in the shape of the wide-character Win32 functions
// (RegOpenKeyW, RegCreateKeyW, RegEnumKeyExW, RegQueryValueExW, RegSetValueExW,
// RegDeleteValueW, RegDeleteTreeW, RegCloseKey).
// Names are the system's text; string data are UTF-16 (little-endian) bytes,
// as the W functions store and hand them out; status codes are Windows' error
// codes.
#pragma once

#include <cstdint>

#include "host/ErrorNumbers.h"
#include "host/Handles.h"
#include "host/String.h"

namespace ostrel::host {

enum class RegRoot : std::uint32_t {
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
};

// Value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// Status codes (Win32 error numbers, host/ErrorNumbers.h).
inline constexpr long kErrorSuccess = errors::kSuccess;
inline constexpr long kErrorFileNotFound = errors::kFileNotFound;
inline constexpr long kErrorAccessDenied = errors::kAccessDenied;
inline constexpr long kErrorInvalidHandle = errors::kInvalidHandle;
inline constexpr long kErrorInvalidParameter = errors::kInvalidParameter;
inline constexpr long kErrorBadPathname = errors::kBadPathname;
inline constexpr long kErrorMoreData = errors::kMoreData;
inline constexpr long kErrorNoMoreItems = errors::kNoMoreItems;
// The key of an open handle was deleted meanwhile.
inline constexpr long kErrorKeyDeleted = errors::kKeyDeleted;

class Registry {
 public:
  virtual ~Registry() = default;

  // Opens an existing key. On failure *key is RegKey::None and nothing is created.
  virtual long OpenKey(RegRoot root, const String& path, RegKey* key) = 0;

  // Opens a key, creating it and any missing parent keys.
  virtual long CreateKey(RegRoot root, const String& path, RegKey* key) = 0;

  // RegEnumKeyExW: the name of subkey number `index` (from 0) of the open key,
  // as it was spelled when the key was made, in *name. Subkeys come in the
  // registry's order (by name, without regard to case). kErrorNoMoreItems when
  // index is past the last subkey; *name is left as it was on any failure.
  virtual long EnumKey(RegKey key, std::uint32_t index, String* name) = 0;

  // Reads one value. *size is the capacity of data on the way in and the stored
  // byte count on the way out. With data == nullptr only type and size are
  // reported; with a buffer that is too small the result is kErrorMoreData.
  // type may be nullptr.
  virtual long QueryValue(RegKey key, const String& name, std::uint32_t* type, std::uint8_t* data,
                          std::uint32_t* size) = 0;

  // Stores exactly `size` bytes of data under the name, replacing any earlier value.
  virtual long SetValue(RegKey key, const String& name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) = 0;

  // Removes one value; the empty name is the key's default value. kErrorFileNotFound
  // when the key has no such value.
  virtual long DeleteValue(RegKey key, const String& name) = 0;

  // Removes the key at path with its values and every key below it;
  // kErrorFileNotFound when there is no such key. Unlike RegDeleteTreeW, an empty
  // path (which would empty the whole root) is refused with kErrorInvalidParameter.
  virtual long DeleteTree(RegRoot root, const String& path) = 0;

  virtual long CloseKey(RegKey key) = 0;
};

}  // namespace ostrel::host
