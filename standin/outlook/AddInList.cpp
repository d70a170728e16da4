#include "outlook/AddInList.h"

#include "addin/Registration.h"
#include "settings/SettingsLayout.h"
#include "settings/modRegistry.h"

namespace ostrel::standin {

namespace reg = settings::registration;

std::vector<RegisteredAddIn> ReadAddInList(host::Platform& platform) {
  const String list = String(settings::kOutlookKey) + u"\\Addins";
  std::vector<String> progIds;
  host::RegKey key = host::RegKey::None;
  if (platform.registry.OpenKey(host::RegRoot::CurrentUser, list, &key) != host::kErrorSuccess) {
    return {};
  }
  String name;
  for (std::uint32_t index = 0; platform.registry.EnumKey(key, index, &name) == host::kErrorSuccess;
       ++index) {
    progIds.push_back(name);
  }
  platform.registry.CloseKey(key);

  std::vector<RegisteredAddIn> addIns;
  for (String& progId : progIds) {
    RegisteredAddIn addIn;
    const RegValue behavior = ReadRegValue(platform, host::RegRoot::CurrentUser,
                                           list + u"\\" + progId, String(reg::kLoadBehaviorValue));
    if (behavior.IsNumber())
      addIn.loadBehavior = behavior.NumberOrZero();
    addIn.clsid = ClassOfProgId(platform, progId);
    if (addIn.clsid)
      addIn.server = InprocServerOfClass(platform, *addIn.clsid);
    addIn.progId = std::move(progId);
    addIns.push_back(std::move(addIn));
  }
  return addIns;
}

}  // namespace ostrel::standin
