#include "posix/HiveRegistry.h"
#include "posix/PosixIo.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

namespace ostrel::posix {
namespace {

// A hive larger than this is taken as damaged rather than read into memory.
constexpr off_t kMaxHiveBytes = off_t{256} << 20;

bool HasLineBreak(std::u16string_view text) {
  return text.find_first_of(u"\r\n") != text.npos;
}

// The W functions take C strings: whatever follows a NUL is not seen.
String CText(const String& text) {
  return String(text.c_str());
}

// The full path ("HKEY_CURRENT_USER\Software\Quarro") of a key path relative to a
// root. Like Windows, a leading backslash is refused, runs of separators elsewhere
// count as one, and names beyond the registry's limits are invalid. The path
// is taken into UTF-16 whole before it is split, as the narrow functions do: in
// a double-byte code page the byte of "\" may be the second half of a
// character.
long FullKeyPath(host::RegRoot root, const String& path, String* full) {
  const String text = CText(path);
  if (!text.empty() && text.front() == u'\\')
    return host::kErrorBadPathname;
  if (text.find_first_of(u"\r\n") != String::npos)
    return host::kErrorInvalidParameter;
  const std::u16string_view rootName = RootName(root);
  full->assign(rootName.size() + 1 + text.size(), u'\0');
  std::copy(rootName.begin(), rootName.end(), full->begin());
  std::size_t at = rootName.size();
  std::size_t name = at;  // where the current name starts
  std::size_t depth = 0;  // names so far
  bool separator = true;  // one before the first name, and for every run of them
  for (const char16_t c : text) {
    if (c == u'\\') {
      separator = true;
      continue;
    }
    if (separator) {
      if (++depth > kMaxKeyDepth)
        return host::kErrorInvalidParameter;
      (*full)[at++] = u'\\';
      name = at;
    }
    separator = false;
    (*full)[at++] = c;
    if (at - name > kMaxKeyNameLength)
      return host::kErrorInvalidParameter;
  }
  full->resize(at);
  return full->size() > kMaxKeyPathLength ? host::kErrorInvalidParameter : host::kErrorSuccess;
}

// FullKeyPath for a key that must already exist: a path no key can have is
// simply not found, as Windows answers for opening or deleting it.
long ExistingKeyPath(host::RegRoot root, const String& path, String* full) {
  const long status = FullKeyPath(root, path, full);
  return status == host::kErrorInvalidParameter ? host::kErrorFileNotFound : status;
}

bool IsRootPath(host::RegRoot root, std::u16string_view path) {
  return path == RootName(root);
}

long StatusFromErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
      return host::kErrorAccessDenied;
    case ENOSPC:
    case EDQUOT:
      return 112;  // ERROR_DISK_FULL
    default:
      return kErrorRegistryIoFailed;
  }
}

bool MakeFolders(const std::string& dir) {
  for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
    const std::string part = dir.substr(0, slash);
    if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
      return false;
    if (slash == std::string::npos)
      return true;
  }
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

}  // namespace

struct HiveRegistry::Hive {
  using Change = std::function<long(RegTree&, bool* changed)>;

  Hive(host::RegRoot hiveRoot, const std::string& folder)
      : root(hiveRoot),
        dir(folder.empty() ? std::string(".") : folder),
        path(this->dir + "/" + Utf16ToNarrow(RootName(root)) + ".reg"),
        lockPath(path + ".lock"),
        tempPath(path + ".tmp") {}
  ~Hive() { Forget(); }

  static std::string Utf16ToNarrow(std::u16string_view ascii) {
    return std::string(ascii.begin(), ascii.end());
  }

  // Drops the cached file. The cache keeps the file it was read from open: as
  // long as that inode is in use the file system cannot hand its number to a
  // newer hive, so an unchanged (st_dev, st_ino) pair really is the same file.
  void Forget() {
    if (pinned >= 0)
      ::close(pinned);
    pinned = -1;
    known = false;
  }

