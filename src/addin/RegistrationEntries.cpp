#include "addin/RegistrationEntries.h"

#include <utility>

#include "addin/ServerIdentity.h"
#include "host/Registry.h"
#include "settings/SettingsLayout.h"

namespace ostrel {

namespace reg = settings::registration;

String RegistryPath(std::initializer_list<std::u16string_view> parts) {
  String path;
  for (const std::u16string_view part : parts) {
    if (!path.empty())
      path += u'\\';
    path += part;
  }
  return path;
}

String ClassKey() {
  return RegistryPath({reg::kClassesKey, reg::kClsidKey, identity::kClsidConnect.text});
}

String FolderWithSeparator(const String& file) {
  const std::size_t separator = file.find_last_of(u"\\/");
  return separator == String::npos ? String() : file.substr(0, separator + 1);
}

namespace {

String ProgIdKey() {
  return RegistryPath({reg::kClassesKey, identity::kProgId});
}
String TypeLibKey() {
  return RegistryPath({reg::kClassesKey, reg::kTypeLibKey, identity::kLibId.text});
}
String InterfaceKey(const identity::ComId& iid) {
  return RegistryPath({reg::kClassesKey, reg::kInterfaceKey, iid.text});
}
String OutlookAddinKey() {
  String key(settings::kOutlookKey);
  key += reg::kAddinsInfix;
  key += identity::kProgId;
  return key;
}

// A REG_SZ entry, stored with its terminating null as every text value is:
// COM and Outlook read them with RegQueryValueEx, which hands out the stored
// bytes as they are, and expect a terminated string.
RegistrationEntry TextEntry(String key, std::u16string_view name, std::u16string_view text) {
  return RegistrationEntry{std::move(key), String(name), host::kRegSz, String(text), 0};
}

}  // namespace

std::vector<String> RegisteredKeys() {
  return {OutlookAddinKey(),
          ClassKey(),
          ProgIdKey(),
          TypeLibKey(),
          InterfaceKey(identity::kIidConnect),
          InterfaceKey(identity::kIidAddIn)};
}

std::vector<RegistrationEntry> RegistrationEntries(const String& modulePath, const String& folder,
                                                   bool win64) {
  const std::u16string_view kDefault = reg::kDefaultValue;
  const String cls = ClassKey();
  const String server = RegistryPath({cls, reg::kInprocServer32Key});
  const String lib = RegistryPath({TypeLibKey(), identity::kTypeLibVersion});
  std::vector<RegistrationEntry> entries = {
      TextEntry(cls, kDefault, identity::kConnectDescription),
      TextEntry(server, kDefault, modulePath),
      TextEntry(server, reg::kThreadingModelValue, identity::kThreadingModel),
      TextEntry(RegistryPath({cls, reg::kProgIdKey}), kDefault, identity::kProgId),
      TextEntry(RegistryPath({cls, reg::kTypeLibKey}), kDefault, identity::kLibId.text),
      TextEntry(RegistryPath({cls, reg::kClassVersionKey}), kDefault, identity::kTypeLibVersion),
      TextEntry(ProgIdKey(), kDefault, identity::kConnectDescription),
      TextEntry(RegistryPath({ProgIdKey(), reg::kClsidKey}), kDefault,
                identity::kClsidConnect.text),
      TextEntry(lib, kDefault, identity::kTypeLibHelpString),
      TextEntry(
          RegistryPath({lib, reg::kNeutralLocaleKey, win64 ? reg::kWin64Key : reg::kWin32Key}),
          kDefault, modulePath),
      TextEntry(RegistryPath({lib, reg::kFlagsKey}), kDefault, identity::kTypeLibFlags),
      TextEntry(RegistryPath({lib, reg::kHelpDirKey}), kDefault, folder),
  };
  const std::pair<identity::ComId, std::u16string_view> interfaces[] = {
      {identity::kIidConnect, identity::kConnectInterfaceName},
      {identity::kIidAddIn, identity::kAddInInterfaceName}};
  for (const auto& [iid, name] : interfaces) {
    const String key = InterfaceKey(iid);
    const String library = RegistryPath({key, reg::kTypeLibKey});
    entries.push_back(TextEntry(key, kDefault, name));
    entries.push_back(TextEntry(RegistryPath({key, reg::kProxyStubClsid32Key}), kDefault,
                                identity::kUniversalMarshaler.text));
    entries.push_back(TextEntry(library, kDefault, identity::kLibId.text));
    entries.push_back(TextEntry(library, reg::kTypeLibVersionValue, identity::kTypeLibVersion));
  }
  // Outlook's entry last: Outlook never finds an add-in whose classes are not
  // all registered yet.
  const String addin = OutlookAddinKey();
  entries.push_back(TextEntry(addin, reg::kFriendlyNameValue, identity::kOutlookFriendlyName));
  entries.push_back(TextEntry(addin, reg::kDescriptionValue, identity::kOutlookDescription));
  entries.push_back(RegistrationEntry{addin, String(reg::kLoadBehaviorValue), host::kRegDword,
                                      String(), identity::kOutlookLoadBehavior});
  return entries;
}

}  // namespace ostrel
