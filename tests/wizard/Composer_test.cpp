// The mail body: placeholders, the button snippet and the frame.
#include <gtest/gtest.h>

#include "settings/SettingsLayout.h"
#include "settings/frmOptions.h"
#include "support/Checked.h"
#include "support/WizardFixture.h"

namespace ostrel {
namespace {

using test::WizardFixture;
namespace m = settings::main_value;

const String kMain(settings::kMainKey);
const String kHead = u"<DIV align=left>&nbsp;</DIV><DIV align=center>&nbsp;</DIV>";

class Composer : public ::testing::Test {
 protected:
  void SetUp() override {
    CHECKED(f.Install());
    w = f.Open();
    ASSERT_NE(w, nullptr);
    foot = u"<BR><HR><CENTER><SMALL>" + f.state.messageFooter + u"</SMALL></CENTER>";
    ASSERT_FALSE(f.state.messageFooter.empty());
  }
  // The composed text without its frame.
  String Inner(const String& templateText, test::Where where = test::Where::current()) {
    const test::CalledFrom trace(where);
    const String body = w->ComposeMessage(templateText);
    EXPECT_TRUE(body.starts_with(kHead));
    EXPECT_TRUE(body.ends_with(foot));
    if (body.size() < kHead.size() + foot.size())
      return {};
    return body.substr(kHead.size(), body.size() - kHead.size() - foot.size());
  }
  WizardFixture f;
  frmWizard* w = nullptr;
  String foot;
};

TEST_F(Composer, DefaultTemplateWithEachKindOfButton) {
  f.state.PaymentRequestType = 4;
  w->txtDonationQuarroID.SetText(u"d@e.f");
  const String link = w->CreateURL();
  const String href = u"<CENTER><A href=\"" + link + u"\">";

  w->optButton[7]->Select();
  w->txtButtonText.SetText(u"Give <b>now</b>");
  EXPECT_EQ(w->ComposeMessage(u"[BUTTON]"), kHead + href + u"Give <b>now</b></A></CENTER>" + foot)
      << "the whole body, exactly";

  w->optButton[6]->Select();
  w->txtButtonURL.SetText(u"https://example.com/give.png");
  EXPECT_EQ(Inner(u"[Button]"),
            href + u"<IMG src=\"https://example.com/give.png\" border=\"0\"></A></CENTER>");

  const String slot1 = settings::ButtonKey(4, 1);
  CHECKED(f.WriteText(slot1, settings::button_value::kSrc, u"https://www.quarro.com/b/d1.gif"));
  CHECKED(f.WriteText(slot1, settings::button_value::kAlt, u"Donate"));
  CHECKED(f.WriteText(slot1, settings::button_value::kWidth, u"88"));
  CHECKED(f.WriteText(slot1, settings::button_value::kHeight, u"26"));
  w->optButton[1]->Select();
  EXPECT_EQ(Inner(u"[button]"),
            href +
                u"<IMG src=\"https://www.quarro.com/b/d1.gif\" border=\"0\" height=\"26\" "
                u"width=\"88\" alt=\"Donate\"></A></CENTER>");
  // No image address stored for slot 5 (or only spaces): an image there would be
  // an invisible link, so the text link stands in.
  w->optButton[5]->Select();
  EXPECT_EQ(Inner(u"[BUTTON]"), href + u"Give <b>now</b></A></CENTER>");
  f.WriteText(settings::ButtonKey(4, 5), settings::button_value::kSrc, u"  ");
  f.WriteText(settings::ButtonKey(4, 5), settings::button_value::kAlt, u"Donate");
  EXPECT_EQ(Inner(u"[BUTTON]"), href + u"Give <b>now</b></A></CENTER>");
}

TEST_F(Composer, SenderDetailsFillInOrderWithoutRescanning) {
  const String options(settings::kOptionsKey);
  namespace o = settings::options_value;
  CHECKED(f.WriteText(kMain, m::kFirstName, u"[FirstName]"));
  CHECKED(f.WriteText(kMain, m::kCompany, u"[Amount]"));
  CHECKED(f.WriteText(kMain, m::kState, u"Ontario"));
  CHECKED(f.WriteText(kMain, m::kZIP, u"K1A 0B1"));
  CHECKED(f.WriteText(kMain, m::kLastName, u""));
  // What the options dialog stored fills the details the main key lacks (or
  // holds empty); a value under the main key wins.
  CHECKED(f.WriteText(options, o::kCity, u"from the options"));
  CHECKED(f.WriteText(options, o::kLastName, u"Lee"));
  CHECKED(f.WriteText(options, o::kState, u"Quebec"));
  CHECKED(f.WriteText(options, o::kQuarroID, u"me@example.com"));
  f.state.PaymentRequestType = 0;
  w->mebGeneralAmount.SetText(u"12.50");
  EXPECT_EQ(Inner(u"[firstname]|[COMPANY]|[State]=[Providence]|[ZIP]=[PostalCode]|[City]|"
                  u"[LastName]|[QuarroID]|[Address]|[Currency][To][Subject]|[Note"),
            u"[FirstName]|12.50|Ontario=Ontario|K1A 0B1=K1A 0B1|from the options|Lee|"
            u"me@example.com||[Currency][To][Subject]|[Note");
}

TEST_F(Composer, PageValuesOfEachType) {
  w->txtProductTo.SetText(u"buyer@example.com");
  w->txtProductQuantity.SetText(u"2");
  w->mebProductAmount.SetText(u"3.00");
  w->lblProductTotalCalc.SetCaption(u"6.00");
  w->cmbProductCurrency.SetListIndex(1);
  w->txtAuctionItemNumber.SetText(u"A17");
  w->txtAuctionNote.SetText(u"<i>thanks</i>");
  w->txtGeneralNote.SetText(String(300, u'n'));
  w->txtServiceDescription.SetText(u" spaced ");
  w->cmbServiceCurrency.SetListIndex(2);
  w->txtDonationFirstName.SetText(u"Ann");
  const struct {
    int type;
    const char16_t* in;
    String out;
  } cases[] = {
      {1, u"[To] [Quantity]x[Amount]=[Total] [Currency]", u"buyer@example.com 2x3.00=6.00 EUR"},
      {2, u"[Description]|[Currency]|[Note]", u" spaced |GBP|[Note]"},
      {3, u"[ItemNumber] [Note] [Amount]", u"A17 <i>thanks</i> [Amount]"},
      {4, u"[DonorFirstName][DonorLastName] [BuyerFirstName]", u"Ann [BuyerFirstName]"},
      {0, u"[Note]", String(300, u'n')},
  };
  for (const auto& c : cases) {
    f.state.PaymentRequestType = c.type;
    EXPECT_EQ(Inner(c.in), c.out) << "type " << c.type;
  }
}

TEST_F(Composer, ButtonPlaceholderCountDecidesTheLinks) {
  f.state.PaymentRequestType = 3;
  EXPECT_EQ(Inner(u"no button here"), u"no button here");
  const String twice = Inner(u"[Button] and [BUTTON]");
  const String snippet = twice.substr(0, twice.find(u" and "));
  EXPECT_TRUE(snippet.starts_with(u"<CENTER><A href=\"https://"));
  EXPECT_EQ(twice, snippet + u" and " + snippet);
  EXPECT_EQ(Inner(u""), u"");
}

TEST_F(Composer, QuotesCannotBreakOutOfAnAttribute) {
  f.state.PaymentRequestType = 3;
  ShowOptions(f.state);
  f.state.Options()->txtMRB.SetText(u"X\" onclick=\"alert(1)");
  w->optButton[6]->Select();
  w->txtButtonURL.SetText(u"a.png\" onerror=\"x");
  const String body = Inner(u"[BUTTON]");
  EXPECT_EQ(body.find(u"\" onclick"), String::npos);
  EXPECT_NE(body.find(u"mrb=X&quot; onclick=&quot;alert(1)\">"), String::npos);
  EXPECT_NE(body.find(u"src=\"a.png&quot; onerror=&quot;x\""), String::npos);
}

TEST_F(Composer, NoCurrencyMeansNoMessage) {
  f.state.PaymentRequestType = 1;
  w->cmbProductCurrency.SetListIndex(-1);
  EXPECT_THROW(w->ComposeMessage(u"[BUTTON]"), PaymentLinkError);
}

}  // namespace
}  // namespace ostrel
