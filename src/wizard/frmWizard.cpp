// Opening the wizard, moving between its pages and the command strip.
#include "wizard/frmWizard.h"

#include "common/Text.h"
#include "help/modHelp.h"
#include "host/HostError.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "settings/SettingsLayout.h"
#include "settings/StoredNumbers.h"
#include "settings/modRegistry.h"
#include "templates/frmTemplate.h"
#include "templates/modFile.h"

namespace ostrel {

namespace {

constexpr std::array<int, settings::kTypeCount> kDetailsPage = {2, 4, 5, 3, 6};
constexpr int kDialogHeight = 5775;
constexpr int kDialogWidth = 7575;

}  // namespace

int DetailsPageOfType(std::int32_t type) {
  return settings::IsPaymentRequestType(type) ? kDetailsPage[static_cast<std::size_t>(type)] : -1;
}

void OpenWizard(AddInState& state) {
  frmWizard& wizard = state.LoadWizard();
  wizard.Show();
  if (!state.WizardReady)
    wizard.Unload();
}

void OpenWizardForType(AddInState& state, std::int32_t type) {
  frmWizard& wizard = state.LoadWizard();
  if (!state.WizardReady) {
    wizard.Unload();
    return;
  }
  wizard.ShowForType(type);
}

void frmWizard::Form_Load() {
  state.PaymentRequestType = 0;
  LoadResources();
  LoadState();
  if (state.WizardReady)
    InitDialog();
}

void frmWizard::InitDialog() {
  const String workingFile = state.addinFolder + String(kWorkingTemplate);
  if (FileExists(state.platform, workingFile)) {
    try {
      state.platform.files.DeleteFile(workingFile);
    } catch (const host::HostError&) {
      // A working file that cannot be deleted (read-only, locked) stays; the
      // wizard still opens.
    }
  }

  FirstPage = 0;
  LastPage = static_cast<std::int16_t>(fraWizard.size() - 1);

  rect.height = kDialogHeight;
  rect.width = kDialogWidth;
  mstWizard.visible = false;

  for (int p = FirstPage; p <= LastPage; ++p) {
    ui::Control& page = *fraWizard[static_cast<std::size_t>(p)];
    page.visible = false;
    page.border = false;
    page.SetContainer(nullptr);
    page.rect = {0, 0, 7515, 4710};
  }

  ChangePage(chkSkip.Value() == 1 ? std::int16_t{1} : FirstPage);
}

void frmWizard::ShowForType(std::int32_t type) {
  Show();
  state.PaymentRequestType = type;
  if (settings::IsPaymentRequestType(type)) {
    optPaymentRequestType[static_cast<std::size_t>(type)]->Select();
    const RegValue stored = ReadRegValue(state.platform, settings::kRoot, settings::BranchKey(type),
                                         String(settings::branch_value::kButton));
    SelectStoredButton(StoredWholeNumber(state.platform, stored).value_or(-1));
    ChangePage(static_cast<std::int16_t>(DetailsPageOfType(type)));
  } else {
    optButton[0]->Select();
    ChangePage(0);
  }
}

void frmWizard::ChangePage(std::int16_t page) {
  if (page > LastPage || page < FirstPage)
    return;
  CurrentPage = page;
  cmdBack.enabled = page != FirstPage;
  for (int p = FirstPage; p <= LastPage; ++p)
    fraWizard[static_cast<std::size_t>(p)]->visible = false;
  UpdateNextButton();
  fraWizard[static_cast<std::size_t>(page)]->visible = true;
  cmdFinish.visible = false;
  cmdNext.visible = true;

  switch (page) {
    case 2:
      SetFocus(txtGeneralQuarroID);
      break;
    case 3:
      SetFocus(txtAuctionQuarroID);
      break;
    case 4:
      SetFocus(txtProductQuarroID);
      break;
    case 5:
      SetFocus(txtServiceQuarroID);
      break;
    case 6:
      SetFocus(txtDonationQuarroID);
      break;
    case kStylePage: {
      FillButtonList();
      bool focused = false;
      for (ui::Control* option : optButton)
        if (option->Selected())
          focused = SetFocus(*option);
      // The selected entry may be a hidden slot; the focus then rests on Next.
      if (!focused)
        SetFocus(cmdNext);
      break;
    }
    default:
      break;
  }
  if (page == LastPage) {
    ShowSummary();
    cmdFinish.visible = true;
    cmdFinish.enabled = true;
    cmdNext.visible = false;
    SetFocus(cmdFinish);
  }
}

void frmWizard::AdjustPageTransition(std::int32_t paymentRequestType, std::int16_t currentPage,
                                     std::int16_t& targetPage) {
  const int details = DetailsPageOfType(paymentRequestType);
  const bool forward = targetPage > currentPage;
  switch (currentPage) {
    case 1:
      if (forward)
        targetPage = static_cast<std::int16_t>(details < 0 ? 2 : details);
      break;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
      targetPage = forward ? 7 : 1;
      break;
    case 7:
      if (!forward)
        targetPage = static_cast<std::int16_t>(details < 0 ? 1 : details);
      break;
    default:
      break;
  }
}

void frmWizard::CloseWizard() {
  Unload();
}

void frmWizard::cmdNext_Click() {
  std::int16_t target = static_cast<std::int16_t>(CurrentPage + 1);
  AdjustPageTransition(state.PaymentRequestType, CurrentPage, target);
  ChangePage(target);
}

void frmWizard::cmdBack_Click() {
  std::int16_t target = static_cast<std::int16_t>(CurrentPage - 1);
  AdjustPageTransition(state.PaymentRequestType, CurrentPage, target);
  ChangePage(target);
}

void frmWizard::cmdHelp_Click() {
  try {
    ShowHelpTopic(state.platform, state.addinFolder + String(kHelpFile),
                  DecimalText(CurrentPage) + u".htm");
  } catch (const host::HostError&) {
    // The help viewer itself is missing; say so instead of failing the click.
    state.ShowMessage(hWnd, ResString(state, res::kMessageHelpUnavailable), host::kMbIconError);
  }
}

void frmWizard::cmdTest_Click() {
  if (!RequestFieldsAcceptable())
    return;
  String link;
  try {
    link = CreateURL();
  } catch (const PaymentLinkError& error) {
    ShowLinkError(error);
    return;
  }
  state.platform.shell.ShellExecute(hWnd, u"Open", link, u"", state.addinFolder,
                                    host::kSwShowNormal);
}

void frmWizard::ShowLinkError(const PaymentLinkError& error) {
  String message = ResString(state, error.messageId);
  if (error.field != nullptr) {
    // Back to the field, named by its label (the label before it).
    String label;
    for (const auto& c : Controls()) {
      if (c.get() == error.field)
        break;
      if (c->kind() == ui::Kind::Label)
        label = WithoutAccessKey(c->Caption());
    }
    while (!label.empty() && (label.back() == u'*' || label.back() == u':'))
      label.pop_back();
    if (const std::size_t at = message.find(u"%1"); at != String::npos)
      message.replace(at, 2, label);
    ChangePage(static_cast<std::int16_t>(DetailsPageOfType(state.PaymentRequestType)));
    SetFocus(*error.field);
  }
  state.ShowMessage(hWnd, message, host::kMbIconError);
}

void frmWizard::cmdTemplate_Click() {
  state.NewTemplateChooser().ShowModal(*this);
}

void frmWizard::cmdCancel_Click() {
  CloseWizard();
}

void frmWizard::chkSkip_Click() {
  WriteRegValue(state.platform, settings::kRoot, String(settings::kMainKey),
                String(settings::main_value::kSkipWelcome), RegValue::Number(chkSkip.Value()),
                host::kRegDword);
}

void frmWizard::optPaymentRequestType_Click(int index) {
  state.PaymentRequestType = index;
}

void frmWizard::ConnectEvents() {
  cmdNext.onClick = [this] { cmdNext_Click(); };
  cmdFinish.onClick = [this] { cmdFinish_Click(); };
  cmdBack.onClick = [this] { cmdBack_Click(); };
  cmdHelp.onClick = [this] { cmdHelp_Click(); };
  cmdTest.onClick = [this] { cmdTest_Click(); };
  cmdTemplate.onClick = [this] { cmdTemplate_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
  // A user who discards the request must always be able to: Cancel runs no
  // field's rule on its way, as the close box runs none.
  cmdCancel.causesValidation = false;
  chkSkip.onClick = [this] { chkSkip_Click(); };
  onClose = [this] { CloseWizard(); };
  for (int i = 0; i < 5; ++i)
    optPaymentRequestType[static_cast<std::size_t>(i)]->onClick = [this, i] {
      optPaymentRequestType_Click(i);
    };
  for (int i = 0; i < kButtonOptions; ++i)
    optButton[static_cast<std::size_t>(i)]->onClick = [this, i] { optButton_Click(i); };
  for (int i = 0; i < kImageSlots; ++i)
    picButton[static_cast<std::size_t>(i)]->onClick = [this, i] { picButton_Click(i); };
  txtButtonURL.onClick = [this] { txtButtonURL_Click(); };
  txtButtonText.onClick = [this] { txtButtonText_Click(); };

  // Required fields re-check Next on every change.
  for (ui::Control* required : {&txtGeneralQuarroID, &mebGeneralAmount, &txtAuctionQuarroID,
                                &txtAuctionItemNumber, &txtProductQuarroID, &mebProductAmount,
                                &txtServiceQuarroID, &mebServiceAmount, &txtDonationQuarroID})
    required->onChange = [this] { UpdateNextButton(); };
  txtProductQuantity.onChange = [this] { UpdateProductTotal(); };

  // The rules run as the focus leaves a field: a broken one shows its message and
  // keeps the focus; the product's price and shipping then update the total.
  auto rule = [this](ui::Control& box, bool updatesTotal) {
    box.onValidate = [this, &box, updatesTotal](bool& cancel) {
      if (const std::optional<String> message = BrokenRule(box)) {
        state.ShowMessage(hWnd, *message);
        cancel = true;
        return;
      }
      if (updatesTotal)
        UpdateProductTotal();
    };
  };
  for (ui::Control* box :
       {&txtGeneralQuarroID, &txtAuctionQuarroID, &txtDonationQuarroID, &txtProductQuarroID,
        &txtServiceQuarroID, &mebGeneralAmount, &mebServiceAmount, &txtProductQuantity})
    rule(*box, false);
  rule(mebProductAmount, true);
  rule(mebProductShipping, true);
}

}  // namespace ostrel
