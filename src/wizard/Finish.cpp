// Finish: the new, unsent Outlook message, then the remembered values.
#include "common/Text.h"
#include "host/HostError.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "templates/modFile.h"
#include "wizard/frmWizard.h"

namespace ostrel {

namespace {

// Why Finish stopped, as the message the user gets.
struct FinishStopped {
  std::int32_t messageId;
};

}  // namespace

void frmWizard::cmdFinish_Click() {
  // A value set by code (a type command, the remembered state) has met no rule
  // yet.
  if (!RequestFieldsAcceptable())
    return;
  CreateMessage();
}

void frmWizard::CreateMessage() {
  // Every step up to Display either completes or stops Finish with a message;
  // the item, when one was made, is released unsaved and the wizard stays open.
  try {
    if (state.objOutlook == nullptr)
      throw FinishStopped{res::kMessageMailNotCreated};
    std::unique_ptr<host::outlook::MailItem> item;
    try {
      item = state.objOutlook->CreateItem(host::outlook::olMailItem);
      switch (state.PaymentRequestType) {
        case 0:
          item->SetSubject(txtGeneralNote.Text());
          break;
        case 1:
          item->SetTo(txtProductTo.Text());
          item->SetSubject(txtProductSubject.Text());
          break;
        case 2:
          item->SetTo(txtServiceTo.Text());
          item->SetSubject(txtServiceSubject.Text());
          break;
        case 3:
          item->SetTo(txtAuctionTo.Text());
          if (!TrimSpaces(txtAuctionItemNumber.Text()).empty())
            item->SetSubject(u"Item #: " + txtAuctionItemNumber.Text());
          break;
        case 4:
          item->SetTo(txtDonationTo.Text());
          item->SetSubject(txtDonationSubject.Text());
          break;
        default:
          break;
      }
    } catch (const host::HostError&) {
      throw FinishStopped{res::kMessageMailNotCreated};
    }

    String templateText = u"[BUTTON]";
    const String working = state.addinFolder + String(kWorkingTemplate);
    const String typeTemplate =
        state.addinFolder + u"\\Template" + DecimalText(state.PaymentRequestType) + u".txt";
    String chosen;
    if (FileExists(state.platform, working))
      chosen = working;
    else if (FileExists(state.platform, typeTemplate))
      chosen = typeTemplate;
    if (!chosen.empty()) {
      try {
        templateText = TemplateText(state.platform, state.platform.files.ReadFile(chosen));
      } catch (const host::HostError&) {
        throw FinishStopped{res::kMessageTemplateNotRead};
      }
    }

    const String body = ComposeMessage(templateText);
    try {
      item->SetHTMLBody(body);
      item->Display();
    } catch (const host::HostError&) {
      throw FinishStopped{res::kMessageMailNotCreated};
    }
  } catch (const PaymentLinkError& error) {
    ShowLinkError(error);
    return;
  } catch (const FinishStopped& stopped) {
    state.ShowMessage(hWnd, ResString(state, stopped.messageId), host::kMbIconError);
    return;
  }

  // The mail is out either way; a profile that refuses the remembered values
  // (read-only, or a full disk) is worth one word to the user.
  if (chkSave.Value() == 1 && !SaveState())
    state.ShowMessage(hWnd, ResString(state, res::kMessageDetailsNotSaved), host::kMbIconError);
  CloseWizard();
}

}  // namespace ostrel
