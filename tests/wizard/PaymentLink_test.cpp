// The payment link, byte for byte.
#include <gtest/gtest.h>

#include "common/Text.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsLayout.h"
#include "settings/frmOptions.h"
#include "support/Checked.h"
#include "support/WizardFixture.h"

namespace ostrel {
namespace {

using test::WizardFixture;

constexpr std::u16string_view kPrefix = u"https://www.quarro.com/cgi-bin/webscr?";
constexpr std::u16string_view kTail = u"&bn=Ostrel_Outlook_US&mrb=R-2KD58310QM774105B";

class PaymentLink : public ::testing::Test {
 protected:
  void SetUp() override {
    CHECKED(f.Install());
    w = f.Open();
    ASSERT_NE(w, nullptr);
  }
  String Query(std::int32_t type) {
    f.state.PaymentRequestType = type;
    const String link = w->CreateURL();
    EXPECT_EQ(link.substr(0, kPrefix.size()), kPrefix);
    EXPECT_EQ(link.substr(link.size() - kTail.size()), kTail);
    return link.substr(kPrefix.size(), link.size() - kPrefix.size() - kTail.size());
  }
  WizardFixture f;
  frmWizard* w = nullptr;
};

TEST_F(PaymentLink, WorkedExampleComesOutExactly) {
  w->txtGeneralQuarroID.SetText(u"x@y.z");
  w->mebGeneralAmount.SetText(u"25.00");
  w->txtGeneralNote.SetText(u"Invoice 42 & more");
  w->cmbGeneralCurrency.SetListIndex(0);
  f.state.PaymentRequestType = 0;
  EXPECT_EQ(w->CreateURL(),
            u"https://www.quarro.com/cgi-bin/webscr?cmd=_xclick&business=x%40y%2Ez&amount=25%2E00"
            u"&item_name=Invoice+42+%26+more&currency_code=USD&no_shipping=1&pbtype=general"
            u"&bn=Ostrel_Outlook_US&mrb=R-2KD58310QM774105B");
}

TEST_F(PaymentLink, EachTypesQueryWithAndWithoutBuyerNames) {
  w->txtProductQuarroID.SetText(u"p@q.r");
  w->mebProductAmount.SetText(u"9.99");
  w->cmbProductCurrency.SetListIndex(1);
  w->txtProductName.SetText(u"Mug");
  w->txtProductNumber.SetText(u"M-1");
  w->txtProductQuantity.SetText(u"2");
  w->mebProductShipping.SetText(u"");
  w->chkProductShipping.SetValue(1);
  EXPECT_EQ(Query(1),
            u"cmd=_xclick&business=p%40q%2Er&amount=9%2E99&currency_code=EUR&item_name=Mug"
            u"&item_number=M%2D1&quantity=2&shipping=&no_shipping=0&pbtype=product");
  w->txtProductFirstName.SetText(u"Ann");
  w->chkProductShipping.SetValue(0);
  EXPECT_TRUE(Query(1).starts_with(
      u"cmd=_ext-enter&redirect_cmd=_xclick&first_name=Ann&last_name=&business=p%40q%2Er&"));
  EXPECT_NE(Query(1).find(u"&no_shipping=1&"), String::npos);
  w->chkProductShipping.SetValue(2);
  EXPECT_NE(Query(1).find(u"&no_shipping=1&"), String::npos) << "greyed counts as clear";

  w->txtServiceQuarroID.SetText(u"s@t.u");
  w->mebServiceAmount.SetText(u"100");
  w->cmbServiceCurrency.SetListIndex(2);
  w->txtServiceDescription.SetText(u"Garden work");
  w->txtServiceFirstName.SetText(u"  ");
  w->txtServiceLastName.SetText(u" ");
  EXPECT_EQ(Query(2),
            u"cmd=_xclick&business=s%40t%2Eu&amount=100%2E00&currency_code=GBP"
            u"&item_name=Garden+work&no_shipping=1&pbtype=service")
      << "names of spaces only name no buyer";
  w->txtServiceLastName.SetText(u" Lee");
  EXPECT_TRUE(Query(2).starts_with(
      u"cmd=_ext-enter&redirect_cmd=_xclick&first_name=++&last_name=+Lee&business=s%40t%2Eu&"));

  w->txtAuctionQuarroID.SetText(u"a@b.c");
  EXPECT_EQ(Query(3),
            u"cmd=_xclick-auction&auction_type=Ebay&jmagic=1&business=a%40b%2Ec&jitem_id="
            u"&pbtype=auction");

  w->txtDonationQuarroID.SetText(u"d@e.f");
  w->txtDonationNote.SetText(u"For the roof");
  w->txtDonationLastName.SetText(u"Ng");
  EXPECT_EQ(Query(4),
            u"cmd=_ext-enter&redirect_cmd=_xclick&first_name=&last_name=Ng&business=d%40e%2Ef"
            u"&item_name=For+the+roof&no_shipping=1&pbtype=donation");
}

TEST_F(PaymentLink, NotesAreCutTo127CharactersBeforeEncoding) {
  w->txtGeneralNote.SetText(String(200, u'.'));
  w->txtDonationNote.SetText(String(130, u'a'));
  String general = Query(0);
  String expected;
  for (int i = 0; i < 127; ++i)
    expected += u"%2E";
  EXPECT_NE(general.find(u"&item_name=" + expected + u"&currency_code="), String::npos);
  EXPECT_NE(Query(4).find(u"&item_name=" + String(127, u'a') + u"&no_shipping"), String::npos);
  // Other values are not cut.
  w->txtProductName.SetText(String(300, u'b'));
  EXPECT_NE(Query(1).find(String(300, u'b')), String::npos);
}

TEST_F(PaymentLink, ReferralCodeComesFromTheOptionsDialog) {
  f.state.PaymentRequestType = 3;
  auto tail = [this] {
    const String link = w->CreateURL();
    return link.substr(link.find(u"&bn="));
  };
  CHECKED(f.WriteText(String(settings::kOptionsKey), settings::options_value::kMRB, u"  ABC  "));
  EXPECT_EQ(tail(), u"&bn=Ostrel_Outlook_US&mrb=ABC") << "loaded invisibly and trimmed";
  ASSERT_NE(f.state.Options(), nullptr);
  EXPECT_FALSE(f.state.Options()->visible);

  f.state.Options()->txtMRB.SetText(u"A&B C");
  EXPECT_EQ(tail(), u"&bn=Ostrel_Outlook_US&mrb=A&B C") << "typed, not applied, not encoded";
  f.state.Options()->txtMRB.SetText(u"   ");
  EXPECT_EQ(tail(), u"&bn=Ostrel_Outlook_US&mrb=R-2KD58310QM774105B");
}

TEST_F(PaymentLink, EncodingTable) {
  const std::pair<String, String> cases[] = {
      {u"a b", u"a+b"},           {u"x@y.z", u"x%40y%2Ez"},
      {u"1,5", u"1%2C5"},         {u"\t", u"%09"},
      {String(1, u'\0'), u"%00"}, {u"\x0F", u"%0F"},
      {u"\x10", u"%10"},          {u"\x1F", u"%1F"},
      {u"!/", u"%21%2F"},         {u"09AZaz", u"09AZaz"},
      {u":@", u"%3A%40"},         {u"[`", u"%5B%60"},
      {u"{~\x7F", u"%7B%7E%7F"},  {u"-._", u"%2D%2E%5F"},
      {u"\u00E9", u"%E9"},        {u"\u20AC", u"%80"},
      {u"\u00FF", u"%FF"},        {u"\u00A0", u"%A0"},
      {u"\u4E2D", u"%3F"},        {u"", u""},
      {u"  x  ", u"++x++"},
  };
  for (const auto& [value, expected] : cases)
    EXPECT_EQ(w->URLEncode(value), expected) << Utf16ToUtf8(value);

  for (int code = 0; code < 16; ++code)
    EXPECT_EQ(w->URLEncode(String(1, static_cast<char16_t>(code))),
              u"%0" + String(1, u"0123456789ABCDEF"[code]));
  // Every byte from 128 up is one percent-encoded byte of the code page.
  for (int byte = 128; byte < 256; ++byte) {
    const String ch = f.services.ansi.FromAnsi(AnsiString(1, static_cast<char>(byte)));
    ASSERT_EQ(ch.size(), 1u);
    const char16_t hex[] = {u'%', u"0123456789ABCDEF"[byte >> 4], u"0123456789ABCDEF"[byte & 15],
                            0};
    EXPECT_EQ(w->URLEncode(ch), hex) << "byte " << byte;
  }
}

TEST_F(PaymentLink, FailuresReachTheUserAndLeaveTheWizardUsable) {
  // No currency selected.
  w->cmbGeneralCurrency.SetListIndex(-1);
  f.state.PaymentRequestType = 0;
  try {
    w->CreateURL();
    ADD_FAILURE() << "no link without a currency";
  } catch (const PaymentLinkError& error) {
    EXPECT_EQ(error.messageId, res::kMessageNoCurrency);
  }
  // A value of 32,767 characters cannot be encoded; one less can.
  EXPECT_EQ(w->URLEncode(String(32766, u'a')).size(), 32766u);
  EXPECT_THROW(w->URLEncode(String(32767, u'a')), PaymentLinkError);

  // Through the Test button: a message, no shell call, the wizard still open.
  ui::Click(w->cmdNext);
  w->ChangePage(8);
  ASSERT_EQ(ui::Click(w->cmdTest), ui::Outcome::Done);
  EXPECT_TRUE(f.shell.calls.empty());
  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_NE(f.dialogs.boxes[0].text.find(u"currency"), String::npos);
  EXPECT_EQ(f.dialogs.boxes[0].type, host::kMbOk | host::kMbIconError);
  EXPECT_EQ(f.state.Wizard(), w);

  w->cmbGeneralCurrency.SetListIndex(0);
  ASSERT_EQ(ui::Click(w->cmdTest), ui::Outcome::Done);
  ASSERT_EQ(f.shell.calls.size(), 1u);
  EXPECT_EQ(f.shell.calls[0].verb, u"Open");
  EXPECT_EQ(f.shell.calls[0].file, w->CreateURL());
  EXPECT_EQ(f.shell.calls[0].parameters, u"");
  EXPECT_EQ(f.shell.calls[0].directory, f.state.addinFolder);
  EXPECT_EQ(f.shell.calls[0].show, host::kSwShowNormal);
}

// Text outside the code page never reaches the checkout as "?" or as a
// best-fit letter: Test stops at the field and names it. Text inside the code
// page comes out byte for byte the same in both builds.
TEST_F(PaymentLink, TextTheCodePageLacksStopsAtItsFieldAndTheRestIsExact) {
  w->txtProductQuarroID.SetText(u"shop@example.com");
  w->mebProductAmount.SetText(u"2.50");
  w->txtProductFirstName.SetText(u"Zo\u00EB");
  w->txtProductLastName.SetText(u"M\u00FCller-L\u00FCdenscheid");
  w->txtProductName.SetText(u"Cr\u00E8me br\u00FBl\u00E9e \u20AC5");
  EXPECT_EQ(
      Query(1),
      u"cmd=_ext-enter&redirect_cmd=_xclick&first_name=Zo%EB&last_name=M%FCller%2DL%FCdenscheid"
      u"&business=shop%40example%2Ecom&amount=2%2E50&currency_code=USD"
      u"&item_name=Cr%E8me+br%FBl%E9e+%805&item_number=&quantity=1&shipping="
      u"&no_shipping=1&pbtype=product");

  const struct {
    std::int32_t type;
    ui::Control* field;
    const char16_t* text;
    const char16_t* label;  // as the message names it
  } cases[] = {
      {1, &w->txtProductLastName, u"\u0141ukasz", u"Buyer's last name"},
      {1, &w->txtProductNumber, u"A-\u0416", u"Item number"},
      {0, &w->txtGeneralNote, u"\u03A8 roof", u"Note (also the subject)"},
      {3, &w->txtAuctionItemNumber, u"\u4E2D", u"Auction item number"},
  };
  w->txtGeneralQuarroID.SetText(u"x@example.com");
  w->mebGeneralAmount.SetText(u"5");
  w->txtAuctionQuarroID.SetText(u"x@example.com");
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.label));
    f.state.PaymentRequestType = c.type;
    const String before = c.field->Text();
    c.field->SetText(c.text);
    w->ChangePage(8);
    f.dialogs.boxes.clear();
    ASSERT_EQ(ui::Click(w->cmdTest), ui::Outcome::Done);
    EXPECT_TRUE(f.shell.calls.empty()) << "no link opened";
    ASSERT_EQ(f.dialogs.boxes.size(), 1u);
    EXPECT_NE(f.dialogs.boxes[0].text.find(u"\"" + String(c.label) + u"\""), String::npos)
        << Utf16ToUtf8(f.dialogs.boxes[0].text);
    EXPECT_EQ(w->CurrentPage, DetailsPageOfType(c.type));
    EXPECT_EQ(w->Focused(), c.field);
    c.field->SetText(before);
  }
}

