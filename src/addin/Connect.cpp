#include "addin/Connect.h"

#include "addin/Ribbon.h"
#include "addin/Steps.h"
#include "common/Entry.h"
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

void Connect::AddinInstance_OnConnection(std::shared_ptr<host::outlook::Application> application,
                                         int, host::outlook::AddInInstance& addInInst,
                                         const std::vector<String>&) noexcept {
  // However the add-in is connected (at start, switched on later, by another
  // program), the same steps run, each skipped when it fails. Outlook without
  // any window (started by another program) gets its toolbar when its first
  // main window opens.
  Entry entry;
  if (!application)
    return;
  String progId;
  SkipOnFailure([&] { progId = addInInst.ProgId(); });
  SkipOnFailure([&] { TheAddIn().Initialize(std::move(application), progId); });
}

void Connect::AddinInstance_OnStartupComplete(const std::vector<String>&) noexcept {
  Entry entry;
  if (addIn_)
    addIn_->StartupComplete();
}

void Connect::AddinInstance_OnDisconnection(int removeMode, const std::vector<String>&) noexcept {
  Entry entry;
  // The user unticked the add-in in the COM Add-ins dialog: Outlook keeps
  // running, so the add-in's controls are taken off its toolbars now rather
  // than left dead until Outlook exits.
  if (removeMode == host::outlook::ext_dm_UserClosed && addIn_)
    addIn_->DeleteControls();
  SkipOnFailure([&] { TheAddIn().Shutdown(); });
  // A handler of the add-in may be running further up (a message box's loop
  // let this disconnection in): the object goes when it has returned.
  Entry::Retire(std::move(addIn_));
}

String Connect::GetCustomUI(const String& ribbonId) {
  Entry entry;
  String markup;
  SkipOnFailure([&] { markup = ribbon::CustomUI(ribbonId); });
  if (!markup.empty() && addIn_)
    addIn_->RibbonAsked();
  return markup;
}

bool Connect::HasCallback(const String& name) {
  return ribbon::CallbackNamed(name).has_value();
}

std::optional<String> Connect::CallText(const String& name,
                                        const host::office::RibbonControl& control) {
  Entry entry;
  const std::optional<ribbon::Callback> callback = ribbon::CallbackNamed(name);
  if (callback != ribbon::Callback::Label && callback != ribbon::Callback::Screentip)
    return std::nullopt;
  std::optional<String> text;
  SkipOnFailure([&] {
    // Office asks as soon as the ribbon is drawn, which may be before the
    // first window made the add-in load its texts.
    if (addIn_)
      addIn_->EnsureResources();
    text = callback == ribbon::Callback::Label ? ribbon::Label(state_, control.id)
                                               : ribbon::Screentip(state_, control.id);
  });
  return text;
}

host::PicturePtr Connect::CallImage(const String& name,
                                    const host::office::RibbonControl& control) {
  Entry entry;
  if (ribbon::CallbackNamed(name) != ribbon::Callback::Image)
    return nullptr;
  host::PicturePtr picture;
  SkipOnFailure([&] {
    if (addIn_)
      addIn_->EnsureResources();
    picture = ribbon::Picture(state_, control.id);
  });
  return picture;
}

bool Connect::CallAction(const String& name, const host::office::RibbonControl& control) {
  Entry entry;
  if (ribbon::CallbackNamed(name) != ribbon::Callback::Action)
    return false;
  // A disconnected add-in has no commands; Office removes its ribbon then.
  return addIn_ && addIn_->RibbonAction(control.id);
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
