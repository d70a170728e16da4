// The completion page's summary.
#include <gtest/gtest.h>

#include "common/Text.h"
#include "support/Checked.h"
#include "support/WizardFixture.h"

namespace ostrel {
namespace {

using test::WizardFixture;

TEST(SummaryLine, CaptionTreatmentAndEmptyValues) {
  const struct {
    const char16_t *caption, *value, *expected;
  } cases[] = {
      {u"Amount:*", u"12.50 (Euro)", u"Amount: 12.50 (Euro)\r\n"},
      {u"Terms && conditions", u"x", u"Terms & conditions x\r\n"},
      {u"Stars:**", u"x", u"Stars:* x\r\n"},
      {u"A &&&& B", u"x", u"A && B x\r\n"},
      {u"A&mount && &tax:*", u"9", u"Amount & tax: 9\r\n"},
      {u"Name:", u"", u""},
      {u"Name:", u"   ", u"Name:    \r\n"},
      {u"", u"v", u" v\r\n"},
      {u"*", u"v", u" v\r\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(frmWizard::SummaryLine(c.caption, c.value), c.expected);
}

TEST(Summary, ProductLinesInOrderWithoutGaps) {
  WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.OpenForType(1);
  // Captions pinned so the expected text does not depend on the wording.
  int k = 0;
  for (ui::Control* label :
       {&w->lblProductQuarroID, &w->lblProductTo, &w->lblProductSubject, &w->lblProductBuyerFirst,
        &w->lblProductBuyerLast, &w->lblProductName, &w->lblProductNumber, &w->lblProductQuantity,
        &w->lblProductAmount, &w->lblProductShipping, &w->lblProductTotal})
    label->SetCaption(u"L" + String(1, static_cast<char16_t>(u'a' + k++)) + u"*");
  w->optPaymentRequestType[1]->SetCaption(u"&Product*");
  w->txtProductQuarroID.SetText(u"me@example.com");
  w->txtProductTo.SetText(u"you@example.com");
  w->txtProductLastName.SetText(u"Ng");
  w->txtProductName.SetText(u"Mug");
  w->mebProductAmount.SetText(u"2.50");
  w->cmbProductCurrency.SetListIndex(1);
  w->txtProductQuantity.SetText(u"2");
  w->lblProductTotalCalc.SetCaption(u"5.00");
  w->ChangePage(8);
  EXPECT_EQ(w->txtCompletionSummary.Text(),
            u"Button Type:Product*\r\n\r\n"
            u"La me@example.com\r\nLb you@example.com\r\nLe Ng\r\nLf Mug\r\nLh 2\r\n"
            u"Li 2.50 (Euro)\r\nLk 5.00\r\n");
}

TEST(Summary, EveryTypeListsItsOwnFieldsAndAmountLinesAlwaysAppear) {
  WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.Open();
  for (ui::Control* label : {&w->lblGeneralAmount, &w->lblProductAmount, &w->lblServiceAmount})
    label->SetCaption(u"Amount:*");
  w->lblServiceDescription.SetCaption(u"What:");
  w->lblAuctionItemNumber.SetCaption(u"Item:");
  w->lblDonationNote.SetCaption(u"Note:");
  w->cmbGeneralCurrency.SetListIndex(2);
  w->txtAuctionNote.SetText(u"not in the summary");
  w->txtAuctionItemNumber.SetText(u"77");
  w->txtDonationNote.SetText(u"roof");
  w->txtServiceDescription.SetText(u"garden");
  w->cmbServiceCurrency.SetListIndex(-1);
  const struct {
    int type;
    std::vector<String> lines;
  } cases[] = {
      {0, {u"Amount:  (Pound Sterling)\r\n"}},
      {1, {u"Amount:  (U.S. Dollar)\r\n"}},
      {2, {u"What: garden\r\n", u"Amount:  ()\r\n"}},
      {3, {u"Item: 77\r\n"}},
      {4, {u"Note: roof\r\n"}},
  };
  for (const auto& c : cases) {
    f.state.PaymentRequestType = c.type;
    w->ShowSummary();
    const String& text = w->txtCompletionSummary.Text();
    EXPECT_TRUE(text.starts_with(
        u"Button Type:" +
        WithoutAccessKey(w->optPaymentRequestType[static_cast<std::size_t>(c.type)]->Caption()) +
        u"\r\n\r\n"));
    for (const String& line : c.lines)
      EXPECT_NE(text.find(line), String::npos) << "type " << c.type;
    EXPECT_EQ(text.find(u"not in the summary"), String::npos);
  }
}

}  // namespace
}  // namespace ostrel
