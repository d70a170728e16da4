// The options dialog, the template chooser, and the windows the dialogs name.
#include <gtest/gtest.h>

#include <fstream>

#include "common/Text.h"
#include "help/frmAbout.h"
#include "settings/SettingsLayout.h"
#include "settings/frmOptions.h"
#include "support/Checked.h"
#include "support/WizardFixture.h"
#include "templates/frmTemplate.h"

namespace ostrel {
namespace {

using test::WizardFixture;
using ui::Outcome;
namespace opt = settings::options_value;

const String kOptions(settings::kOptionsKey);

TEST(Options, LoadsCentredWithCaptionsAndStoredValues) {
  WizardFixture f;
  CHECKED(f.WriteText(kOptions, opt::kAddress, u"1 Main St\r\nFlat 2"));
  CHECKED(f.WriteText(kOptions, opt::kMRB, u"CODE"));
  ShowOptions(f.state);
  frmOptions* o = f.state.Options();
  ASSERT_NE(o, nullptr);
  EXPECT_TRUE(o->visible);
  EXPECT_EQ(o->Focused(), &o->txtNameFirst) << "the first control in tab order";
  EXPECT_EQ(o->txtAddress.Text(), u"1 Main St\r\nFlat 2");
  EXPECT_EQ(o->txtMRB.Text(), u"CODE");
  EXPECT_EQ(o->txtNameFirst.Text(), u"");
  EXPECT_FALSE(o->caption.empty());
  EXPECT_FALSE(o->lblMRB.Caption().empty());
  EXPECT_EQ(o->rect.left, 0) << "no place of its own: the view centres it at the real DPI";
  EXPECT_EQ(o->rect.top, 0);
}

TEST(Options, OkApplyAndCancel) {
  WizardFixture f;
  ShowOptions(f.state);
  frmOptions* o = f.state.Options();
  ASSERT_EQ(ui::Click(o->cmdOK), Outcome::Done);
  EXPECT_EQ(f.state.Options(), nullptr);
  for (auto name : {opt::kFirstName, opt::kLastName, opt::kCompany, opt::kAddress, opt::kCity,
                    opt::kState, opt::kZIP, opt::kMRB, opt::kQuarroID})
    EXPECT_EQ(f.Read(kOptions, name), RegValue::Text(u"")) << "OK with empty fields stores \"\"";

  ShowOptions(f.state);
  o = f.state.Options();
  // A city outside the ANSI code page comes back as typed.
  const String city = u"\u0141\u00f3d\u017a \u03a8";
  ui::Type(o->txtCity, city);
  ui::Click(o->cmdApply);
  ui::Type(o->txtCity, u"Shelbyville");
  ui::Click(o->cmdCancel);
  EXPECT_EQ(f.Read(kOptions, opt::kCity), RegValue::Text(city));
  ShowOptions(f.state);
  EXPECT_EQ(f.state.Options()->txtCity.Text(), city);
  EXPECT_EQ(ui::CloseWindow(*f.state.Options()), Outcome::Done);
  EXPECT_EQ(f.state.Options(), nullptr);
}

class Chooser : public ::testing::Test {
 protected:
  void SetUp() override {
    CHECKED(f.Install());
    w = f.OpenForType(1);
    ASSERT_NE(w, nullptr);
    w->ChangePage(7);
  }
  frmTemplate* OpenChooser(test::Where where = test::Where::current()) {
    const test::CalledFrom trace(where);
    EXPECT_EQ(ui::Click(w->cmdTemplate), Outcome::Done);
    return f.state.TemplateChooser();
  }
  std::string FileText(const std::string& name) {
    std::ifstream in(f.AddinFile(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Put(const std::string& name, const std::string& content) {
    std::ofstream(f.AddinFile(name), std::ios::binary) << content;
  }
  WizardFixture f;
  frmWizard* w = nullptr;
};

TEST_F(Chooser, OpensEmptyThenWritesTheWorkingFileOnOk) {
  frmTemplate* t = OpenChooser();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(w->modalChild, t);
  EXPECT_EQ(ui::Click(w->cmdNext), Outcome::NotPossible) << "modal to the wizard";
  EXPECT_EQ(t->txtTemplate.Text(), u"");
  EXPECT_EQ(t->Focused(), &t->txtTemplate);
  EXPECT_FALSE(t->caption.empty());
  ASSERT_EQ(ui::Type(t->txtTemplate, u"Hello [BUTTON] \u00E9"), Outcome::Done);
  ASSERT_EQ(ui::Click(t->cmdOK), Outcome::Done);
  EXPECT_EQ(FileText("template.txt"), "Hello [BUTTON] \xE9") << "ANSI, no line end added";
  EXPECT_FALSE(f.services.files.FindFirstFile(f.AddinPath("1.txt")));
  EXPECT_EQ(w->modalChild, nullptr);
  EXPECT_EQ(ui::Click(w->cmdNext), Outcome::Done);

  // Opening again shows the working file.
  w->ChangePage(7);
  t = OpenChooser();
  EXPECT_EQ(t->txtTemplate.Text(), u"Hello [BUTTON] \u00E9");
}

// The chooser opens on what Finish would use: the working file, the saved
// default, else the type template.
TEST_F(Chooser, SavedDefaultIsTheSecondChoiceAndTheTypeTemplateTheThird) {
  Put("Template1.txt", "type one");
  frmTemplate* t = OpenChooser();
  EXPECT_EQ(t->txtTemplate.Text(), u"type one");
  ASSERT_EQ(ui::Click(t->cmdCancel), Outcome::Done);
  Put("1.txt", "saved one");
  Put("2.txt", "saved two");
  t = OpenChooser();
  EXPECT_EQ(t->txtTemplate.Text(), u"saved one");
  ui::Click(t->chkSave);
  ui::Type(t->txtTemplate, u"new default");
  ui::Click(t->cmdOK);
  EXPECT_EQ(FileText("1.txt"), "new default");
  EXPECT_EQ(FileText("template.txt"), "new default");
  EXPECT_EQ(FileText("2.txt"), "saved two");
}

TEST_F(Chooser, LoadAndCancelChangeNoFile) {
  Put("template.txt", "working");
  Put("Templates/Fancy.txt", "fancy [BUTTON]");
  f.dialogs.answers.push_back(f.AddinPath("Templates/Fancy.txt"));
  frmTemplate* t = OpenChooser();
  ASSERT_EQ(ui::Click(t->cmdLoad), Outcome::Done);
  ASSERT_EQ(f.dialogs.requests.size(), 1u);
  EXPECT_EQ(f.dialogs.requests[0].title, u"Load Template");
  EXPECT_EQ(f.dialogs.requests[0].flags, 0x180Cu);
  EXPECT_EQ(f.dialogs.requests[0].initialDir, f.state.addinFolder + u"\\Templates");
  EXPECT_EQ(t->txtTemplate.Text(), u"fancy [BUTTON]");
  ui::Click(t->cmdLoad);  // cancelled: no answer queued
  EXPECT_EQ(t->txtTemplate.Text(), u"fancy [BUTTON]");
  ui::Click(t->cmdCancel);
  EXPECT_EQ(FileText("template.txt"), "working");
  EXPECT_EQ(w->modalChild, nullptr);
}

TEST_F(Chooser, AMarkedFileLoadsWholeAndTheWorkingFileKeepsEveryCharacter) {
  const String text = u"\u0141ukasz, \u0418\u0432\u0430\u043D [BUTTON] \U0001F600";
  std::string unicode = "\xFF\xFE";
  for (const char16_t unit : text)
    unicode += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  Put("Templates/Unicode.txt", unicode);
  f.dialogs.answers.push_back(f.AddinPath("Templates/Unicode.txt"));
  frmTemplate* t = OpenChooser();
  ASSERT_EQ(ui::Click(t->cmdLoad), Outcome::Done);
  EXPECT_EQ(t->txtTemplate.Text(), text);
  ASSERT_EQ(ui::Click(t->cmdOK), Outcome::Done);
  EXPECT_EQ(FileText("template.txt"), "\xEF\xBB\xBF" + Utf16ToUtf8(text))
      << "the ANSI code page cannot hold it: UTF-8 behind its mark";
  t = OpenChooser();
  EXPECT_EQ(t->txtTemplate.Text(), text) << "and it reads back whole";
  ui::Click(t->cmdCancel);
}

TEST_F(Chooser, UnwritableFolderKeepsTheChooserOpenAndSaysSo) {
  frmTemplate* t = OpenChooser();
  // A folder where the working file should be cannot be written as a file.
  std::filesystem::create_directory(f.AddinFile("template.txt"));
  ui::Type(t->txtTemplate, u"text");
  EXPECT_EQ(ui::Click(t->cmdOK), Outcome::Done);
  EXPECT_EQ(f.state.TemplateChooser(), t) << "still open";
  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_EQ(f.dialogs.boxes[0].type, host::kMbOk | host::kMbIconError);
  std::filesystem::remove(f.AddinFile("template.txt"));
  EXPECT_EQ(ui::Click(t->cmdOK), Outcome::Done);
  EXPECT_EQ(FileText("template.txt"), "text");
}

// The headless dialogs have no windows until a view makes them: what they hand
// the platform as an owner is then no window at all, never a made-up handle
// (Windows refuses a message box whose owner is no window, error 1400).
TEST(DialogWindows, OwnersAreNoWindowUntilAViewMakesOne) {
  WizardFixture f;
  CHECKED(f.Install());
  frmWizard* w = f.OpenForType(0);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->hWnd, host::WindowHandle::None);
  ASSERT_EQ(ui::Type(w->txtGeneralQuarroID, u"nobody"), Outcome::Done);
  EXPECT_EQ(ui::Tab(*w), Outcome::Refused) << "the account rule's message box";
  w->ChangePage(7);
  ASSERT_EQ(ui::Click(w->cmdTemplate), Outcome::Done);
  frmTemplate* chooser = f.state.TemplateChooser();
  ASSERT_NE(chooser, nullptr);
  ASSERT_EQ(ui::Click(chooser->cmdLoad), Outcome::Done) << "the file-open dialog";
  ShowAbout(f.state);
  ASSERT_NE(f.state.About(), nullptr);
  ASSERT_EQ(ui::Click(f.state.About()->lblQuarroURL), Outcome::Done) << "the shell";

  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_EQ(f.dialogs.boxes[0].owner, host::WindowHandle::None);
  ASSERT_EQ(f.dialogs.requests.size(), 1u);
  EXPECT_EQ(f.dialogs.requests[0].owner, host::WindowHandle::None);
  ASSERT_EQ(f.shell.calls.size(), 1u);
  EXPECT_EQ(f.shell.calls[0].owner, host::WindowHandle::None);
}

}  // namespace
}  // namespace ostrel
