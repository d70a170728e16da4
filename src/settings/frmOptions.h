// The options dialog: the user's own details and the merchant referral code.
#pragma once

#include "addin/AddInState.h"
#include "host/ui/Dialog.h"

namespace ostrel {

class frmOptions : public ui::Dialog {
 public:
  explicit frmOptions(AddInState& state);

  // Centres the dialog, sets the captions and fills the boxes; the dialog stays
  // invisible until shown.
  void Form_Load();
  void LoadOptionCaptions();
  void LoadOptions();
  void SaveOptions();

  void cmdOK_Click();
  void cmdCancel_Click();
  void cmdApply_Click();

  AddInState& state;

  ui::Control& fraUserInfo;
  ui::Control& lblNameFirst;
  ui::Control& txtNameFirst;
  ui::Control& lblNameLast;
  ui::Control& txtNameLast;
  ui::Control& lblCompany;
  ui::Control& txtCompany;
  ui::Control& lblAddress;
  ui::Control& txtAddress;
  ui::Control& lblCity;
  ui::Control& txtCity;
  ui::Control& lblState;
  ui::Control& txtState;
  ui::Control& lblZIP;
  ui::Control& txtZIP;
  ui::Control& fraQuarroInfo;
  ui::Control& lblQuarroID;
  ui::Control& txtQuarroID;
  ui::Control& lblMRB;
  ui::Control& txtMRB;
  ui::Control& cmdOK;
  ui::Control& cmdCancel;
  ui::Control& cmdApply;
};

// Shows the single options dialog, loading it first when needed.
void ShowOptions(AddInState& state);

}  // namespace ostrel
