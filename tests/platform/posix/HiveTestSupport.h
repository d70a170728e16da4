// Helpers shared by the tests of the hive store: a scratch profile folder and
// one-call reads and writes through the narrow registry interface.
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

// Creates the key and stores the bytes; the registry's status.
inline long Put(host::Registry& registry, host::RegRoot root, const std::string& path,
                const std::string& name, std::string_view data, std::uint32_t type = host::kRegSz) {
  host::RegKey key = host::RegKey::None;
  const long created = registry.CreateKey(root, path, &key);
  if (created != host::kErrorSuccess)
    return created;
  const long status =
      registry.SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                        static_cast<std::uint32_t>(data.size()));
  registry.CloseKey(key);
  return status;
}

// The stored bytes as the narrow interface hands them out; nothing when the key
// or the value is missing.
inline std::optional<std::string> Get(host::Registry& registry, host::RegRoot root,
                                      const std::string& path, const std::string& name) {
  host::RegKey key = host::RegKey::None;
  if (registry.OpenKey(root, path, &key) != host::kErrorSuccess)
    return std::nullopt;
  std::uint32_t size = 0;
  std::optional<std::string> data;
  if (registry.QueryValue(key, name, nullptr, nullptr, &size) == host::kErrorSuccess) {
    std::string bytes(size, '\0');
    if (registry.QueryValue(key, name, nullptr, reinterpret_cast<std::uint8_t*>(bytes.data()),
                            &size) == host::kErrorSuccess) {
      bytes.resize(size);
      data = std::move(bytes);
    }
  }
  registry.CloseKey(key);
  return data;
}

}  // namespace ostrel::posix::test
