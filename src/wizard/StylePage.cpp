// Page 7: how the payment link looks in the mail.
#include "common/Text.h"
#include "wizard/frmWizard.h"

namespace ostrel {

void frmWizard::optButton_Click(int index) {
  SelectedButton = static_cast<std::int16_t>(index);
}

void frmWizard::picButton_Click(int index) {
  optButton[static_cast<std::size_t>(index)]->Select();
}

void frmWizard::txtButtonURL_Click() {
  optButton[kOwnImageOption]->Select();
}

void frmWizard::txtButtonText_Click() {
  optButton[kTextLinkOption]->Select();
}

void frmWizard::SelectStoredButton(std::int32_t n) {
  // A stored choice that names no entry (damaged settings) falls back to the
  // first image rather than failing the opening.
  if (n < 0 || n >= kButtonOptions)
    n = 0;
  optButton[static_cast<std::size_t>(n)]->Select();
}

}  // namespace ostrel
