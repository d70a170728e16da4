// The add-in-wide values: one instance per loaded add-in, shared by the modules
// and dialogs of that add-in. Nothing else in the system is global.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "host/Handles.h"
#include "host/Outlook.h"
#include "host/Platform.h"
#include "host/String.h"

namespace ostrel {

class frmWizard;
class frmOptions;
class frmTemplate;
class frmAbout;

struct AddInState {
  AddInState(host::Platform& platformServices, String folder);
  ~AddInState();
  AddInState(const AddInState&) = delete;
  AddInState& operator=(const AddInState&) = delete;

  host::Platform& platform;

  // Outlook's Application, set at connection and dropped at teardown; nullptr
  // while there is none.
  host::outlook::Application* objOutlook = nullptr;

  // The folder of the add-in's module, without a trailing separator.
  String addinFolder;

  // The loaded satellite resource library, None when there is none.
  host::ModuleHandle hResourceLibrary = host::ModuleHandle::None;

  std::int32_t PaymentRequestType = 0;
  bool WizardReady = false;

  // The add-in's help file reference for the dialogs' context help.
  String helpFile;

  // Loaded from the resource library at connection; until then the add-in's
  // own name.
  String appTitle = u"Ostrel";
  String messageFooter;
  std::array<String, 3> messageTable;  // 1 account, 2 amount, 3 stored settings missing

  // A message box with an OK button and the application title; flags add an icon.
  void ShowMessage(host::WindowHandle owner, const String& text, std::uint32_t flags = 0);
  // Something failed inside a command or a dialog: the user is told once (not
  // again while that message is up), Outlook goes on.
  void ReportFailure() noexcept;

  // The single dialog instances. A dialog that unloaded itself is released at
  // the next access here, never while its own event handler still runs.
  frmWizard* Wizard();
  // Creates the wizard and runs its load when there is none.
  frmWizard& LoadWizard();
  frmOptions* Options();
  // Creates the options dialog and runs its load (invisibly) when there is none.
  frmOptions& LoadOptions();
  frmTemplate* TemplateChooser();
  // A new chooser, replacing any earlier one.
  frmTemplate& NewTemplateChooser();
  frmAbout* About();
  // Creates the About dialog and runs its load when there is none.
  frmAbout& LoadAbout();
  // Unloads and releases every dialog (the add-in's teardown).
  void CloseDialogs();

 private:
  bool reporting_ = false;
  std::unique_ptr<frmWizard> wizard_;
  std::unique_ptr<frmOptions> options_;
  std::unique_ptr<frmTemplate> template_;
  std::unique_ptr<frmAbout> about_;
};

}  // namespace ostrel
