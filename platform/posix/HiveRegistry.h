// The registry of the Linux stand-in: one hive file per root in a profile folder
// (HKEY_CURRENT_USER.reg, HKEY_LOCAL_MACHINE.reg), each in regedit's export format.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>

#include "host/Registry.h"
#include "posix/RegFile.h"

namespace ostrel::posix {

// Win32 status codes the hives report beyond those of host/Registry.h.
inline constexpr long kErrorRegistryCorrupt = 1015;
inline constexpr long kErrorRegistryIoFailed = 1016;
inline constexpr long kErrorKeyDeleted = host::kErrorKeyDeleted;

// Behaves like the narrow Win32 registry functions (see host/Registry.h): string
// data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) and names are kept in UTF-16 and
// cross the interface in the ANSI code page it is given, names compare without
// regard to case, a handle stays valid until it is closed.
//
// Several processes may share a profile. Every write (deletes too) takes an exclusive lock beside
// the hive, re-reads the hive under it, and replaces the file atomically (a
// temporary file, flushed, renamed over the hive), so a crash or a concurrent
// writer never loses a stored value. Reads take no lock; they keep the parsed hive
// and parse it again only when the file on disk has changed.
//
// A hive file that cannot be read or parsed (a hand edit gone wrong) reads as
// empty, and every write to it is refused with kErrorRegistryCorrupt: rewriting it
// from what we could make of it would destroy the user's data, while refusing
// leaves the file for them to repair.
//
// One instance serves one thread.
class HiveRegistry final : public host::Registry {
 public:
  explicit HiveRegistry(std::string profileDir);
  ~HiveRegistry() override;
  HiveRegistry(const HiveRegistry&) = delete;
  HiveRegistry& operator=(const HiveRegistry&) = delete;

  long OpenKey(host::RegRoot root, const String& path, host::RegKey* key) override;
  long CreateKey(host::RegRoot root, const String& path, host::RegKey* key) override;
  long EnumKey(host::RegKey key, std::uint32_t index, String* name) override;
  long QueryValue(host::RegKey key, const String& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override;
  long SetValue(host::RegKey key, const String& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteValue(host::RegKey key, const String& name) override;
  long DeleteTree(host::RegRoot root, const String& path) override;
  long CloseKey(host::RegKey key) override;

  // The hive file of a root.
  std::string HivePath(host::RegRoot root) const;

  // Applies a whole .reg file, as `reg import` does. A file with an error stores
  // nothing; otherwise each hive it names is changed in one atomic write. On
  // failure *message says why ("line 9: dword value needs 1 to 8 hex digits").
  long Import(std::span<const std::uint8_t> regFile, std::string* message);

  // The keys and values of a root's hive as stored now. False, with *message,
  // when the hive file cannot be read or parsed.
  bool ReadHive(host::RegRoot root, RegTree* tree, std::string* message);

 private:
  struct Hive;
  struct OpenedKey {
    host::RegRoot root;
    String path;  // full path, root first
    // The key as last found, valid while the hive's cache has this generation.
    const RegKeyNode* node;
    std::uint64_t generation;
  };

  Hive* HiveOf(host::RegRoot root) const;
  OpenedKey* Opened(host::RegKey key);
  // The key of an open handle in the hive as it is now; nullptr when it is gone.
  const RegKeyNode* KeyOf(OpenedKey& opened);
  host::RegKey AddHandle(host::RegRoot root, String path, const RegKeyNode* node);

  std::string profileDir_;
  std::unique_ptr<Hive> currentUser_;
  std::unique_ptr<Hive> localMachine_;
  std::unordered_map<std::uintptr_t, OpenedKey> handles_;
  std::uintptr_t nextHandle_ = 1;
};

}  // namespace ostrel::posix
