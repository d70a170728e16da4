#include "standin/com/ComLoader.h"

#include "common/Text.h"
#include "standin/com/ComAddIns.h"

namespace ostrel::standin::com {
namespace {

class ComLoadedAddIn final : public LoadedAddIn {
 public:
  ComLoadedAddIn(std::unique_ptr<ComAddIn> addIn, ComPtr<ApplicationObject> application,
                 ComPtr<AddInObject> instance)
      : addIn_(std::move(addIn)),
        application_(std::move(application)),
        instance_(std::move(instance)) {}
  void Connect() override {
    addIn_->OnConnection(application_->AsDispatch(), ext_cm_Startup, instance_->AsDispatch());
  }
  void StartupComplete() override { addIn_->OnStartupComplete(); }
  void BeginShutdown() override { addIn_->OnBeginShutdown(); }
  void Disconnect() override { addIn_->OnDisconnection(ext_dm_HostShutdown); }

 private:
  std::unique_ptr<ComAddIn> addIn_;
  ComPtr<ApplicationObject> application_;
  ComPtr<AddInObject> instance_;
};

}  // namespace

ComLoader::ComLoader(StandinApplication& outlook)
    : outlook_(outlook), application_(ApplicationObject::Make(outlook)) {}

std::unique_ptr<LoadedAddIn> ComLoader::Load(const RegisteredAddIn& addIn) {
  std::string problem;
  std::unique_ptr<ComAddIn> object = ComAddIn::Create(addIn.progId, &problem);
  if (!object)
    throw LoadError(problem);
  return std::make_unique<ComLoadedAddIn>(
      std::move(object), application_, AddInObject::Make(outlook_.MakeAddInInstance(addIn.progId)));
}

}  // namespace ostrel::standin::com
