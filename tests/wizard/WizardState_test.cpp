// What the wizard remembers, against the build's registry.
#include <gtest/gtest.h>

#include "common/Text.h"
#include "settings/SettingsLayout.h"
#include "support/Checked.h"
#include "support/WizardFixture.h"

namespace ostrel {
namespace {

using test::WizardFixture;
namespace branch = settings::branch_value;

const String kMain(settings::kMainKey);

TEST(LoadState, FreshInstallationOpensOnTheWelcomePageWithDefaults) {
  WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.Open();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(f.state.WizardReady);
  EXPECT_EQ(w->CurrentPage, 0);
  EXPECT_EQ(w->currencyCodes, (std::vector<String>{u"USD", u"EUR", u"GBP"}));
  for (ui::Control* list :
       {&w->cmbGeneralCurrency, &w->cmbProductCurrency, &w->cmbServiceCurrency}) {
    EXPECT_EQ(list->Items(), (std::vector<String>{u"U.S. Dollar", u"Euro", u"Pound Sterling"}));
    EXPECT_EQ(list->ListIndex(), 0);
  }
  EXPECT_EQ(w->txtProductQuantity.Text(), u"1");
  EXPECT_EQ(w->lblProductTotalCalc.Caption(), u"0.00");
  EXPECT_EQ(w->chkSkip.Value(), 0);
  EXPECT_TRUE(w->optButton[0]->Selected());
  EXPECT_EQ(w->SelectedButton, 0);
  EXPECT_TRUE(f.dialogs.boxes.empty());
}

TEST(LoadState, StoredValuesOfEveryBranchAreShown) {
  WizardFixture f;
  CHECKED(f.Install());
  CHECKED(f.WriteNumber(kMain, settings::main_value::kPaymentRequestType, 2));
  CHECKED(f.WriteNumber(kMain, settings::main_value::kSkipWelcome, 1));
  CHECKED(f.WriteNumber(settings::BranchKey(2), branch::kButton, 1));
  CHECKED(f.WriteNumber(settings::BranchKey(1), branch::kCurrency, 1));
  CHECKED(f.WriteText(settings::BranchKey(1), branch::kAmount, u"12.50"));
  CHECKED(f.WriteText(settings::BranchKey(1), branch::kQuantity, u"2"));
  CHECKED(f.WriteText(settings::BranchKey(1), branch::kShipping, u"3"));
  CHECKED(f.WriteText(settings::BranchKey(1), branch::kName, u"Mug"));
  CHECKED(f.WriteText(settings::BranchKey(0), branch::kQuarroID, u"g@x.y"));
  CHECKED(f.WriteText(settings::BranchKey(0), branch::kAmount, u"99"));
  CHECKED(f.WriteText(settings::BranchKey(3), branch::kQuarroID, u"a@x.y"));
  CHECKED(f.WriteText(settings::BranchKey(4), branch::kSubject, u"Thanks"));
  CHECKED(f.WriteText(settings::BranchKey(2), branch::kDescription, u"Garden"));

  frmWizard* w = f.Open();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->CurrentPage, 1) << "skip welcome";
  EXPECT_TRUE(w->optPaymentRequestType[2]->Selected());
  EXPECT_EQ(f.state.PaymentRequestType, 2);
  EXPECT_EQ(w->SelectedButton, 1) << "the Service branch's button";
  EXPECT_EQ(w->cmbProductCurrency.ListIndex(), 1);
  EXPECT_EQ(w->cmbGeneralCurrency.ListIndex(), 0);
  EXPECT_EQ(w->lblProductTotalCalc.Caption(), u"28.00");
  EXPECT_EQ(w->txtProductName.Text(), u"Mug");
  EXPECT_EQ(w->txtGeneralQuarroID.Text(), u"g@x.y");
  EXPECT_EQ(w->mebGeneralAmount.Text(), u"") << "the General amount always starts empty";
  EXPECT_EQ(w->txtAuctionQuarroID.Text(), u"a@x.y");
  EXPECT_EQ(w->txtDonationSubject.Text(), u"Thanks");
  EXPECT_EQ(w->txtServiceDescription.Text(), u"Garden");
}

TEST(LoadState, QuantityDefaultsAndCurrencyEdges) {
  const struct {
    RegValue quantity;
    const char16_t* shown;
  } quantities[] = {
      {RegValue::Text(u"   "), u"1"},
      {RegValue::Text(u"0"), u"0"},
      {RegValue(), u"1"},
      {RegValue::Number(4), u"4"},
  };
  for (const auto& q : quantities) {
    WizardFixture f;
    CHECKED(f.Install());
    if (!q.quantity.IsNone())
      CHECKED(f.Write(settings::BranchKey(1), branch::kQuantity, q.quantity));
    frmWizard* w = f.Open();
    EXPECT_EQ(w->txtProductQuantity.Text(), q.shown);
  }

  const struct {
    RegValue stored;
    int shown;
  } currencies[] = {
      {RegValue::Number(-1), -1},   {RegValue::Number(2), 2},    {RegValue::Number(3), 0},
      {RegValue::Number(70000), 0}, {RegValue::Text(u"1"), 1},   {RegValue::Text(u"x"), 0},
      {RegValue::Text(u"1.5"), 2},  {RegValue::Text(u"0.5"), 0},
  };
  for (const auto& c : currencies) {
    WizardFixture f;
    CHECKED(f.Install());
    CHECKED(f.Write(settings::BranchKey(2), branch::kCurrency, c.stored));
    frmWizard* w = f.Open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->cmbServiceCurrency.ListIndex(), c.shown) << Utf16ToUtf8(c.stored.AsText());
  }
}

