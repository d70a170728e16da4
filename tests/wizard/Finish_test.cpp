// Finish: from the wizard's first page to an unsent draft in the stand-in's
// outbox, for every type, and what a failing step leaves behind.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "common/Text.h"
#include "outlook/StandinApplication.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "settings/SettingsLayout.h"
#include "support/Checked.h"
#include "support/WizardFixture.h"
#include "templates/frmTemplate.h"

namespace ostrel {
namespace {

using test::WizardFixture;
using ui::Outcome;
namespace branch = settings::branch_value;

class Finish : public ::testing::Test {
 protected:
  void SetUp() override {
    CHECKED(f.Install());
    f.state.objOutlook = &outlook;
  }
  void TearDown() override { f.state.objOutlook = nullptr; }

  // The user's road: welcome, type, details, style, summary.
  frmWizard* WalkTo(int type, test::Where where = test::Where::current()) {
    const test::CalledFrom trace(where);
    frmWizard* w = f.Open();
    EXPECT_EQ(ui::Click(w->cmdNext), Outcome::Done);
    EXPECT_EQ(ui::Click(*w->optPaymentRequestType[static_cast<std::size_t>(type)]), Outcome::Done);
    EXPECT_EQ(ui::Click(w->cmdNext), Outcome::Done);
    return w;
  }
  void ToSummary(frmWizard* w, test::Where where = test::Where::current()) {
    const test::CalledFrom trace(where);
    EXPECT_EQ(ui::Click(w->cmdNext), Outcome::Done);
    EXPECT_EQ(ui::Click(w->cmdNext), Outcome::Done);
    EXPECT_EQ(w->CurrentPage, 8);
  }
  void Put(const std::string& name, const std::string& content) {
    std::ofstream(f.AddinFile(name), std::ios::binary) << content;
  }

