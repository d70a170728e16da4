#include "ostrel/ModuleLoader.h"

#include <dlfcn.h>

#include <algorithm>

#include "common/Text.h"
#include "host/ui/DialogSource.h"

namespace ostrel::standin {

namespace outlook = host::outlook;

namespace {

// The module's two entry points (server/posix/OstrelModule.cpp).
using CreateObject = outlook::AddInConnection* (*)(const char*, host::Platform*,
                                                   ui::DialogSource**);
using ReleaseObject = void (*)(outlook::AddInConnection*);

}  // namespace

class ModuleLoader::Module final : public LoadedAddIn {
 public:
  Module(ModuleLoader& loader, const RegisteredAddIn& addIn) : loader_(loader) {
    const std::string server = Utf16ToUtf8(*addIn.server);
    library_ = dlopen(server.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr)
      throw LoadError("cannot load " + server + ": " + dlerror());
    auto create = reinterpret_cast<CreateObject>(dlsym(library_, "OstrelCreateObject"));
    release_ = reinterpret_cast<ReleaseObject>(dlsym(library_, "OstrelReleaseObject"));
    if (create != nullptr && release_ != nullptr && addIn.clsid) {
      object_ = create(Utf16ToUtf8(*addIn.clsid).c_str(), &loader.platform_, &dialogs_);
    }
    if (object_ == nullptr) {
      dlclose(library_);
      throw LoadError(server + " made no object of its class");
    }
    instance_ = loader.outlook_.MakeAddInInstance(addIn.progId);
    loader_.loaded_.push_back(this);
  }
  ~Module() override {
    auto& loaded = loader_.loaded_;
    loaded.erase(std::remove(loaded.begin(), loaded.end(), this), loaded.end());
    release_(object_);
    dlclose(library_);
  }
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  void Connect(int connectMode) override {
    object_->OnConnection(loader_.outlook_.HandOutApplication(), connectMode, *instance_, {});
  }
  void StartupComplete() override { object_->OnStartupComplete({}); }
  void BeginShutdown() override { object_->OnBeginShutdown({}); }
  void Disconnect(int removeMode) override { object_->OnDisconnection(removeMode, {}); }
  host::office::RibbonExtensibility* Ribbon() override { return object_->Ribbon(); }

  ui::DialogSource* dialogs() const { return dialogs_; }

 private:
  ModuleLoader& loader_;
  void* library_ = nullptr;
  ReleaseObject release_ = nullptr;
  outlook::AddInConnection* object_ = nullptr;
  ui::DialogSource* dialogs_ = nullptr;
  std::shared_ptr<outlook::AddInInstance> instance_;
};

ModuleLoader::ModuleLoader(host::Platform& platform, StandinApplication& outlook)
    : platform_(platform), outlook_(outlook) {}

ModuleLoader::~ModuleLoader() = default;

std::unique_ptr<LoadedAddIn> ModuleLoader::Load(const RegisteredAddIn& addIn) {
  if (!addIn.server)
    throw LoadError("no server registered");
  return std::make_unique<Module>(*this, addIn);
}

std::vector<ui::Dialog*> ModuleLoader::Dialogs() const {
  std::vector<ui::Dialog*> dialogs;
  for (const Module* module : loaded_) {
    if (module->dialogs() == nullptr)
      continue;
    for (ui::Dialog* dialog : module->dialogs()->Dialogs())
      dialogs.push_back(dialog);
  }
  return dialogs;
}

}  // namespace ostrel::standin