TEST(LoadState, CurrencyListEndsAtTheFirstIncompleteEntry) {
  WizardFixture f;
  CHECKED(f.Install());
  CHECKED(f.WriteText(settings::CurrencyKey(1), settings::currency_value::kCode, u"  "));
  CHECKED(f.WriteText(settings::CurrencyKey(1), settings::currency_value::kName, u"  "));
  frmWizard* w = f.Open();
  EXPECT_EQ(w->currencyCodes, std::vector<String>{u"USD"});
  EXPECT_EQ(w->cmbGeneralCurrency.Items().size(), 1u);

  WizardFixture g;
  CHECKED(g.Install());
  CHECKED(g.WriteText(settings::CurrencyKey(1), settings::currency_value::kName, u""));
  frmWizard* v = g.Open();
  EXPECT_EQ(v->currencyCodes, std::vector<String>{u"USD"}) << "a code without a name ends it";
  EXPECT_EQ(v->cmbProductCurrency.Items().size(), 1u);
}

TEST(LoadState, DamagedNumbersStillOpenTheWizard) {
  const struct {
    RegValue type, skip, button;
    int expectType, expectSkip, expectButton;
  } cases[] = {
      {RegValue::Number(7), RegValue::Number(5), RegValue::Number(9), 0, 0, 0},
      {RegValue::Text(u"x"), RegValue::Text(u"y"), RegValue::Text(u"z"), 0, 0, 0},
      {RegValue::Text(u"4"), RegValue::Number(1), RegValue::Text(u"6.5"), 4, 1, 6},
      {RegValue::Number(3), RegValue(), RegValue::Text(u"7abc"), 3, 0, 7},
      {RegValue::Number(1), RegValue(), RegValue::Number(-1), 1, 0, 0},
  };
  for (const auto& c : cases) {
    WizardFixture f;
    CHECKED(f.Install());
    CHECKED(f.Write(kMain, settings::main_value::kPaymentRequestType, c.type));
    if (!c.skip.IsNone())
      CHECKED(f.Write(kMain, settings::main_value::kSkipWelcome, c.skip));
    for (int t = 0; t < 5; ++t)
      CHECKED(f.Write(settings::BranchKey(t), branch::kButton, c.button));
    frmWizard* w = f.Open();
    ASSERT_NE(w, nullptr) << Utf16ToUtf8(c.type.AsText());
    EXPECT_EQ(f.state.PaymentRequestType, c.expectType);
    EXPECT_EQ(w->chkSkip.Value(), c.expectSkip);
    EXPECT_EQ(w->SelectedButton, c.expectButton) << Utf16ToUtf8(c.button.AsText());
    EXPECT_TRUE(f.dialogs.boxes.empty());
  }
}

TEST(SaveState, WritesTheTypeAndOnlyItsBranch) {
  WizardFixture f;
  CHECKED(f.Install());
  CHECKED(f.WriteText(settings::BranchKey(1), branch::kName, u"Old mug"));
  frmWizard* w = f.OpenForType(0);
  w->txtGeneralQuarroID.SetText(u" g@x.y ");
  w->mebGeneralAmount.SetText(u"5.00");
  w->cmbGeneralCurrency.SetListIndex(-1);
  w->optButton[7]->Select();
  w->txtProductName.SetText(u"New mug");
  w->SaveState();

  const String general = settings::BranchKey(0);
  EXPECT_EQ(f.Read(kMain, settings::main_value::kPaymentRequestType), RegValue::Number(0));
  EXPECT_EQ(f.Read(general, branch::kQuarroID), RegValue::Text(u" g@x.y ")) << "untrimmed";
  EXPECT_EQ(f.Read(general, branch::kAmount), RegValue::Text(u"5.00"));
  EXPECT_EQ(f.Read(general, branch::kCurrency), RegValue::Number(-1));
  EXPECT_EQ(f.Read(general, branch::kButton), RegValue::Number(7));
  EXPECT_EQ(f.Read(settings::BranchKey(1), branch::kName), RegValue::Text(u"Old mug"));

  // And -1 reads back as no selection.
  w->CloseWizard();
  w = f.OpenForType(0);
  EXPECT_EQ(w->cmbGeneralCurrency.ListIndex(), -1);
  EXPECT_EQ(w->SelectedButton, 7);
}

