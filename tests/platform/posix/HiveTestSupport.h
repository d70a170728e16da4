// Helpers shared by the tests of the hive store: a scratch profile folder and
// one-call reads and writes in Latin-1 text (each byte one character), so that
// a test spells keys, names and string data as plain literals.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/Registry.h"
#include "host/String.h"

namespace ostrel::posix::test {

// A fresh, empty profile folder, removed with this object.
class TempProfile {
 public:
  TempProfile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrel-hive-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
  }
  ~TempProfile() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  TempProfile(const TempProfile&) = delete;
  TempProfile& operator=(const TempProfile&) = delete;

  const std::filesystem::path& dir() const { return dir_; }
  std::string str() const { return dir_.string(); }
  std::filesystem::path userHive() const { return dir_ / "HKEY_CURRENT_USER.reg"; }

 private:
  std::filesystem::path dir_;
};

// The whole file; empty when it cannot be read.
inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in)
    return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

inline void WriteBytes(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline bool IsText(std::uint32_t type) {
  return type == host::kRegSz || type == host::kRegExpandSz || type == host::kRegMultiSz;
}

// Latin-1 bytes as UTF-16: each byte the character of its number.
inline String Latin1(std::string_view bytes) {
  String text;
  for (const char byte : bytes)
    text += static_cast<char16_t>(static_cast<unsigned char>(byte));
  return text;
}

// Creates the key and stores the data; string data go in as UTF-16 (what the
// W functions store), any other type as the bytes given. The registry's status.
inline long Put(host::Registry& registry, host::RegRoot root, const std::string& path,
                const std::string& name, std::string_view data, std::uint32_t type = host::kRegSz) {
  host::RegKey key = host::RegKey::None;
  const long created = registry.CreateKey(root, Latin1(path), &key);
  if (created != host::kErrorSuccess)
    return created;
  std::vector<std::uint8_t> bytes;
  if (IsText(type)) {
    for (const char16_t unit : Latin1(data))
      bytes.insert(bytes.end(),
                   {static_cast<std::uint8_t>(unit), static_cast<std::uint8_t>(unit >> 8)});
  } else {
    bytes.assign(data.begin(), data.end());
  }
  const long status = registry.SetValue(key, Latin1(name), type, bytes.data(),
                                        static_cast<std::uint32_t>(bytes.size()));
  registry.CloseKey(key);
  return status;
}

// The stored data, string data back from UTF-16 to Latin-1 ("?" for what
// Latin-1 lacks, an odd last byte dropped); nothing when the key or the value
// is missing.
inline std::optional<std::string> Get(host::Registry& registry, host::RegRoot root,
                                      const std::string& path, const std::string& name) {
  host::RegKey key = host::RegKey::None;
  if (registry.OpenKey(root, Latin1(path), &key) != host::kErrorSuccess)
    return std::nullopt;
  std::uint32_t size = 0;
  std::uint32_t type = host::kRegNone;
  std::optional<std::string> data;
  if (registry.QueryValue(key, Latin1(name), &type, nullptr, &size) == host::kErrorSuccess) {
    std::vector<std::uint8_t> bytes(size);
    if (registry.QueryValue(key, Latin1(name), nullptr, bytes.data(), &size) ==
        host::kErrorSuccess) {
      bytes.resize(size);
      std::string read;
      if (IsText(type)) {
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
          const unsigned unit = bytes[i] | (bytes[i + 1] << 8);
          read += unit <= 0xFF ? static_cast<char>(unit) : '?';
        }
      } else {
        read.assign(bytes.begin(), bytes.end());
      }
      data = std::move(read);
    }
  }
  registry.CloseKey(key);
  return data;
}

}  // namespace ostrel::posix::test
