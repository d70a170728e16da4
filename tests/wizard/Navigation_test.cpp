// Opening the wizard, moving through its pages and the command strip, driven as
// a user drives it.
#include <gtest/gtest.h>

#include "common/Text.h"
#include "settings/SettingsLayout.h"
#include "support/Checked.h"
#include "support/WizardFixture.h"

namespace ostrel {
namespace {

using test::WizardFixture;
using ui::Outcome;

TEST(WizardTransitions, NextAndBackFollowTheTypeOfRequest) {
  // Expected targets for pages 0..8, per type (5 stands for a number that is
  // no type); -1 and 9 lie outside the pages and are ignored by ChangePage.
  struct Row {
    int type;
    int next[9];
    int back[9];
  } rows[] = {
      {0, {1, 2, 7, 7, 7, 7, 7, 8, 9}, {-1, 0, 1, 1, 1, 1, 1, 2, 7}},
      {1, {1, 4, 7, 7, 7, 7, 7, 8, 9}, {-1, 0, 1, 1, 1, 1, 1, 4, 7}},
      {2, {1, 5, 7, 7, 7, 7, 7, 8, 9}, {-1, 0, 1, 1, 1, 1, 1, 5, 7}},
      {3, {1, 3, 7, 7, 7, 7, 7, 8, 9}, {-1, 0, 1, 1, 1, 1, 1, 3, 7}},
      {4, {1, 6, 7, 7, 7, 7, 7, 8, 9}, {-1, 0, 1, 1, 1, 1, 1, 6, 7}},
      {5, {1, 2, 7, 7, 7, 7, 7, 8, 9}, {-1, 0, 1, 1, 1, 1, 1, 1, 7}},
  };
  for (const Row& row : rows) {
    for (std::int16_t page = 0; page < 9; ++page) {
      std::int16_t next = static_cast<std::int16_t>(page + 1);
      frmWizard::AdjustPageTransition(row.type, page, next);
      EXPECT_EQ(next, row.next[page]) << "type " << row.type << " Next from " << page;
      std::int16_t back = static_cast<std::int16_t>(page - 1);
      frmWizard::AdjustPageTransition(row.type, page, back);
      EXPECT_EQ(back, row.back[page]) << "type " << row.type << " Back from " << page;
    }
  }
}

// The command strip as the user sees it.
struct Strip {
  int page;
  bool backEnabled, nextVisible, nextEnabled, finishVisible;
  bool operator==(const Strip&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Strip& s) {
  return out << "page " << s.page << " back " << s.backEnabled << " next " << s.nextVisible << "/"
             << s.nextEnabled << " finish " << s.finishVisible;
}
Strip StripOf(const frmWizard& w, test::Where where = test::Where::current()) {
  const test::CalledFrom trace(where);
  int shown = -1;
  for (int p = 0; p < kPageCount; ++p)
    if (w.fraWizard[static_cast<std::size_t>(p)]->IsShown()) {
      EXPECT_EQ(shown, -1) << "two pages shown";
      shown = p;
    }
  EXPECT_EQ(shown, w.CurrentPage);
  return {shown, w.cmdBack.enabled, w.cmdNext.visible, w.cmdNext.enabled, w.cmdFinish.visible};
}

// The required fields of each type's page, filled with acceptable values.
void FillRequired(frmWizard& w, int type) {
  auto type_into = [](ui::Control& c, const char16_t* text) {
    ASSERT_EQ(ui::Type(c, text), Outcome::Done) << "typing into " << Utf16ToUtf8(c.name());
  };
  switch (type) {
    case 0:
      type_into(w.txtGeneralQuarroID, u"me@example.com");
      type_into(w.mebGeneralAmount, u"5");
      break;
    case 1:
      type_into(w.txtProductQuarroID, u"me@example.com");
      type_into(w.mebProductAmount, u"5");
      break;
    case 2:
      type_into(w.txtServiceQuarroID, u"me@example.com");
      type_into(w.mebServiceAmount, u"5");
      break;
    case 3:
      type_into(w.txtAuctionQuarroID, u"me@example.com");
      type_into(w.txtAuctionItemNumber, u"1234");
      break;
    case 4:
      type_into(w.txtDonationQuarroID, u"me@example.com");
      break;
  }
}

TEST(WizardPages, EveryTypeWalksForwardAndBackWithTheRightButtons) {
  const int details[] = {2, 4, 5, 3, 6};
  for (int type = 0; type < 5; ++type) {
    SCOPED_TRACE("type " + std::to_string(type));
    WizardFixture f;
    CHECKED(f.Install());
    frmWizard* w = f.Open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->visible);
    EXPECT_EQ(StripOf(*w), (Strip{0, false, true, true, false}));

    ASSERT_EQ(ui::Click(w->cmdNext), Outcome::Done);
    EXPECT_EQ(StripOf(*w), (Strip{1, true, true, true, false}));
    ASSERT_EQ(ui::Click(*w->optPaymentRequestType[static_cast<std::size_t>(type)]), Outcome::Done);
    EXPECT_EQ(f.state.PaymentRequestType, type);

    ASSERT_EQ(ui::Click(w->cmdNext), Outcome::Done);
    EXPECT_EQ(StripOf(*w), (Strip{details[type], true, true, false, false}));
    EXPECT_EQ(w->Focused()->name(),
              u"txt" + String(settings::kTypeNames[static_cast<std::size_t>(type)]) + u"QuarroID")
        << "the focus starts in the account box";
    CHECKED(FillRequired(*w, type));
    EXPECT_TRUE(w->cmdNext.enabled);

    ASSERT_EQ(ui::Click(w->cmdNext), Outcome::Done);
    EXPECT_EQ(StripOf(*w), (Strip{7, true, true, true, false}));
    ASSERT_EQ(ui::Click(w->cmdNext), Outcome::Done);
    EXPECT_EQ(StripOf(*w), (Strip{8, true, false, true, true}));
    EXPECT_EQ(w->Focused(), &w->cmdFinish);
    EXPECT_TRUE(w->cmdFinish.enabled);

    ASSERT_EQ(ui::Click(w->cmdBack), Outcome::Done);
    EXPECT_EQ(StripOf(*w), (Strip{7, true, true, true, false}));
    ASSERT_EQ(ui::Click(w->cmdBack), Outcome::Done);
    EXPECT_EQ(StripOf(*w).page, details[type]);
    ASSERT_EQ(ui::Click(w->cmdBack), Outcome::Done);
    EXPECT_EQ(StripOf(*w).page, 1);
    ASSERT_EQ(ui::Click(w->cmdBack), Outcome::Done);
    EXPECT_EQ(StripOf(*w), (Strip{0, false, true, true, false}));
    EXPECT_EQ(ui::Click(w->cmdBack), Outcome::NotPossible) << "Back is disabled on page 0";
  }
}

TEST(WizardPages, SkipWelcomeOpensOnTheTypePageAndIsWrittenAtOnce) {
  WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.Open();
  ASSERT_EQ(ui::Click(w->chkSkip), Outcome::Done);
  EXPECT_EQ(f.Read(String(settings::kMainKey), settings::main_value::kSkipWelcome),
            RegValue::Number(1));
  ASSERT_EQ(ui::Click(w->cmdCancel), Outcome::Done);
  EXPECT_EQ(f.state.Wizard(), nullptr) << "Cancel unloads";

  w = f.Open();
  EXPECT_EQ(StripOf(*w), (Strip{1, true, true, true, false}));
  EXPECT_EQ(w->chkSkip.Value(), 1);
  ASSERT_EQ(ui::Click(w->cmdBack), Outcome::Done);
  EXPECT_EQ(w->CurrentPage, 0);
  ASSERT_EQ(ui::Click(w->chkSkip), Outcome::Done);
  EXPECT_EQ(f.Read(String(settings::kMainKey), settings::main_value::kSkipWelcome),
            RegValue::Number(0));
}

TEST(WizardPages, CancelWritesNothing) {
  WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.Open();
  ui::Click(w->cmdNext);
  ui::Click(*w->optPaymentRequestType[4]);
  ui::Click(w->cmdNext);
  CHECKED(FillRequired(*w, 4));
  ASSERT_EQ(ui::Click(w->cmdCancel), Outcome::Done);
  EXPECT_TRUE(f.Read(settings::BranchKey(4), settings::branch_value::kQuarroID).IsNone());
  EXPECT_EQ(f.Read(String(settings::kMainKey), settings::main_value::kPaymentRequestType),
            RegValue::Number(0));
}

TEST(WizardPages, TypeCommandRetargetsAnOpenWizardAndKeepsTypedValues) {
  WizardFixture f;
  CHECKED(f.Install());
  CHECKED(f.WriteNumber(settings::BranchKey(3), settings::branch_value::kButton, 2));
  frmWizard* w = f.OpenForType(4);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->CurrentPage, 6);
  EXPECT_TRUE(w->optPaymentRequestType[4]->Selected());
  CHECKED(FillRequired(*w, 4));
  ui::Click(w->cmdNext);
  ui::Click(w->cmdNext);
  ASSERT_EQ(w->CurrentPage, 8);