  WizardFixture f;
  standin::StandinApplication outlook{f.services.files, f.AddinPath("Outbox"),
                                      [] { return std::int64_t{1796720400}; }};
};

TEST_F(Finish, EveryTypeEndsAsADraftWithItsRecipientAndSubject) {
  const struct {
    int type;
    std::vector<std::pair<const char*, const char16_t*>> typed;
    std::optional<String> to, subject;
  } cases[] = {
      {0,
       {{"txtGeneralQuarroID", u"me@example.com"},
        {"mebGeneralAmount", u"25.00"},
        {"txtGeneralNote", u"Invoice 42 \u00E9t\u00E9"}},
       std::nullopt,
       u"Invoice 42 \u00E9t\u00E9"},
      {1,
       {{"txtProductQuarroID", u"shop@example.com"},
        {"txtProductTo", u"ann@example.com"},
        {"txtProductSubject", u"Your mug"},
        {"mebProductAmount", u"9.50"}},
       u"ann@example.com",
       u"Your mug"},
      {2,
       {{"txtServiceQuarroID", u"me@example.com"},
        {"txtServiceTo", u"client@example.com"},
        {"mebServiceAmount", u"100"}},
       u"client@example.com",
       u""},
      {3,
       {{"txtAuctionQuarroID", u"me@example.com"}, {"txtAuctionItemNumber", u"A17"}},
       u"",
       u"Item #: A17"},
      {4,
       {{"txtDonationQuarroID", u"fund@example.org"},
        {"txtDonationTo", u"friend@example.com"},
        // Outside the ANSI code page: the subject is no part of the link.
        {"txtDonationSubject", u"Our roof \u0141\u00f3d\u017a \u03a8 \u4e2d"}},
       u"friend@example.com",
       u"Our roof \u0141\u00f3d\u017a \u03a8 \u4e2d"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.type));
    const std::size_t before = outlook.Displayed().size();
    frmWizard* w = WalkTo(c.type);
    for (const auto& [name, text] : c.typed)
      ASSERT_EQ(ui::Type(w->Get(FromAscii(name)), text), Outcome::Done) << name;
    ToSummary(w);
    const String link = w->CreateURL();
    ASSERT_EQ(ui::Click(w->cmdFinish), Outcome::Done);

    EXPECT_EQ(f.state.Wizard(), nullptr) << "Finish closes the wizard";
    ASSERT_EQ(outlook.Displayed().size(), before + 1);
    const auto& mail = outlook.Displayed().back();
    EXPECT_EQ(mail.to, c.to);
    EXPECT_EQ(mail.subject, c.subject);
    // The installed type template is used, with the link behind the button.
    EXPECT_NE(mail.htmlBody.find(u"<A href=\"" + link + u"\">"), String::npos);
    EXPECT_TRUE(f.services.files.FindFirstFile(mail.path));
    EXPECT_TRUE(f.dialogs.boxes.empty());
    // chkSave is ticked at design time: the type and its branch are stored.
    EXPECT_EQ(f.Read(String(settings::kMainKey), settings::main_value::kPaymentRequestType),
              RegValue::Number(c.type));
    EXPECT_FALSE(f.Read(settings::BranchKey(c.type), branch::kQuarroID).IsNone());
    if (c.type == 4) {  // the subject outside the code page
      EXPECT_EQ(f.Read(settings::BranchKey(c.type), branch::kSubject), RegValue::Text(*c.subject))
          << "remembered as typed";
    }
  }
}

TEST_F(Finish, TemplateChoiceWorkingFileThenTypeFileThenButtonAlone) {
  auto finishDonation = [this] {
    frmWizard* w = WalkTo(4);
    ui::Type(w->txtDonationQuarroID, u"fund@example.org");
    ToSummary(w);
    ui::Click(w->cmdFinish);
    return outlook.Displayed().back().htmlBody;
  };
  const String head = u"<DIV align=left>&nbsp;</DIV><DIV align=center>&nbsp;</DIV>";

  Put("Template4.txt", "type file [DonorFirstName]");
  EXPECT_NE(finishDonation().find(u"type file "), String::npos);

  // The chooser's working file wins over the type file.
  frmWizard* w = WalkTo(4);
  ui::Type(w->txtDonationQuarroID, u"fund@example.org");
  ui::Click(w->cmdNext);
  ui::Click(w->cmdTemplate);
  ui::Type(f.state.TemplateChooser()->txtTemplate, u"working file");
  ui::Click(f.state.TemplateChooser()->cmdOK);
  ui::Click(w->cmdNext);
  ui::Click(w->cmdFinish);
  EXPECT_TRUE(outlook.Displayed().back().htmlBody.starts_with(head + u"working file<BR><HR>"));

  // The next wizard deletes the working file; with no type file either, the
  // body is the button alone.
  std::filesystem::remove(f.AddinFile("Template4.txt"));
  const String body = finishDonation();
  EXPECT_TRUE(body.starts_with(head + u"<CENTER><A href=\"https://")) << Utf16ToUtf8(body);

  Put("Template4.txt", "");
  EXPECT_EQ(finishDonation().find(u"webscr"), String::npos) << "an empty template has no link";
}

TEST_F(Finish, TemplatesAreReadByTheirByteOrderMark) {
  // As Notepad saves them: UTF-8 and "Unicode" with their marks, or ANSI.
  const String text = u"Gr\u00FC\u00DFe, \u0141ukasz [DonorFirstName] [BUTTON]";
  std::string le = "\xFF\xFE", be = "\xFE\xFF";
  for (const char16_t unit : text) {
    le += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    be += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  }
  const struct {
    const char* name;
    std::string bytes;
    String shown;
  } cases[] = {
      {"UTF-8", "\xEF\xBB\xBF" + Utf16ToUtf8(text), u"Gr\u00FC\u00DFe, \u0141ukasz Ann "},
      {"UTF-16LE", le, u"Gr\u00FC\u00DFe, \u0141ukasz Ann "},
      {"UTF-16BE", be, u"Gr\u00FC\u00DFe, \u0141ukasz Ann "},
      {"ANSI",
       "Gr\xFC\xDF"
       "e, [DonorFirstName] [BUTTON]",
       u"Gr\u00FC\u00DFe, Ann "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Put("Template4.txt", c.bytes);
    frmWizard* w = WalkTo(4);
    ui::Type(w->txtDonationQuarroID, u"fund@example.org");
    ui::Type(w->txtDonationFirstName, u"Ann");
    ToSummary(w);
    ASSERT_EQ(ui::Click(w->cmdFinish), Outcome::Done);
    const String body = outlook.Displayed().back().htmlBody;
    EXPECT_NE(body.find(c.shown + u"<CENTER><A href=\"https://"), String::npos)
        << Utf16ToUtf8(body);
  }
}

TEST_F(Finish, SaveBoxClearStoresNothing) {
  frmWizard* w = WalkTo(2);
  ui::Type(w->txtServiceQuarroID, u"new@example.com");
  ui::Type(w->mebServiceAmount, u"5");
  ToSummary(w);
  ASSERT_EQ(ui::Click(w->chkSave), Outcome::Done);
  ASSERT_EQ(ui::Click(w->cmdFinish), Outcome::Done);
  EXPECT_EQ(outlook.Displayed().size(), 1u);
  EXPECT_TRUE(f.Read(settings::BranchKey(2), branch::kQuarroID).IsNone());
  EXPECT_EQ(f.Read(String(settings::kMainKey), settings::main_value::kPaymentRequestType),
            RegValue::Number(0));
}

TEST_F(Finish, RememberedValuesTheProfileRefusesAreReportedOnceAfterTheMail) {
  f.WriteText(settings::BranchKey(2), branch::kQuarroID, u"old@example.com");
  frmWizard* w = WalkTo(2);
  ui::Type(w->txtServiceQuarroID, u"new@example.com");
  ui::Type(w->mebServiceAmount, u"5");
  ToSummary(w);
  f.registry.refuseWrites = true;  // a read-only profile, a full disk
  ASSERT_EQ(ui::Click(w->cmdFinish), Outcome::Done);
  f.registry.refuseWrites = false;
  EXPECT_EQ(outlook.Displayed().size(), 1u) << "the mail is shown all the same";
  ASSERT_EQ(f.dialogs.boxes.size(), 1u) << "one word, not one per value";
  EXPECT_EQ(f.dialogs.boxes[0].text, ResString(f.state, res::kMessageDetailsNotSaved));
  EXPECT_FALSE(f.dialogs.boxes[0].text.empty());
  EXPECT_EQ(f.state.Wizard(), nullptr);
  EXPECT_EQ(f.Read(settings::BranchKey(2), branch::kQuarroID), RegValue::Text(u"old@example.com"));
  EXPECT_EQ(f.Read(String(settings::kMainKey), settings::main_value::kPaymentRequestType),
            RegValue::Number(0));
}

TEST_F(Finish, AFailingStepShowsNothingSavesNothingAndKeepsTheWizard) {
  const char* operations[] = {"CreateItem", "To", "Subject", "HTMLBody", "Display"};
  for (const char* operation : operations) {
    SCOPED_TRACE(operation);
    f.dialogs.boxes.clear();
    outlook.ClearFailures();
    outlook.FailOn(operation);
    frmWizard* w = WalkTo(1);
    ui::Type(w->txtProductQuarroID, u"shop@example.com");
    ui::Type(w->mebProductAmount, u"3");
    ToSummary(w);
    ASSERT_EQ(ui::Click(w->cmdFinish), Outcome::Done);
    EXPECT_EQ(f.state.Wizard(), w) << "the wizard stays open";
    EXPECT_TRUE(outlook.Displayed().empty());
    EXPECT_TRUE(f.Read(settings::BranchKey(1), branch::kQuarroID).IsNone());
    ASSERT_EQ(f.dialogs.boxes.size(), 1u);
    EXPECT_EQ(f.dialogs.boxes[0].type, host::kMbOk | host::kMbIconError);
    EXPECT_NE(f.dialogs.boxes[0].text.find(u"Outlook"), String::npos);
    ui::Click(w->cmdCancel);
  }
  outlook.ClearFailures();

  // A link that cannot be built stops Finish the same way.
  frmWizard* w = WalkTo(1);
  ui::Type(w->txtProductQuarroID, u"shop@example.com");
  ui::Type(w->mebProductAmount, u"3");
  w->cmbProductCurrency.SetListIndex(-1);
  ToSummary(w);
  f.dialogs.boxes.clear();
  ui::Click(w->cmdFinish);
  EXPECT_EQ(f.state.Wizard(), w);
  EXPECT_TRUE(outlook.Displayed().empty());
  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_NE(f.dialogs.boxes[0].text.find(u"currency"), String::npos);

  // And so does a template file that cannot be read (a folder of its name).
  w->cmbProductCurrency.SetListIndex(0);
  std::filesystem::create_directory(f.AddinFile("template.txt"));
  f.dialogs.boxes.clear();
  ui::Click(w->cmdFinish);
  EXPECT_EQ(f.state.Wizard(), w);
  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_NE(f.dialogs.boxes[0].text.find(u"template"), String::npos);
  std::filesystem::remove(f.AddinFile("template.txt"));
  ui::Click(w->cmdFinish);
  EXPECT_EQ(outlook.Displayed().size(), 1u);
}

TEST_F(Finish, TestAndFinishHoldBackAValueNoRuleHasSeen) {
  // A price the rule refuses, left in its box while the toolbar's Product
  // command moves the page by code: Next then never meets the price box.
  frmWizard* w = f.OpenForType(1);
  ASSERT_EQ(ui::Type(w->txtProductQuarroID, u"shop@example.com"), Outcome::Done);
  ASSERT_EQ(ui::Type(w->mebProductAmount, u"abc"), Outcome::Done);
  ASSERT_EQ(f.OpenForType(1), w);
  ToSummary(w);
  ASSERT_EQ(ui::Click(w->cmdTest), Outcome::Done);
  EXPECT_EQ(w->CurrentPage, 4);
  EXPECT_EQ(w->Focused(), &w->mebProductAmount);
  EXPECT_EQ(ui::Click(w->cmdNext), Outcome::Refused) << "now the price box's rule runs";
  EXPECT_TRUE(f.shell.calls.empty()) << "no link was opened";

  // Values set by code, as the remembered state sets them, each on its page.
  const String quantityMessage = ResString(f.state, res::kMessageInvalidQuantity);
  const struct {
    int type;
    const char* field;
    const char16_t* bad;
    String message;
  } cases[] = {
      {1, "mebProductAmount", u"abc", f.state.messageTable[1]},
      {0, "mebGeneralAmount", u"-5", f.state.messageTable[1]},
      {1, "mebProductShipping", u"-1", f.state.messageTable[1]},
      {1, "txtProductQuantity", u"-2", quantityMessage},
      {2, "mebServiceAmount", u"  ", f.state.messageTable[1]},
      {3, "txtAuctionQuarroID", u"   ", f.state.messageTable[0]},
      {4, "txtDonationQuarroID", u"nobody", f.state.messageTable[0]},
  };
  const std::map<int, std::vector<std::pair<const char*, const char16_t*>>> filled = {
      {0, {{"txtGeneralQuarroID", u"me@example.com"}, {"mebGeneralAmount", u"5"}}},
      {1, {{"txtProductQuarroID", u"shop@example.com"}, {"mebProductAmount", u"5"}}},
      {2, {{"txtServiceQuarroID", u"me@example.com"}, {"mebServiceAmount", u"5"}}},
      {3, {{"txtAuctionQuarroID", u"me@example.com"}, {"txtAuctionItemNumber", u"A1"}}},
      {4, {{"txtDonationQuarroID", u"fund@example.org"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    w = f.OpenForType(c.type);
    for (const auto& [name, text] : filled.at(c.type))
      ASSERT_EQ(ui::Type(w->Get(FromAscii(name)), text), Outcome::Done) << name;
    ui::Control& field = w->Get(FromAscii(c.field));
    const String good = field.Text();
    w->SetFocus(w->cmdNext);
    field.SetText(c.bad);
    ToSummary(w);
    for (ui::Control* button : {&w->cmdTest, &w->cmdFinish}) {
      f.dialogs.boxes.clear();
      w->ChangePage(8);
      ASSERT_EQ(ui::Click(*button), Outcome::Done);
      ASSERT_EQ(f.dialogs.boxes.size(), 1u);
      EXPECT_EQ(f.dialogs.boxes[0].text, c.message);
      EXPECT_EQ(w->CurrentPage, DetailsPageOfType(c.type));
      EXPECT_EQ(w->Focused(), &field);
    }
    EXPECT_TRUE(f.shell.calls.empty());
    EXPECT_TRUE(outlook.Displayed().empty());
    EXPECT_EQ(f.state.Wizard(), w) << "nothing else happens";
    EXPECT_EQ(f.Read(String(settings::kMainKey), settings::main_value::kPaymentRequestType),
              RegValue::Number(0));
    ASSERT_EQ(ui::Type(field, good.empty() ? u"1" : good), Outcome::Done);
  }
  // Mended, the last request goes out.
  ToSummary(w);
  ASSERT_EQ(ui::Click(w->cmdFinish), Outcome::Done);
  EXPECT_EQ(outlook.Displayed().size(), 1u);
}

}  // namespace
}  // namespace ostrel
