#include "addin/Registration.h"

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "addin/RegistrationEntries.h"
#include "addin/ServerIdentity.h"
#include "settings/SettingsLayout.h"
#include "settings/modRegistry.h"

namespace ostrel {
namespace {

namespace reg = settings::registration;

// The whole registration lives under the current user.
constexpr host::RegRoot kRoot = host::RegRoot::CurrentUser;

struct Entry {
  String key;
  String name;
  RegValue value;
  std::uint32_t type;
};

std::vector<Entry> Entries(const String& modulePath) {
  std::vector<Entry> entries;
  for (RegistrationEntry& e :
       RegistrationEntries(modulePath, FolderWithSeparator(modulePath), sizeof(void*) == 8)) {
    entries.push_back(Entry{
        std::move(e.key), std::move(e.name),
        e.type == host::kRegDword ? RegValue::Number(e.number) : RegValue::Text(std::move(e.text)),
        e.type});
  }
  return entries;
}

// What a registration has changed so far, so that a refused write can be taken
// back: the topmost key each write created, and the earlier content of each value
// it is about to replace in a key that was already there.
class Journal {
 public:
  explicit Journal(host::Platform& platform) : registry_(platform.registry) {}

  // Called before a value is written under the key.
  void Note(const String& key, const String& name) {
    const String& path = key;
    host::RegKey handle = host::RegKey::None;
    const long opened = registry_.OpenKey(kRoot, path, &handle);
    if (opened == host::kErrorFileNotFound)
      return NoteCreated(path);
    if (opened != host::kErrorSuccess)
      return;  // the write will fail too

    Saved saved{path, name, false, host::kRegNone, {}};
    std::uint32_t size = 0;
    long status = registry_.QueryValue(handle, saved.name, &saved.type, nullptr, &size);
    if (status == host::kErrorSuccess) {
      saved.data.assign(size + 1, 0);  // never an empty buffer
      status = registry_.QueryValue(handle, saved.name, &saved.type, saved.data.data(), &size);
      saved.data.resize(size);
      saved.existed = status == host::kErrorSuccess;
    }
    registry_.CloseKey(handle);
    // A value that exists but cannot be read is left as it is by Undo.
    if (saved.existed || status == host::kErrorFileNotFound)
      saved_.push_back(std::move(saved));
  }

  // Puts back what the noted writes changed, newest first: earlier values are
  // restored or removed, then the created keys are removed with what is in them.
  // Every step is tried; one that fails does not stop the others.
  void Undo() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      host::RegKey handle = host::RegKey::None;
      if (registry_.OpenKey(kRoot, it->key, &handle) != host::kErrorSuccess)
        continue;
      if (it->existed) {
        std::uint8_t none = 0;
        registry_.SetValue(handle, it->name, it->type, it->data.empty() ? &none : it->data.data(),
                           static_cast<std::uint32_t>(it->data.size()));
      } else {
        registry_.DeleteValue(handle, it->name);
      }
      registry_.CloseKey(handle);
    }
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
      registry_.DeleteTree(kRoot, *it);
    }
  }

 private:
  struct Saved {
    String key;
    String name;
    bool existed;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };

  // The key is missing: the write creates it from its first missing ancestor on.
  void NoteCreated(const String& path) {
    for (std::size_t separator = path.find(u'\\');; separator = path.find(u'\\', separator + 1)) {
      const String prefix = path.substr(0, separator);
      host::RegKey handle = host::RegKey::None;
      const long status = registry_.OpenKey(kRoot, prefix, &handle);
      if (status == host::kErrorSuccess)
        registry_.CloseKey(handle);
      if (status == host::kErrorFileNotFound) {
        created_.push_back(prefix);
        return;
      }
      if (separator == String::npos)
        return;
    }
  }

  host::Registry& registry_;
  std::vector<String> created_;
  std::vector<Saved> saved_;
};

// Whether two Windows paths name the same file: compared without regard to
// case (as NTFS names compare for the user) and to the separator's form.
bool SamePath(const String& a, const String& b) {
  if (a.size() != b.size())
    return false;
  const auto fold = [](char16_t c) -> char16_t {
    if (c == u'/')
      return u'\\';
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
  };
  for (std::size_t i = 0; i < a.size(); ++i)
    if (fold(a[i]) != fold(b[i]))
      return false;
  return true;
}