  void Remember(int fd, const struct stat& info) {
    Forget();
    pinned = fd;
    identity = info;
    known = true;
  }

  void SetBroken(std::string why) {
    broken = true;
    problem = std::move(why);
    SetTree(RegTree());
  }

  void SetTree(RegTree keys) {
    tree = std::move(keys);
    ++generation;
  }

  // Brings the cache up to date with the file, reading it only when it changed.
  void Refresh() {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
      const int error = errno;
      Forget();
      if (error == ENOENT) {
        broken = false;
        SetTree(RegTree());
      } else {
        SetBroken(std::string("cannot examine the file: ") + std::strerror(error));
      }
      return;
    }
    if (known && SameFile(info, identity))
      return;
    Load();
  }

  // Reads and parses the file, whatever the cache holds.
  void Load() {
    Forget();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      const int error = errno;
      if (error == ENOENT) {
        broken = false;
        SetTree(RegTree());
      } else {
        SetBroken(std::string("cannot open the file: ") + std::strerror(error));
      }
      return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
      const int error = errno;
      ::close(fd);
      SetBroken(std::string("cannot examine the file: ") + std::strerror(error));
      return;
    }
    Remember(fd, info);
    if (!S_ISREG(info.st_mode))
      return SetBroken("not a regular file");
    if (info.st_size > kMaxHiveBytes)
      return SetBroken("the file is too large for a hive");

    // Read through the descriptor: a writer replacing the hive meanwhile renames a
    // new file over the name and leaves this one whole.
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    std::uint8_t chunk[65536];
    while (true) {
      const ssize_t got = ::read(fd, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR)
        continue;
      if (got < 0) {
        const int error = errno;
        return SetBroken(std::string("cannot read the file: ") + std::strerror(error));
      }
      if (got == 0)
        break;
      bytes.insert(bytes.end(), chunk, chunk + got);
      if (bytes.size() > static_cast<std::size_t>(kMaxHiveBytes)) {
        return SetBroken("the file is too large for a hive");
      }
    }
    RegTree parsed;
    const RegParseResult result = ParseRegFile(bytes, parsed, RegParseOptions{root, true});
    if (!result.ok)
      return SetBroken(result.Describe());
    broken = false;
    problem.clear();
    SetTree(std::move(parsed));
  }

  std::string Describe() const { return path + ": " + problem; }

  // One write: lock, read the hive afresh, change it, replace the file, unlock.
  long Update(const Change& change, std::string* message) {
    const auto fail = [&](long status, std::string why) {
      if (message != nullptr)
        *message = std::move(why);
      return status;
    };
    if (!MakeFolders(dir)) {
      const int error = errno;
      return fail(StatusFromErrno(error), dir + ": " + std::strerror(error));
    }
    const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0) {
      const int error = errno;
      return fail(StatusFromErrno(error), lockPath + ": " + std::strerror(error));
    }
    while (::flock(lock, LOCK_EX) != 0) {
      if (errno != EINTR) {
        const int error = errno;
        ::close(lock);
        return fail(StatusFromErrno(error), lockPath + ": " + std::strerror(error));
      }
    }
    // Closing the descriptor releases the lock.
    const long status = UpdateLocked(change, message);
    ::close(lock);
    return status;
  }

  long UpdateLocked(const Change& change, std::string* message) {
    // Another process may have written since our last look, possibly within the
    // file system's timestamp granularity: always read again under the lock.
    Load();
    if (broken) {
      if (message != nullptr) {
        *message = Describe() + "; the hive is left as it is: repair or remove it";
      }
      return kErrorRegistryCorrupt;
    }
    // The tree was just read from the file: change it in place, and forget it
    // again if the file cannot be replaced.
    bool anything = false;
    ++generation;
    const long status = change(tree, &anything);
    if (status != host::kErrorSuccess) {
      Forget();
      return status;
    }
    if (!anything)
      return status;

    const std::vector<std::uint8_t> bytes = WriteRegFile(tree);
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
      const int error = errno;
      Forget();
      if (message != nullptr) {
        *message = tempPath + ": " + std::strerror(error);
      }
      return StatusFromErrno(error);
    }
    if (!WriteAll(fd, bytes.data(), bytes.size()) || ::fsync(fd) != 0 ||
        ::rename(tempPath.c_str(), path.c_str())) {
      const int error = errno;
      ::close(fd);
      ::unlink(tempPath.c_str());
      Forget();
      if (message != nullptr)
        *message = path + ": " + std::strerror(error);
      return StatusFromErrno(error);
    }
    // Make the rename itself durable.
    const int folder = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      ::fsync(folder);
      ::close(folder);
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
      Remember(fd, info);
    } else {
      ::close(fd);
      Forget();
    }
    return host::kErrorSuccess;
  }

  const host::RegRoot root;
  const std::string dir;
  const std::string path;
  const std::string lockPath;
  const std::string tempPath;

  RegTree tree;  // empty while the file is missing or broken
  // Changes whenever tree does: a key found in it stays valid while this holds.
  std::uint64_t generation = 0;
  bool broken = false;
  std::string problem;
  bool known = false;  // identity and pinned describe the file tree was read from
  struct stat identity {};
  int pinned = -1;
};

