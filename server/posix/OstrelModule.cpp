// The add-in as a Linux shared library: the entry points through which the
// stand-in Outlook creates the registered class, as COM would through the
// server's class factory. The add-in's folder is the folder of this module.
#include <dlfcn.h>

#include <cstring>
#include <filesystem>

#include "addin/Connect.h"
#include "addin/ServerIdentity.h"
#include "common/Text.h"

namespace {

ostrel::String ModuleFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) == 0 || info.dli_fname == nullptr)
    return {};
  std::error_code ignored;
  const std::filesystem::path module = std::filesystem::absolute(info.dli_fname, ignored);
  return ostrel::Utf8ToUtf16(module.parent_path().string());
}

}  // namespace

extern "C" {

// A new object of the class (its CLSID in registry form, "{...}"), or nullptr
// for a class this server does not make. The platform is the desktop the host
// runs on; it outlives the object. When `dialogs` is given, it receives the
// object's dialogs for a host that shows them itself (valid as long as the
// object is), as a COM object hands out another of its interfaces.
__attribute__((visibility("default"))) ostrel::host::outlook::AddInConnection* OstrelCreateObject(
    const char* clsid, ostrel::host::Platform* platform, ostrel::ui::DialogSource** dialogs) {
  if (dialogs != nullptr)
    *dialogs = nullptr;
  if (clsid == nullptr || platform == nullptr)
    return nullptr;
  const auto requested = ostrel::identity::ParseGuid(ostrel::FromAscii(clsid));
  if (!requested || *requested != ostrel::identity::kClsidConnect.guid)
    return nullptr;
  try {
    auto* object = new ostrel::Connect(*platform, ModuleFolder());
    if (dialogs != nullptr)
      *dialogs = object;
    return object;
  } catch (...) {
    return nullptr;
  }
}

__attribute__((visibility("default"))) void OstrelReleaseObject(
    ostrel::host::outlook::AddInConnection* object) {
  delete object;
}

}  // extern "C"
