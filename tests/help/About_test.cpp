// The About dialog.
#include <gtest/gtest.h>

#include "common/Text.h"
#include "help/frmAbout.h"
#include "settings/SettingsLayout.h"
#include "support/WizardFixture.h"

namespace ostrel {
namespace {

using test::WizardFixture;

TEST(About, LoadShowsVersionTextsAndCaptions) {
  EXPECT_EQ(VersionLabel(1, 0, 2), u"Version 1.0.2");
  EXPECT_EQ(VersionLabel(12, 34, 5678), u"Version 12.34.5678");
  WizardFixture f;
  ShowAbout(f.state);
  frmAbout* a = f.state.About();
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->visible);
  EXPECT_EQ(a->Focused(), &a->cmdOK) << "the first control in tab order";
  EXPECT_EQ(a->lblVersion.Caption(), u"Version 1.0.2");
  EXPECT_EQ(a->lblTitle.Caption(), f.state.appTitle);
  EXPECT_EQ(a->lblDescription.Caption(), u"Quarro Velloran (for Outlook)");
  EXPECT_NE(a->lblCopyright.Caption().find(u"\u00A9"), String::npos);
  EXPECT_FALSE(a->lblDisclaimer.Caption().empty());
  for (ui::Control* c : {&a->cmdOK, &a->cmdSysInfo, &a->cmdCredits})
    EXPECT_FALSE(c->Caption().empty()) << Utf16ToUtf8(c->name());
  EXPECT_FALSE(a->caption.empty());
  EXPECT_NE(a->picIcon.picture, nullptr);
  EXPECT_EQ(a->Label1.Caption(), u"Send feedback to:");
  EXPECT_EQ(a->lblURL.Caption(), u"For more info visit:");
}

TEST(About, WebLinkCreditsAndOk) {
  WizardFixture f;
  ShowAbout(f.state);
  frmAbout* a = f.state.About();
  ASSERT_EQ(ui::Click(a->lblQuarroURL), ui::Outcome::Done);
  ASSERT_EQ(f.shell.calls.size(), 1u);
  EXPECT_EQ(f.shell.calls[0].verb, u"");
  EXPECT_EQ(f.shell.calls[0].file, u"https://www.quarro.com/ostrel") << "string 515, not the label";
  EXPECT_EQ(f.shell.calls[0].directory, u"C:\\");
  EXPECT_EQ(f.shell.calls[0].show, host::kSwShowNormal);
  ASSERT_EQ(ui::Click(a->cmdCredits), ui::Outcome::Done);
  ASSERT_EQ(f.help.calls.size(), 1u);
  EXPECT_EQ(f.help.calls[0].data, u"Credits.htm");
  ASSERT_EQ(ui::Click(a->cmdOK), ui::Outcome::Done);
  EXPECT_EQ(f.state.About(), nullptr);
}

TEST(About, GetKeyValueReadsTextAndNumbers) {
  WizardFixture f;
  frmAbout& a = f.state.LoadAbout();
  host::Registry& registry = f.services.registry;
  const String keyPath = f.test->ScratchKey();
  host::RegKey key = host::RegKey::None;
  ASSERT_EQ(registry.CreateKey(host::RegRoot::CurrentUser, keyPath, &key), 0);
  const std::uint8_t text[] = {'C', 0, ':', 0, '\\', 0, 'T', 0, 0, 0};  // UTF-16
  const std::uint8_t number[] = {0x05, 0x01, 0, 0};                     // 261
  const std::uint8_t bytes[] = {1, 2, 3};
  ASSERT_EQ(registry.SetValue(key, u"Text", host::kRegSz, text, sizeof(text)), 0);
  ASSERT_EQ(registry.SetValue(key, u"Number", host::kRegDword, number, sizeof(number)), 0);
  ASSERT_EQ(registry.SetValue(key, u"Bytes", 3, bytes, sizeof(bytes)), 0);
  registry.CloseKey(key);

  const String& path = keyPath;
  const struct {
    const char16_t* key;
    const char16_t* value;
    bool found;
    const char16_t* text;
  } cases[] = {
      {nullptr, u"Text", true, u"C:\\T"},
      {nullptr, u"Number", true, u"261"},
      {nullptr, u"Bytes", true, u"as it was"},
      {nullptr, u"Missing", false, u""},
      {u"Software\\NoSuchKeyOstrel", u"Text", false, u""},
  };
  for (const auto& c : cases) {
    String out = u"as it was";
    EXPECT_EQ(a.GetKeyValue(host::RegRoot::CurrentUser, c.key ? String(c.key) : path, c.value, out),
              c.found)
        << Utf16ToUtf8(c.value);
    EXPECT_EQ(out, c.text) << Utf16ToUtf8(c.value);
  }
}

// The tool's keys live under HKEY_LOCAL_MACHINE, which only the stand-in's
// private profile lets a test change freely.
TEST(About, SystemInformationToolIsFoundOrReported) {
  const String unavailable = u"System Information Is Unavailable At This Time";
  {
    WizardFixture f;
    if (std::string(f.test->Name()) != "posix")
      GTEST_SKIP() << "needs a private HKLM";
    frmAbout& a = f.state.LoadAbout();
    ui::Click(a.cmdSysInfo);
    ASSERT_EQ(f.dialogs.boxes.size(), 1u);
    EXPECT_EQ(f.dialogs.boxes[0].text, unavailable);
    EXPECT_EQ(f.dialogs.boxes[0].type, host::kMbOk) << "no icon";
    EXPECT_EQ(f.dialogs.boxes[0].caption, f.state.appTitle);

    // The second key alone, with no MSINFO32.EXE in its folder.
    const String folder = f.AddinPath("msinfo");
    ASSERT_TRUE(WriteRegValue(
        f.services, settings::msinfo::kRoot, String(settings::msinfo::kLocationKey),
        String(settings::msinfo::kLocationValue), RegValue::Text(folder), host::kRegSz));
    ui::Click(a.cmdSysInfo);
    EXPECT_EQ(f.dialogs.boxes.size(), 2u);
    EXPECT_TRUE(f.shell.programs.empty());

    std::filesystem::create_directories(f.AddinFile("msinfo"));
    f.services.files.WriteFile(folder + u"\\MSINFO32.EXE", "MZ");
    ui::Click(a.cmdSysInfo);
    ASSERT_EQ(f.shell.programs.size(), 1u);
    EXPECT_EQ(f.shell.programs[0], folder + u"\\MSINFO32.EXE");

    // PATH wins and is not checked for existence; a failed start is reported.
    ASSERT_TRUE(WriteRegValue(f.services, settings::msinfo::kRoot, String(settings::msinfo::kKey),
                              String(settings::msinfo::kPathValue),
                              RegValue::Text(u"C:\\Nowhere\\msinfo32.exe"), host::kRegSz));
    ui::Click(a.cmdSysInfo);
    ASSERT_EQ(f.shell.programs.size(), 2u);
    EXPECT_EQ(f.shell.programs[1], u"C:\\Nowhere\\msinfo32.exe");
    EXPECT_EQ(f.dialogs.boxes.size(), 2u);
    f.shell.programMissing = true;
    ui::Click(a.cmdSysInfo);
    EXPECT_EQ(f.dialogs.boxes.size(), 3u);
  }
}

}  // namespace
}  // namespace ostrel