HiveRegistry::HiveRegistry(std::string profileDir)
    : profileDir_(std::move(profileDir)),
      currentUser_(std::make_unique<Hive>(host::RegRoot::CurrentUser, profileDir_)),
      localMachine_(std::make_unique<Hive>(host::RegRoot::LocalMachine, profileDir_)) {}

HiveRegistry::~HiveRegistry() = default;

HiveRegistry::Hive* HiveRegistry::HiveOf(host::RegRoot root) const {
  switch (root) {
    case host::RegRoot::CurrentUser:
      return currentUser_.get();
    case host::RegRoot::LocalMachine:
      return localMachine_.get();
  }
  return nullptr;
}

HiveRegistry::OpenedKey* HiveRegistry::Opened(host::RegKey key) {
  const auto found = handles_.find(static_cast<std::uintptr_t>(key));
  return found == handles_.end() ? nullptr : &found->second;
}

const RegKeyNode* HiveRegistry::KeyOf(OpenedKey& opened) {
  Hive* hive = HiveOf(opened.root);
  hive->Refresh();
  if (opened.generation != hive->generation) {
    opened.node = hive->tree.Find(opened.path);
    opened.generation = hive->generation;
  }
  return opened.node;
}

host::RegKey HiveRegistry::AddHandle(host::RegRoot root, String path, const RegKeyNode* node) {
  const std::uintptr_t handle = nextHandle_++;
  handles_.emplace(handle, OpenedKey{root, std::move(path), node, HiveOf(root)->generation});
  return static_cast<host::RegKey>(handle);
}

std::string HiveRegistry::HivePath(host::RegRoot root) const {
  const Hive* hive = HiveOf(root);
  return hive != nullptr ? hive->path : std::string();
}

long HiveRegistry::OpenKey(host::RegRoot root, const String& path, host::RegKey* key) {
  if (key == nullptr)
    return host::kErrorInvalidParameter;
  *key = host::RegKey::None;
  Hive* hive = HiveOf(root);
  if (hive == nullptr)
    return host::kErrorInvalidHandle;
  String full;
  const long status = ExistingKeyPath(root, path, &full);
  if (status != host::kErrorSuccess)
    return status;

  hive->Refresh();
  const RegKeyNode* node = hive->tree.Find(full);
  if (node == nullptr && !IsRootPath(root, full))
    return host::kErrorFileNotFound;
  *key = AddHandle(root, std::move(full), node);
  return host::kErrorSuccess;
}

