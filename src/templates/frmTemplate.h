// The template chooser: shows, edits and loads the mail template of the current
// request, and hands it to Finish through the working template file.
#pragma once

#include "addin/AddInState.h"
#include "host/ui/Dialog.h"

namespace ostrel {

class frmTemplate : public ui::Dialog {
 public:
  explicit frmTemplate(AddInState& state);

  // Loads the dialog (captions, the template to show) and shows it modally over
  // the owner.
  void ShowModal(ui::Dialog& owner);

  void cmdLoad_Click();
  void cmdOK_Click();
  void cmdCancel_Click();

  AddInState& state;

  ui::Control& txtTemplate;
  ui::Control& chkSave;
  ui::Control& cmdLoad;
  ui::Control& cmdOK;
  ui::Control& cmdCancel;

 private:
  void Form_Load();
  String FilePath(const String& name) const;
  // The file's whole content; nothing (and the user told) when it cannot be read.
  std::optional<String> ReadTemplate(const String& path);
};

}  // namespace ostrel
