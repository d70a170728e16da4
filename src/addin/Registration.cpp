#include "addin/Registration.h"

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "addin/ServerIdentity.h"
#include "settings/SettingsLayout.h"
#include "settings/modRegistry.h"

namespace ostrel {
namespace {

namespace reg = settings::registration;

// The whole registration lives under the current user.
constexpr host::RegRoot kRoot = host::RegRoot::CurrentUser;

// The parts joined by backslashes.
String Path(std::initializer_list<std::u16string_view> parts) {
  String path;
  for (const std::u16string_view part : parts) {
    if (!path.empty())
      path += u'\\';
    path += part;
  }
  return path;
}

String ClassKey() {
  return Path({reg::kClassesKey, reg::kClsidKey, identity::kClsidConnect.text});
}
String ProgIdKey() {
  return Path({reg::kClassesKey, identity::kProgId});
}
String TypeLibKey() {
  return Path({reg::kClassesKey, reg::kTypeLibKey, identity::kLibId.text});
}
String InterfaceKey(const identity::ComId& iid) {
  return Path({reg::kClassesKey, reg::kInterfaceKey, iid.text});
}
String OutlookAddinKey() {
  String key(settings::kOutlookKey);
  key += reg::kAddinsInfix;
  key += identity::kProgId;
  return key;
}

// Each of these holds part of the registration and nothing else; Outlook's entry
// comes first, so Outlook stops loading the add-in before its classes go.
std::vector<String> RegisteredKeys() {
  return {OutlookAddinKey(),
          ClassKey(),
          ProgIdKey(),
          TypeLibKey(),
          InterfaceKey(identity::kIidConnect),
          InterfaceKey(identity::kIidAddIn)};
}

// The folder of a file, without the trailing separator; empty for a bare name.
String FolderOf(const String& file) {
  const std::size_t separator = file.find_last_of(u"\\/");
  return separator == String::npos ? String() : file.substr(0, separator);
}

struct Entry {
  String key;
  String name;
  RegValue value;
  std::uint32_t type;
};

// A REG_SZ entry, stored with its terminating NUL as every text value is:
// COM and Outlook read them with RegQueryValueEx, which hands out the stored
// bytes as they are, and expect a terminated string.
Entry TextEntry(String key, std::u16string_view name, std::u16string_view text) {
  return Entry{std::move(key), String(name), RegValue::Text(String(text)), host::kRegSz};
}

std::vector<Entry> Entries(const String& modulePath) {
  const std::u16string_view kDefault = reg::kDefaultValue;
  const String cls = ClassKey();
  const String server = Path({cls, reg::kInprocServer32Key});
  const String lib = Path({TypeLibKey(), identity::kTypeLibVersion});
  std::vector<Entry> entries = {
      TextEntry(cls, kDefault, identity::kConnectDescription),
      TextEntry(server, kDefault, modulePath),
      TextEntry(server, reg::kThreadingModelValue, identity::kThreadingModel),
      TextEntry(Path({cls, reg::kProgIdKey}), kDefault, identity::kProgId),
      TextEntry(Path({cls, reg::kTypeLibKey}), kDefault, identity::kLibId.text),
      TextEntry(Path({cls, reg::kClassVersionKey}), kDefault, identity::kTypeLibVersion),
      TextEntry(ProgIdKey(), kDefault, identity::kConnectDescription),
      TextEntry(Path({ProgIdKey(), reg::kClsidKey}), kDefault, identity::kClsidConnect.text),
      TextEntry(lib, kDefault, identity::kTypeLibHelpString),
      TextEntry(Path({lib, reg::kNeutralLocaleKey, reg::kWin32Key}), kDefault, modulePath),
      TextEntry(Path({lib, reg::kFlagsKey}), kDefault, identity::kTypeLibFlags),
      TextEntry(Path({lib, reg::kHelpDirKey}), kDefault, FolderOf(modulePath)),
  };
  const std::pair<identity::ComId, std::u16string_view> interfaces[] = {
      {identity::kIidConnect, identity::kConnectInterfaceName},
      {identity::kIidAddIn, identity::kAddInInterfaceName}};
  for (const auto& [iid, name] : interfaces) {
    const String key = InterfaceKey(iid);
    const String library = Path({key, reg::kTypeLibKey});
    entries.push_back(TextEntry(key, kDefault, name));
    entries.push_back(TextEntry(Path({key, reg::kProxyStubClsid32Key}), kDefault,
                                identity::kUniversalMarshaler.text));
    entries.push_back(TextEntry(library, kDefault, identity::kLibId.text));
    entries.push_back(TextEntry(library, reg::kTypeLibVersionValue, identity::kTypeLibVersion));
  }
  // Outlook's entry last: Outlook never finds an add-in whose classes are not
  // all registered yet.
  const String addin = OutlookAddinKey();
  entries.push_back(TextEntry(addin, reg::kFriendlyNameValue, identity::kOutlookFriendlyName));
  entries.push_back(TextEntry(addin, reg::kDescriptionValue, identity::kOutlookDescription));
  entries.push_back(Entry{addin, String(reg::kLoadBehaviorValue),
                          RegValue::Number(identity::kOutlookLoadBehavior), host::kRegDword});
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
  const String key = Path({reg::kClassesKey, subkey});
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
  const RegValue registered = ReadRegValue(
      platform, kRoot, Path({ClassKey(), reg::kInprocServer32Key}), String(reg::kDefaultValue));
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
  const std::optional<String> clsid = ClassesDefault(platform, Path({progId, reg::kClsidKey}));
  if (!clsid || !identity::ParseGuid(*clsid))
    return std::nullopt;
  return clsid;
}

std::optional<String> InprocServerOfClass(host::Platform& platform, const String& clsid) {
  if (!identity::ParseGuid(clsid))
    return std::nullopt;
  return ClassesDefault(platform, Path({reg::kClsidKey, clsid, reg::kInprocServer32Key}));
}

std::optional<String> InprocServerOf(host::Platform& platform, const String& progId) {
  const std::optional<String> clsid = ClassOfProgId(platform, progId);
  return clsid ? InprocServerOfClass(platform, *clsid) : std::nullopt;
}

}  // namespace ostrel