long HiveRegistry::CreateKey(host::RegRoot root, const String& path, host::RegKey* key) {
  if (key == nullptr)
    return host::kErrorInvalidParameter;
  *key = host::RegKey::None;
  Hive* hive = HiveOf(root);
  if (hive == nullptr)
    return host::kErrorInvalidHandle;
  String full;
  const long status = FullKeyPath(root, path, &full);
  if (status != host::kErrorSuccess)
    return status;

  hive->Refresh();
  const bool exists = IsRootPath(root, full) || hive->tree.Find(full) != nullptr;
  if (!exists) {
    const long created = hive->Update(
        [&](RegTree& tree, bool* changed) {
          tree.Create(full, changed);
          return host::kErrorSuccess;
        },
        nullptr);
    if (created != host::kErrorSuccess)
      return created;
  }
  const RegKeyNode* node = hive->tree.Find(full);
  *key = AddHandle(root, std::move(full), node);
  return host::kErrorSuccess;
}

long HiveRegistry::EnumKey(host::RegKey key, std::uint32_t index, String* name) {
  if (name == nullptr)
    return host::kErrorInvalidParameter;
  OpenedKey* opened = Opened(key);
  if (opened == nullptr)
    return host::kErrorInvalidHandle;
  const RegKeyNode* node = KeyOf(*opened);
  if (node == nullptr) {
    // An empty hive has no node for its root: nothing below it.
    return IsRootPath(opened->root, opened->path) ? host::kErrorNoMoreItems : kErrorKeyDeleted;
  }
  if (index >= node->subkeys.size())
    return host::kErrorNoMoreItems;
  // The map keeps the names in the registry's own order.
  *name = std::next(node->subkeys.begin(), index)->first;
  return host::kErrorSuccess;
}

long HiveRegistry::QueryValue(host::RegKey key, const String& name, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) {
  OpenedKey* opened = Opened(key);
  if (opened == nullptr)
    return host::kErrorInvalidHandle;
  const RegKeyNode* node = KeyOf(*opened);
  if (node == nullptr) {
    return IsRootPath(opened->root, opened->path) ? host::kErrorFileNotFound : kErrorKeyDeleted;
  }
  const auto found = node->values.find(CText(name));
  if (found == node->values.end())
    return host::kErrorFileNotFound;
  const RegData& stored = found->second;

  // The stored bytes as they are, string data as UTF-16 too, as
  // RegQueryValueExW hands them out.
  const std::size_t count = stored.bytes.size();
  if (type != nullptr)
    *type = stored.type;
  if (data == nullptr) {
    if (size != nullptr)
      *size = static_cast<std::uint32_t>(count);
    return host::kErrorSuccess;
  }
  if (size == nullptr)
    return host::kErrorInvalidParameter;
  if (*size < count) {
    *size = static_cast<std::uint32_t>(count);
    return host::kErrorMoreData;
  }
  if (count != 0)
    std::memcpy(data, stored.bytes.data(), count);
  *size = static_cast<std::uint32_t>(count);
  return host::kErrorSuccess;
}

long HiveRegistry::SetValue(host::RegKey key, const String& name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) {
  const OpenedKey* opened = Opened(key);
  if (opened == nullptr)
    return host::kErrorInvalidHandle;
  if (data == nullptr && size != 0)
    return host::kErrorInvalidParameter;
  const String wideName = CText(name);
  if (HasLineBreak(wideName))
    return host::kErrorInvalidParameter;

  // RegSetValueExW stores exactly the bytes given, string data included: it
  // adds no terminator.
  RegData value;
  value.type = type;
  if (size != 0)
    value.bytes.assign(data, data + size);

  const host::RegRoot root = opened->root;
  const String& path = opened->path;
  return HiveOf(root)->Update(
      [&](RegTree& tree, bool* changed) {
        RegKeyNode* node = tree.Find(path);
        if (node == nullptr) {
          if (!IsRootPath(root, path))
            return kErrorKeyDeleted;
          node = &tree.Create(path);
        }
        const auto found = node->values.find(wideName);
        if (found != node->values.end() && found->second == value)
          return host::kErrorSuccess;
        node->values.insert_or_assign(wideName, value);
        *changed = true;
        return host::kErrorSuccess;
      },
      nullptr);
}