// One reading of a typed amount, with the user's separators, serves the rule,
// the box, the total, the summary and the link; the mail's placeholders keep
// what was typed.
TEST(AmountReading, RuleTotalSummaryAndLinkAgreeInEachLocale) {
  const struct {
    test::FixedLocale locale;
    const char16_t *quantity, *price, *shipping;
    const char16_t *priceShown, *shippingShown, *total;
    const char16_t* query;  // the link's amounts
  } cases[] = {
      {test::UsNumbers(), u"2", u"1,234.50", u"4.5", u"1,234.50", u"4.50", u"2,473.50",
       u"&amount=1234%2E50&currency_code=USD&item_name=&item_number=&quantity=2&shipping=4%2E50&"},
      {test::GermanNumbers(), u"2", u"12,50", u"1.250", u"12,50", u"1.250,00", u"1.275,00",
       u"&amount=12%2E50&currency_code=USD&item_name=&item_number=&quantity=2&shipping=1250%2E00&"},
      {test::GermanNumbers(), u" 3 ", u"1.250,5", u"0,01", u"1.250,50", u"0,01", u"3.751,51",
       u"&amount=1250%2E50&currency_code=USD&item_name=&item_number=&quantity=3&shipping=0%2E01&"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.price));
    WizardFixture f(c.locale);
    f.Install();
    frmWizard* w = f.OpenForType(1);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(ui::Type(w->txtProductQuarroID, u"shop@example.com"), ui::Outcome::Done);
    ASSERT_EQ(ui::Type(w->txtProductQuantity, c.quantity), ui::Outcome::Done);
    ASSERT_EQ(ui::Type(w->mebProductAmount, c.price), ui::Outcome::Done);
    ASSERT_EQ(ui::Type(w->mebProductShipping, c.shipping), ui::Outcome::Done);
    ASSERT_EQ(ui::Click(w->cmdNext), ui::Outcome::Done) << "every value keeps its rule";
    EXPECT_TRUE(f.dialogs.boxes.empty());
    EXPECT_EQ(w->mebProductAmount.DisplayText(), c.priceShown);
    EXPECT_EQ(w->mebProductShipping.DisplayText(), c.shippingShown);
    EXPECT_EQ(w->lblProductTotalCalc.Caption(), c.total);

    ASSERT_EQ(ui::Click(w->cmdNext), ui::Outcome::Done);
    const String summary = w->txtCompletionSummary.Text();
    EXPECT_NE(summary.find(String(c.priceShown) + u" ("), String::npos) << Utf16ToUtf8(summary);
    EXPECT_NE(summary.find(String(u" ") + c.shippingShown + u"\r\n"), String::npos);
    EXPECT_NE(summary.find(String(u" ") + c.total + u"\r\n"), String::npos);

    const String link = w->CreateURL();
    EXPECT_NE(link.find(c.query), String::npos) << Utf16ToUtf8(link);
    EXPECT_EQ(w->ComposeMessage(u"[Quantity]|[Amount]|[Shipping]|[Total]")
                  .find(String(c.quantity) + u"|" + c.price + u"|" + c.shipping + u"|" + c.total),
              String(u"<DIV align=left>&nbsp;</DIV><DIV align=center>&nbsp;</DIV>").size())
        << "the placeholders keep what was typed";
  }
}

}  // namespace
}  // namespace ostrel
