#include "addin/AddInState.h"

#include "common/Entry.h"
#include "help/frmAbout.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "settings/frmOptions.h"
#include "templates/frmTemplate.h"
#include "wizard/frmWizard.h"

namespace ostrel {

namespace {

// Releases a dialog that has unloaded itself; returns what is left. Code of
// the dialog may still be running further up the stack (a message box's loop
// let this call in), so the object goes when the outermost entry returns.
template <typename D>
D* Alive(std::unique_ptr<D>& dialog) {
  if (dialog && dialog->Unloaded())
    Entry::Retire(std::move(dialog));
  return dialog.get();
}

// A new dialog, shown on the screen by the platform's view.
template <typename D>
std::unique_ptr<D> Make(AddInState& state) {
  auto dialog = std::make_unique<D>(state);
  dialog->view = &state.platform.views;
  dialog->onFailure = [&state] { state.ReportFailure(); };
  return dialog;
}

}  // namespace

AddInState::AddInState(host::Platform& platformServices, String folder)
    : platform(platformServices), addinFolder(std::move(folder)) {}

AddInState::~AddInState() = default;

void AddInState::ShowMessage(host::WindowHandle owner, const String& text, std::uint32_t flags) {
  platform.dialogs.MessageBox(owner, text, appTitle, host::kMbOk | flags);
}

void AddInState::ReportFailure() noexcept {
  if (reporting_)
    return;
  reporting_ = true;
  try {
    ShowMessage(host::WindowHandle::None, ResString(*this, res::kMessageCommandFailed),
                host::kMbIconError);
  } catch (...) {
  }
  reporting_ = false;
}

frmWizard* AddInState::Wizard() {
  return Alive(wizard_);
}

frmWizard& AddInState::LoadWizard() {
  if (Alive(wizard_) == nullptr) {
    wizard_ = Make<frmWizard>(*this);
    wizard_->Form_Load();
  }
  return *wizard_;
}

frmOptions* AddInState::Options() {
  return Alive(options_);
}

frmOptions& AddInState::LoadOptions() {
  if (Alive(options_) == nullptr) {
    options_ = Make<frmOptions>(*this);
    options_->Form_Load();
  }
  return *options_;
}

frmTemplate* AddInState::TemplateChooser() {
  return Alive(template_);
}

frmTemplate& AddInState::NewTemplateChooser() {
  Entry::Retire(std::move(template_));
  template_ = Make<frmTemplate>(*this);
  return *template_;
}

frmAbout* AddInState::About() {
  return Alive(about_);
}

frmAbout& AddInState::LoadAbout() {
  if (Alive(about_) == nullptr) {
    about_ = Make<frmAbout>(*this);
    about_->Form_Load();
  }
  return *about_;
}

void AddInState::CloseDialogs() {
  Entry::Retire(std::move(about_));
  Entry::Retire(std::move(template_));
  Entry::Retire(std::move(wizard_));
  Entry::Retire(std::move(options_));
}

}  // namespace ostrel