  frmWizard* again = f.OpenForType(3);
  EXPECT_EQ(again, w) << "the same instance";
  EXPECT_EQ(w->CurrentPage, 3);
  EXPECT_EQ(f.state.PaymentRequestType, 3);
  EXPECT_TRUE(w->optPaymentRequestType[3]->Selected());
  EXPECT_EQ(w->SelectedButton, 2) << "the Auction branch's stored button";
  EXPECT_EQ(w->txtDonationQuarroID.Text(), u"me@example.com");
}

TEST(WizardPages, OutOfRangeTypeCommandShowsTheWelcomePage) {
  WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.OpenForType(9);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->CurrentPage, 0);
  EXPECT_TRUE(w->optButton[0]->Selected());
}

TEST(WizardPages, MissingSettingsRefuseToOpenWithTheErrorMessage) {
  WizardFixture f;  // nothing installed
  EXPECT_EQ(f.Open(), nullptr);
  EXPECT_FALSE(f.state.WizardReady);
  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_EQ(f.dialogs.boxes[0].text, f.state.messageTable[2]);
  EXPECT_FALSE(f.dialogs.boxes[0].text.empty());
  EXPECT_EQ(f.dialogs.boxes[0].caption, f.state.appTitle);
  EXPECT_EQ(f.dialogs.boxes[0].type, host::kMbOk | host::kMbIconError);
  EXPECT_EQ(f.OpenForType(2), nullptr);
  EXPECT_EQ(f.dialogs.boxes.size(), 2u);
}