// The default value of a key below Software\Classes, from the current user's
// classes or else the machine's, as the merged HKEY_CLASSES_ROOT shows it.
// Nothing when both are missing or empty.
std::optional<String> ClassesDefault(host::Platform& platform, const String& subkey) {
  const String key = RegistryPath({reg::kClassesKey, subkey});
  for (const host::RegRoot root : {host::RegRoot::CurrentUser, host::RegRoot::LocalMachine}) {
    const RegValue value = ReadRegValue(platform, root, key, String(reg::kDefaultValue));
    if (value.IsText() && !value.AsText().empty())
      return value.AsText();
  }
  return std::nullopt;
}

// Whether the value is there, whatever its type and content.
bool ValuePresent(host::Platform& platform, const Entry& entry) {
  host::RegKey key = host::RegKey::None;
  if (platform.registry.OpenKey(kRoot, entry.key, &key) != host::kErrorSuccess) {
    return false;
  }
  std::uint32_t size = 0;
  const long status = platform.registry.QueryValue(key, entry.name, nullptr, nullptr, &size);
  platform.registry.CloseKey(key);
  return status == host::kErrorSuccess;
}

// Writes the entries in order; when one is refused, takes back every write
// made so far and answers false.
bool WriteEntries(host::Platform& platform, const std::vector<Entry>& entries) {
  Journal journal(platform);
  try {
    for (const Entry& entry : entries) {
      journal.Note(entry.key, entry.name);
      if (!WriteRegValue(platform, kRoot, entry.key, entry.name, entry.value, entry.type)) {
        journal.Undo();
        return false;
      }
    }
  } catch (const std::exception&) {
    journal.Undo();
    return false;
  }
  return true;
}

// The registry keeps UTF-16: any folder the user's name gives can be
// registered, inside the ANSI code page or not.
bool Spellable(const String& modulePath) {
  return !modulePath.empty();
}

}  // namespace

bool RegisterServer(host::Platform& platform, const String& modulePath) {
  return Spellable(modulePath) && WriteEntries(platform, Entries(modulePath));
}

RegistrationCompletion CompleteRegistration(host::Platform& platform, const String& modulePath) {
  RegistrationCompletion result;
  if (!Spellable(modulePath)) {
    result.refused = true;
    return result;
  }
  const std::vector<Entry> all = Entries(modulePath);
  std::vector<Entry> missing;
  for (const Entry& entry : all) {
    if (!ValuePresent(platform, entry))
      missing.push_back(entry);
  }
  result.total = static_cast<int>(all.size());
  if (missing.empty())
    return result;
  if (!WriteEntries(platform, missing)) {
    result.refused = true;
    return result;
  }
  result.written = static_cast<int>(missing.size());
  return result;
}

bool UnregisterServer(host::Platform& platform, const String& modulePath) {
  // Another copy of the server registered later (from another folder) owns
  // the registration now: this copy's unregistration leaves it alone.
  const RegValue registered =
      ReadRegValue(platform, kRoot, RegistryPath({ClassKey(), reg::kInprocServer32Key}),
                   String(reg::kDefaultValue));
  if (registered.IsText() && !registered.AsText().empty() &&
      !SamePath(registered.AsText(), modulePath))
    return true;
  bool removed = true;
  for (const String& key : RegisteredKeys()) {
    const long status = platform.registry.DeleteTree(kRoot, key);
    if (status != host::kErrorSuccess && status != host::kErrorFileNotFound)
      removed = false;
  }
  return removed;
}

std::optional<String> ClassOfProgId(host::Platform& platform, const String& progId) {
  // A separator or NUL would name some other key than the ProgID's own.
  if (progId.empty() || progId.find_first_of(std::u16string_view(u"\\\0", 2)) != String::npos)
    return std::nullopt;
  const std::optional<String> clsid =
      ClassesDefault(platform, RegistryPath({progId, reg::kClsidKey}));
  if (!clsid || !identity::ParseGuid(*clsid))
    return std::nullopt;
  return clsid;
}

std::optional<String> InprocServerOfClass(host::Platform& platform, const String& clsid) {
  if (!identity::ParseGuid(clsid))
    return std::nullopt;
  return ClassesDefault(platform, RegistryPath({reg::kClsidKey, clsid, reg::kInprocServer32Key}));
}

std::optional<String> InprocServerOf(host::Platform& platform, const String& progId) {
  const std::optional<String> clsid = ClassOfProgId(platform, progId);
  return clsid ? InprocServerOfClass(platform, *clsid) : std::nullopt;
}

}  // namespace ostrel