TEST(SaveState, EachTypeWritesItsValues) {
  const struct {
    int type;
    std::vector<std::u16string_view> written;
  } cases[] = {
      {1,
       {branch::kQuarroID, branch::kSubject, branch::kCurrency, branch::kName, branch::kNumber,
        branch::kQuantity, branch::kAmount, branch::kShipping, branch::kButton}},
      {2,
       {branch::kQuarroID, branch::kSubject, branch::kCurrency, branch::kDescription,
        branch::kAmount, branch::kButton}},
      {3, {branch::kQuarroID, branch::kButton}},
      {4, {branch::kQuarroID, branch::kSubject, branch::kButton}},
  };
  const std::u16string_view all[] = {branch::kQuarroID, branch::kSubject,  branch::kCurrency,
                                     branch::kAmount,   branch::kName,     branch::kNumber,
                                     branch::kQuantity, branch::kShipping, branch::kDescription,
                                     branch::kButton};
  for (const auto& c : cases) {
    WizardFixture f;
    CHECKED(f.Install());
    frmWizard* w = f.OpenForType(c.type);
    w->SaveState();
    EXPECT_EQ(f.Read(kMain, settings::main_value::kPaymentRequestType), RegValue::Number(c.type));
    for (std::u16string_view name : all) {
      const bool expected = std::find(c.written.begin(), c.written.end(), name) != c.written.end();
      EXPECT_EQ(!f.Read(settings::BranchKey(c.type), name).IsNone(), expected)
          << "type " << c.type << " " << Utf16ToUtf8(name);
    }
  }
}

TEST(ButtonList, EmptySlotsAreHiddenAndAStoredEmptySlotFallsBack) {
  WizardFixture f;
  CHECKED(f.Install());
  CHECKED(f.WriteNumber(settings::BranchKey(1), branch::kButton, 4));
  frmWizard* w = f.OpenForType(1);
  EXPECT_EQ(w->SelectedButton, 4);
  ui::Type(w->txtProductQuarroID, u"me@example.com");
  ui::Type(w->mebProductAmount, u"1");
  ASSERT_EQ(ui::Click(w->cmdNext), ui::Outcome::Done);
  ASSERT_EQ(w->CurrentPage, 7);
  for (int n = 0; n < kImageSlots; ++n) {
    EXPECT_EQ(w->optButton[static_cast<std::size_t>(n)]->IsShown(), n < 3) << n;
    EXPECT_EQ(w->picButton[static_cast<std::size_t>(n)]->IsShown(), n < 3) << n;
    EXPECT_EQ(w->optButton[static_cast<std::size_t>(n)]->enabled, n < 3) << n;
  }
  EXPECT_TRUE(w->optButton[6]->IsShown());
  EXPECT_TRUE(w->optButton[7]->IsShown());
  EXPECT_EQ(w->SelectedButton, 0);
  EXPECT_EQ(w->Focused(), w->optButton[0]);
  ASSERT_NE(w->picButton[0]->picture, nullptr) << "the slot's bitmap is shown";
  const auto& opt = w->optButton[0]->rect;
  const auto& pic = w->picButton[0]->rect;
  EXPECT_EQ(pic.top + pic.height / 2, opt.top + opt.height / 2) << "centred on its option";

  // Picture and box clicks choose their options.
  ASSERT_EQ(ui::Click(*w->picButton[2]), ui::Outcome::Done);
  EXPECT_EQ(w->SelectedButton, 2);
  ASSERT_EQ(ui::Click(w->txtButtonURL), ui::Outcome::Done);
  EXPECT_EQ(w->SelectedButton, 6);
  ASSERT_EQ(ui::Click(w->txtButtonText), ui::Outcome::Done);
  EXPECT_EQ(w->SelectedButton, 7);
  ui::Type(w->txtButtonURL, u"https://example.com/b.png");
  EXPECT_EQ(w->SelectedButton, 7) << "typing alone does not choose";

  // Another type with only slot 0: its list replaces the first one's.
  CHECKED(f.WriteText(settings::ButtonKey(4, 1), settings::button_value::kResourceID, u""));
  CHECKED(f.WriteText(settings::ButtonKey(4, 2), settings::button_value::kResourceID, u""));
  ui::Click(*w->picButton[1]);
  ui::Click(w->cmdBack);
  ui::Click(w->cmdBack);
  ui::Click(*w->optPaymentRequestType[4]);
  ui::Click(w->cmdNext);
  ui::Type(w->txtDonationQuarroID, u"me@example.com");
  ui::Click(w->cmdNext);
  ASSERT_EQ(w->CurrentPage, 7);
  EXPECT_TRUE(w->optButton[0]->IsShown());
  EXPECT_FALSE(w->optButton[1]->IsShown());
  EXPECT_EQ(w->SelectedButton, 0) << "slot 1 is empty for Donation";
}

TEST(ButtonList, HiddenSelectedSlotZeroLeavesTheFocusOnNext) {
  WizardFixture f;
  CHECKED(f.Install());
  CHECKED(f.WriteText(settings::ButtonKey(3, 0), settings::button_value::kResourceID, u""));
  frmWizard* w = f.OpenForType(3);
  w->ChangePage(7);
  EXPECT_TRUE(w->optButton[0]->Selected());
  EXPECT_FALSE(w->optButton[0]->IsShown());
  EXPECT_EQ(w->Focused(), &w->cmdNext);
}

}  // namespace
}  // namespace ostrel