TEST(WizardPages, HelpAsksForThePagesTopic) {
  WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.OpenForType(1);
  ASSERT_EQ(ui::Click(w->cmdHelp), Outcome::Done);
  ASSERT_EQ(f.help.calls.size(), 1u);
  EXPECT_EQ(f.help.calls[0].command, host::kHhDisplayTopic);
  EXPECT_EQ(f.help.calls[0].data, u"4.htm");
  EXPECT_EQ(f.help.calls[0].file, f.state.addinFolder + u"\\Ostrel.chm");

  f.help.missing = true;
  EXPECT_EQ(ui::Click(w->cmdHelp), Outcome::Done);
  ASSERT_EQ(f.dialogs.boxes.size(), 1u) << "a missing viewer is reported, not thrown";
  EXPECT_EQ(f.dialogs.boxes[0].type, host::kMbOk | host::kMbIconError);
}

TEST(WizardPages, OpeningDeletesTheWorkingTemplate) {
  WizardFixture f;
  CHECKED(f.Install());
  f.services.files.WriteFile(f.AddinPath("template.txt"), "old");
  ASSERT_NE(f.Open(), nullptr);
  EXPECT_FALSE(f.services.files.FindFirstFile(f.AddinPath("template.txt")));
}

// Cancel and the close box leave the wizard whatever a field holds: a bad
// account ID in the box with the focus never traps the user.
TEST(WizardPages, CancelAndTheCloseBoxAlwaysClose) {
  for (const bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox ? "close box" : "Cancel");
    WizardFixture f;
    CHECKED(f.Install());
    frmWizard* w = f.OpenForType(0);
    ASSERT_EQ(ui::Type(w->txtGeneralQuarroID, u"nobody"), Outcome::Done);
    EXPECT_EQ(closeBox ? ui::CloseWindow(*w) : ui::Click(w->cmdCancel), Outcome::Done);
    EXPECT_EQ(f.state.Wizard(), nullptr);
    EXPECT_TRUE(f.dialogs.boxes.empty()) << "no rule ran";
  }
}

}  // namespace
}  // namespace ostrel
