// The details pages' gates: required fields, the account and amount rules and
// the product total.
#include <gtest/gtest.h>

#include "common/Text.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "support/Checked.h"
#include "support/WizardFixture.h"

namespace ostrel {
namespace {

using test::WizardFixture;
using ui::Outcome;

TEST(AccountRule, AcceptsAnAtSignFollowedSomewhereByAPeriod) {
  struct Case {
    const char16_t* text;
    bool accepted;
  } cases[] = {
      {u"me@example.com", true},
      {u"first.last@example.com", true},
      {u"@.", true},
      {u"me@examplecom", false},
      {u"me.x@example", false},
      {u"example.com", false},
      {u"", true},
      {u"   ", false},  // on every page: a payee of spaces pays nobody
      {u" me@example.com ", true},
      {u"a@b@c", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(frmWizard::AccountAcceptable(c.text), c.accepted) << Utf16ToUtf8(c.text);
}

TEST(AmountRule, NumbersInTheUsersFormatWithinTheBound) {
  WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.Open();
  struct Case {
    const char16_t* text;
    bool price;     // above 0
    bool shipping;  // 0 or more
  } cases[] = {
      {u"0.01", true, true},
      {u"0", false, true},
      {u"-5", false, false},
      {u"-1", false, false},
      {u"abc", false, false},
      {u"", true, true},
      // Spaces alone are no price; as a shipping charge they count as none.
      {u"  ", false, true},
      {u"1,234.50", true, true},
      {u"12a", false, false},
      // The value is read as the locale writes it, currency symbol and all.
      {u"$3", true, true},
      {u"25.00", true, true},
      {u"1e2", true, true},
      {u"1e400", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(w->AmountAcceptable(c.text, true), c.price) << Utf16ToUtf8(c.text);
    EXPECT_EQ(w->AmountAcceptable(c.text, false), c.shipping) << Utf16ToUtf8(c.text);
  }
}

TEST(AmountRule, GermanSeparatorsAreNumbersToo) {
  test::FixedLocale german = test::GermanNumbers();
  WizardFixture f(german);
  CHECKED(f.Install());
  frmWizard* w = f.Open();
  EXPECT_TRUE(w->AmountAcceptable(u"12,50", true));
  EXPECT_TRUE(w->AmountAcceptable(u"1.234,50", true));
  EXPECT_TRUE(w->AmountAcceptable(u"0,50", true)) << "the value after the comma counts";
  EXPECT_TRUE(w->AmountAcceptable(u"0,01", true));
  EXPECT_FALSE(w->AmountAcceptable(u"0,00", true));
}

// The one reading of an amount never multiplies what the user meant: a
// grouping separator counts only between groups of three digits, anything
// else is refused (message 902) rather than read as a hundred times more.
TEST(AmountRule, GroupingSeparatorsNeverMultiplyTheAmount) {
  const test::FixedLocale german = test::GermanNumbers();
  struct Case {
    bool inGerman;
    const char16_t* typed;
    std::optional<double> read;
  } cases[] = {
      {false, u"24.95", 24.95},
      {false, u"24,95", std::nullopt},
      {false, u"1,234.50", 1234.5},
      {false, u"1,234,567", 1234567},
      {false, u"12,34", std::nullopt},
      {false, u"1234,5", std::nullopt},
      {false, u"1,2345", std::nullopt},
      {false, u"1.2.3", std::nullopt},
      {false, u"7.5", 7.5},
      {true, u"24,95", 24.95},
      {true, u"24.95", std::nullopt},
      {true, u"7.5", std::nullopt},
      {true, u"1.234,50", 1234.5},
      {true, u"12.345.678", 12345678},
      {true, u"1.23,4", std::nullopt},
      {true, u"1,2,3", std::nullopt},
  };
  for (const bool inGerman : {false, true}) {
    WizardFixture f(inGerman ? german : test::UsNumbers());
    CHECKED(f.Install());
    frmWizard* w = f.Open();
    for (const Case& c : cases) {
      if (c.inGerman != inGerman)
        continue;
      SCOPED_TRACE(Utf16ToUtf8(c.typed));
      EXPECT_EQ(w->AmountValue(c.typed), c.read);
      EXPECT_EQ(w->AmountAcceptable(c.typed, true), c.read.has_value());
    }
  }
}

TEST(FieldRules, BadValuesKeepTheFocusAndStopTheMove) {
  WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.OpenForType(0);
  ASSERT_EQ(ui::Type(w->txtGeneralQuarroID, u"nobody"), Outcome::Done);
  ASSERT_EQ(ui::Type(w->mebGeneralAmount, u"5"), Outcome::Refused);
  EXPECT_EQ(w->Focused(), &w->txtGeneralQuarroID);
  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_EQ(f.dialogs.boxes[0].text, f.state.messageTable[0]);
  EXPECT_EQ(f.dialogs.boxes[0].caption, f.state.appTitle);
  EXPECT_EQ(f.dialogs.boxes[0].type, host::kMbOk) << "no icon";

  // Help validates too: the dialog stays open (Cancel does not, it discards).
  EXPECT_EQ(ui::Click(w->cmdHelp), Outcome::Refused);
  EXPECT_EQ(f.state.Wizard(), w);
  EXPECT_TRUE(f.help.calls.empty());
  EXPECT_EQ(w->txtGeneralQuarroID.Text(), u"nobody") << "the text stays as typed";

  ASSERT_EQ(ui::Type(w->txtGeneralQuarroID, u"me@example.com"), Outcome::Done);
  ASSERT_EQ(ui::Type(w->mebGeneralAmount, u"-5"), Outcome::Done);
  EXPECT_EQ(ui::Click(w->cmdNext), Outcome::Refused);
  EXPECT_EQ(f.dialogs.boxes.back().text, f.state.messageTable[1]);
  EXPECT_EQ(w->CurrentPage, 2);
  ASSERT_EQ(ui::Type(w->mebGeneralAmount, u"5"), Outcome::Done);
  EXPECT_EQ(ui::Click(w->cmdNext), Outcome::Done);
  EXPECT_EQ(w->CurrentPage, 7);
}

TEST(FieldRules, SpacesAloneAreNoAccountOnAnyPage) {
  WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.OpenForType(4);
  ASSERT_EQ(ui::Type(w->txtDonationQuarroID, u"  "), Outcome::Done);
  EXPECT_EQ(ui::Click(w->cmdNext), Outcome::Refused) << "Donation refuses spaces";
  w = f.OpenForType(2);
  ASSERT_EQ(ui::Type(w->txtServiceQuarroID, u"  "), Outcome::Done);
  EXPECT_EQ(ui::Click(w->cmdHelp), Outcome::Refused) << "Service refuses spaces";
}

TEST(FieldRules, QuantityIsAWholeNumberOfAtLeastOne) {
  WizardFixture f;
  f.Install();
  frmWizard* w = f.OpenForType(1);
  const struct {
    const char16_t* text;
    bool accepted;
  } cases[] = {{u"1", true},    {u" 12 ", true}, {u"007", true}, {u"0", false},  {u"-2", false},
               {u"2.5", false}, {u"abc", false}, {u"", false},   {u"  ", false}, {u"1,000", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    f.dialogs.boxes.clear();
    ASSERT_EQ(ui::Type(w->txtProductQuantity, c.text), Outcome::Done);
    EXPECT_EQ(ui::Click(w->txtProductQuarroID), c.accepted ? Outcome::Done : Outcome::Refused);
    if (c.accepted) {
      EXPECT_TRUE(f.dialogs.boxes.empty());
    } else {
      ASSERT_EQ(f.dialogs.boxes.size(), 1u);
      EXPECT_EQ(f.dialogs.boxes[0].text, ResString(f.state, res::kMessageInvalidQuantity));
      EXPECT_FALSE(f.dialogs.boxes[0].text.empty());
    }
  }
}

TEST(RequiredFields, NextFollowsEveryChangeOfARequiredField) {
  WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.OpenForType(0);
  EXPECT_FALSE(w->cmdNext.enabled);
  ui::Type(w->txtGeneralQuarroID, u"me@example.com");
  EXPECT_FALSE(w->cmdNext.enabled);
  ui::Type(w->mebGeneralAmount, u"5");
  EXPECT_TRUE(w->cmdNext.enabled);
  ui::Type(w->mebGeneralAmount, u"");
  EXPECT_FALSE(w->cmdNext.enabled);

  w = f.OpenForType(1);
  ui::Type(w->txtProductQuarroID, u"me@example.com");
  ui::Type(w->mebProductShipping, u"2");
  EXPECT_FALSE(w->cmdNext.enabled) << "the price inside the inner frame is still empty";
  ui::Type(w->mebProductAmount, u"3");
  EXPECT_TRUE(w->cmdNext.enabled);

  w = f.OpenForType(3);
  ui::Type(w->txtAuctionQuarroID, u"me@example.com");
  EXPECT_FALSE(w->cmdNext.enabled);
  ui::Type(w->txtAuctionItemNumber, u"77");
  EXPECT_TRUE(w->cmdNext.enabled) << "recipient and note may stay empty";

  // Only the current page counts: the empty General amount does not matter here.
  ui::Type(w->txtAuctionItemNumber, u"");
  EXPECT_FALSE(w->RequiredFieldsFilled(u"fraWizard"));
  ui::Type(w->txtAuctionItemNumber, u"78");
  EXPECT_TRUE(w->RequiredFieldsFilled(u"fraWizard"));
  EXPECT_TRUE(w->mebGeneralAmount.Text().empty());
}

TEST(ProductTotal, QuantityTimesPricePlusShipping) {
  WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.OpenForType(1);
  ui::Type(w->txtProductQuarroID, u"me@example.com");
  ui::Type(w->mebProductAmount, u"2.50");
  ui::Type(w->mebProductShipping, u"1");
  ui::Type(w->txtProductQuantity, u"3");
  EXPECT_EQ(w->lblProductTotalCalc.Caption(), u"8.50");
  ui::Type(w->txtProductQuantity, u"abc");
  EXPECT_EQ(w->lblProductTotalCalc.Caption(), u"1.00") << "only the shipping";
  ui::Type(w->txtProductQuantity, u"1000");
  ui::Type(w->mebProductAmount, u"1234.5");
  ui::Type(w->mebProductShipping, u"0");  // leaving the price updates the total
  EXPECT_EQ(w->lblProductTotalCalc.Caption(), u"1,234,501.00");
  ui::Click(w->txtProductQuantity);  // leaving shipping updates it again
  EXPECT_EQ(w->lblProductTotalCalc.Caption(), u"1,234,500.00");
  ui::Type(w->txtProductQuantity, u"4");
  EXPECT_EQ(ui::Spin(w->UpDown1, +1), Outcome::Done);
  EXPECT_EQ(w->txtProductQuantity.Text(), u"5");
  EXPECT_EQ(w->lblProductTotalCalc.Caption(), u"6,172.50");
}

}  // namespace
}  // namespace ostrel

namespace ostrel {
namespace {

TEST(AmountBoxes, ShowTheirNumberFormattedWhileNotFocused) {
  test::WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.OpenForType(1);
  const struct {
    const char16_t *typed, *shown;
  } cases[] = {
      {u"1234.5", u"1,234.50"}, {u"-3", u"(3.00)"}, {u"(2)", u"(2.00)"},
      {u"abc", u"abc"},         {u"", u""},         {u"0.005", u"0.01"},
  };
  for (const auto& c : cases) {
    ui::Type(w->mebProductShipping, c.typed);
    EXPECT_EQ(w->mebProductShipping.DisplayText(), c.typed) << "as typed while focused";
    w->SetFocus(w->txtProductQuarroID);
    EXPECT_EQ(w->mebProductShipping.DisplayText(), c.shown);
    EXPECT_EQ(w->mebProductShipping.Text(), c.typed) << "the rules read what was typed";
  }
}

}  // namespace
}  // namespace ostrel
