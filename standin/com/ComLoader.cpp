#include "standin/com/ComLoader.h"

#include "common/Text.h"
#include "standin/com/ComAddIns.h"

namespace ostrel::standin::com {
namespace {

class ComLoadedAddIn final : public LoadedAddIn {
 public:
  ComLoadedAddIn(std::unique_ptr<ComAddIn> addIn, StandinApplication& outlook,
                 ComPtr<AddInObject> instance)
      : addIn_(std::move(addIn)), outlook_(outlook), instance_(std::move(instance)) {}
  // A new Application object for each connection; the stand-in lets go of it
  // when OnConnection returns, so it lives on only in what the add-in keeps.
  void Connect(int connectMode) override {
    const ComPtr<ApplicationObject> application = ApplicationObject::Make(outlook_);
    addIn_->OnConnection(application->AsDispatch(), static_cast<ext_ConnectMode>(connectMode),
                         instance_->AsDispatch());
  }
  void StartupComplete() override { addIn_->OnStartupComplete(); }
  void BeginShutdown() override { addIn_->OnBeginShutdown(); }
  void Disconnect(int removeMode) override {
    addIn_->OnDisconnection(static_cast<ext_DisconnectMode>(removeMode));
  }
  host::office::RibbonExtensibility* Ribbon() override { return addIn_->Ribbon(); }

 private:
  std::unique_ptr<ComAddIn> addIn_;
  StandinApplication& outlook_;
  ComPtr<AddInObject> instance_;
};

}  // namespace

ComLoader::ComLoader(StandinApplication& outlook) : outlook_(outlook) {}

std::unique_ptr<LoadedAddIn> ComLoader::Load(const RegisteredAddIn& addIn) {
  std::string problem;
  std::unique_ptr<ComAddIn> object = ComAddIn::Create(addIn.progId, &problem);
  if (!object)
    throw LoadError(problem);
  return std::make_unique<ComLoadedAddIn>(
      std::move(object), outlook_, AddInObject::Make(outlook_.MakeAddInInstance(addIn.progId)));
}

}  // namespace ostrel::standin::com