long HiveRegistry::DeleteValue(host::RegKey key, const String& name) {
  OpenedKey* opened = Opened(key);
  if (opened == nullptr)
    return host::kErrorInvalidHandle;
  const String wideName = CText(name);
  if (HasLineBreak(wideName))
    return host::kErrorFileNotFound;  // no stored name has one
  const host::RegRoot root = opened->root;
  Hive* hive = HiveOf(root);

  // Nothing to remove in the hive as it is now: answer without taking the lock
  // or creating the profile. A damaged hive goes on to be refused like a write.
  const RegKeyNode* node = KeyOf(*opened);
  if (!hive->broken) {
    if (node == nullptr)
      return IsRootPath(root, opened->path) ? host::kErrorFileNotFound : kErrorKeyDeleted;
    if (!node->values.contains(wideName))
      return host::kErrorFileNotFound;
  }
  const String& path = opened->path;
  return hive->Update(
      [&](RegTree& tree, bool* changed) {
        RegKeyNode* current = tree.Find(path);
        if (current == nullptr)
          return IsRootPath(root, path) ? host::kErrorFileNotFound : kErrorKeyDeleted;
        if (current->values.erase(wideName) == 0)
          return host::kErrorFileNotFound;
        *changed = true;
        return host::kErrorSuccess;
      },
      nullptr);
}

long HiveRegistry::DeleteTree(host::RegRoot root, const String& path) {
  Hive* hive = HiveOf(root);
  if (hive == nullptr)
    return host::kErrorInvalidHandle;
  String full;
  const long status = ExistingKeyPath(root, path, &full);
  if (status != host::kErrorSuccess)
    return status;
  // An empty path names the root itself; RegDeleteTreeA would empty it.
  if (IsRootPath(root, full))
    return host::kErrorInvalidParameter;

  hive->Refresh();
  if (!hive->broken && hive->tree.Find(full) == nullptr)
    return host::kErrorFileNotFound;
  return hive->Update(
      [&](RegTree& tree, bool* changed) {
        *changed = tree.Delete(full);
        return *changed ? host::kErrorSuccess : host::kErrorFileNotFound;
      },
      nullptr);
}

long HiveRegistry::CloseKey(host::RegKey key) {
  return handles_.erase(static_cast<std::uintptr_t>(key)) != 0 ? host::kErrorSuccess
                                                               : host::kErrorInvalidHandle;
}

long HiveRegistry::Import(std::span<const std::uint8_t> regFile, std::string* message) {
  RegTree checked;
  const RegParseResult result = ParseRegFile(regFile, checked);
  if (!result.ok) {
    if (message != nullptr)
      *message = result.Describe();
    return host::kErrorInvalidParameter;
  }
  for (const host::RegRoot root : result.roots) {
    const long status = HiveOf(root)->Update(
        [&](RegTree& tree, bool* changed) {
          const RegParseResult applied = ParseRegFile(regFile, tree, RegParseOptions{root, false});
          *changed = applied.ok;
          return applied.ok ? host::kErrorSuccess : host::kErrorInvalidParameter;
        },
        message);
    if (status != host::kErrorSuccess)
      return status;
  }
  return host::kErrorSuccess;
}

bool HiveRegistry::ReadHive(host::RegRoot root, RegTree* tree, std::string* message) {
  Hive* hive = HiveOf(root);
  if (hive == nullptr)
    return false;
  hive->Refresh();
  if (hive->broken) {
    if (message != nullptr)
      *message = hive->Describe();
    return false;
  }
  *tree = hive->tree;
  return true;
}

}  // namespace ostrel::posix
