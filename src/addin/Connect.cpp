#include "addin/Connect.h"

#include "addin/Steps.h"
#include "help/frmAbout.h"
#include "settings/frmOptions.h"
#include "templates/frmTemplate.h"
#include "wizard/frmWizard.h"

namespace ostrel {

Connect::Connect(host::Platform& platform, String addinFolder)
    : state_(platform, std::move(addinFolder)) {}

Connect::~Connect() {
  if (addIn_)
    addIn_->Shutdown();
}

AddIn& Connect::TheAddIn() {
  if (!addIn_)
    addIn_ = std::make_unique<AddIn>(state_);
  return *addIn_;
}

void Connect::AddinInstance_OnConnection(host::outlook::Application& application, int,
                                         host::outlook::AddInInstance& addInInst,
                                         const std::vector<String>&) noexcept {
  // However the add-in is connected (at start, switched on later, by another
  // program), the same steps run, each skipped when it fails.
  // Outlook without any window (started by another program): nothing is built.
  // A count that cannot be read says nothing about the windows, so the
  // connection goes on.
  int explorers = -1;
  int inspectors = -1;
  SkipOnFailure([&] { explorers = application.ExplorersCount(); });
  SkipOnFailure([&] { inspectors = application.InspectorsCount(); });
  if (explorers == 0 && inspectors == 0)
    return;
  String progId;
  SkipOnFailure([&] { progId = addInInst.ProgId(); });
  SkipOnFailure([&] { TheAddIn().Initialize(application, progId); });
}

void Connect::AddinInstance_OnDisconnection(int, const std::vector<String>&) noexcept {
  SkipOnFailure([&] { TheAddIn().Shutdown(); });
  addIn_.reset();
}

std::vector<ui::Dialog*> Connect::Dialogs() {
  std::vector<ui::Dialog*> dialogs;
  for (ui::Dialog* dialog :
       {static_cast<ui::Dialog*>(state_.Wizard()), static_cast<ui::Dialog*>(state_.Options()),
        static_cast<ui::Dialog*>(state_.About()),
        static_cast<ui::Dialog*>(state_.TemplateChooser())})
    if (dialog != nullptr)
      dialogs.push_back(dialog);
  return dialogs;
}

}  // namespace ostrel
