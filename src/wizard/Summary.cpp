// The completion page's plain-text summary of the request.
#include "common/Text.h"
#include "settings/SettingsLayout.h"
#include "wizard/frmWizard.h"

namespace ostrel {

namespace {

constexpr std::u16string_view kCrLf = u"\r\n";

String CurrencyName(const ui::Control& currency) {
  if (currency.ListIndex() < 0)
    return String();
  return currency.Items()[static_cast<std::size_t>(currency.ListIndex())];
}

}  // namespace

String frmWizard::SummaryLine(const String& caption, const String& value) {
  if (value.empty())
    return {};
  String label = WithoutAccessKey(caption);
  if (!label.empty() && label.back() == u'*')
    label.pop_back();
  return label + u" " + value + String(kCrLf);
}

void frmWizard::ShowSummary() {
  String summary = u"Button Type:";
  if (settings::IsPaymentRequestType(state.PaymentRequestType))
    summary += WithoutAccessKey(
        optPaymentRequestType[static_cast<std::size_t>(state.PaymentRequestType)]->Caption());
  summary += String(kCrLf) + String(kCrLf);

  auto line = [&summary](const ui::Control& label, const String& value) {
    summary += SummaryLine(label.Caption(), value);
  };
  // Amounts as their boxes show them, so the summary reads them as the total
  // and the link do.
  auto amount = [this](const ui::Control& box, const ui::Control& currency) {
    return AmountShown(box.Text()) + u" (" + CurrencyName(currency) + u")";
  };
  switch (state.PaymentRequestType) {
    case 0:
      line(lblGeneralQuarroID, txtGeneralQuarroID.Text());
      line(lblGeneralAmount, amount(mebGeneralAmount, cmbGeneralCurrency));
      line(lblGeneralNote, txtGeneralNote.Text());
      break;
    case 1:
      line(lblProductQuarroID, txtProductQuarroID.Text());
      line(lblProductTo, txtProductTo.Text());
      line(lblProductSubject, txtProductSubject.Text());
      line(lblProductBuyerFirst, txtProductFirstName.Text());
      line(lblProductBuyerLast, txtProductLastName.Text());
      line(lblProductName, txtProductName.Text());
      line(lblProductNumber, txtProductNumber.Text());
      line(lblProductQuantity, txtProductQuantity.Text());
      line(lblProductAmount, amount(mebProductAmount, cmbProductCurrency));
      line(lblProductShipping, AmountShown(mebProductShipping.Text()));
      line(lblProductTotal, lblProductTotalCalc.Caption());
      break;
    case 2:
      line(lblServiceQuarroID, txtServiceQuarroID.Text());
      line(lblServiceTo, txtServiceTo.Text());
      line(lblServiceSubject, txtServiceSubject.Text());
      line(lblServiceBuyerFirst, txtServiceFirstName.Text());
      line(lblServiceBuyerLast, txtServiceLastName.Text());
      line(lblServiceDescription, txtServiceDescription.Text());
      line(lblServiceAmount, amount(mebServiceAmount, cmbServiceCurrency));
      break;
    case 3:
      line(lblAuctionQuarroID, txtAuctionQuarroID.Text());
      line(lblAuctionTo, txtAuctionTo.Text());
      line(lblAuctionItemNumber, txtAuctionItemNumber.Text());
      break;
    case 4:
      line(lblDonationQuarroID, txtDonationQuarroID.Text());
      line(lblDonationTo, txtDonationTo.Text());
      line(lblDonationSubject, txtDonationSubject.Text());
      line(lblDonationBuyerFirst, txtDonationFirstName.Text());
      line(lblDonationBuyerLast, txtDonationLastName.Text());
      line(lblDonationNote, txtDonationNote.Text());
      break;
    default:
      break;
  }
  txtCompletionSummary.SetText(std::move(summary));
}

}  // namespace ostrel
