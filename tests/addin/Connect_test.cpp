// The add-in inside Outlook's stand-in: connection, toolbar, commands, the window
// watch and teardown, with host failures injected step by step.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "addin/Connect.h"
#include "addin/Ribbon.h"
#include "common/Text.h"
#include "help/frmAbout.h"
#include "outlook/StandinApplication.h"
#include "resources/modResource.h"
#include "settings/frmOptions.h"
#include "support/Checked.h"
#include "support/WizardFixture.h"
#include "wizard/frmWizard.h"

namespace ostrel {
namespace {

using standin::BarView;
using standin::ControlView;

class AddInHost : public ::testing::Test {
 protected:
  void SetUp() override {
    CHECKED(f.Install());
    outlook = NewOutlook();
  }
  // Outlook 2003, which shows the add-in's toolbar; the ribbon's tests set
  // their version.
  std::unique_ptr<standin::StandinApplication> NewOutlook() {
    auto app = std::make_unique<standin::StandinApplication>(
        f.services.files, f.services.clipboard, f.AddinPath("Outbox"), f.AddinPath("Profile"),
        [] { return std::int64_t{1796720400}; });
    app->SetVersion(11);
    return app;
  }
  void Connect() {
    instance = outlook->MakeAddInInstance(u"Ostrel.Connect");
    connect.AddinInstance_OnConnection(outlook->HandOutApplication(), 1, *instance, {});
  }
  const BarView* Quarro() {
    for (const BarView& bar : bars = outlook->Toolbars())
      if (bar.name == u"Quarro")
        return &bar;
    return nullptr;
  }

  test::WizardFixture f;
  std::unique_ptr<standin::StandinApplication> outlook;
  ostrel::Connect connect{f.services, f.state.addinFolder};
  std::shared_ptr<host::outlook::AddInInstance> instance;
  std::vector<BarView> bars;
};

TEST_F(AddInHost, ToolbarIsBuiltWithItsCommandsCaptionsAndFace) {
  outlook->OpenExplorer();
  Connect();
  ASSERT_NE(connect.addIn(), nullptr);
  const BarView* bar = Quarro();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->visible);
  EXPECT_FALSE(bar->temporary);
  EXPECT_EQ(bar->position, host::office::msoBarTop);
  ASSERT_EQ(bar->controls.size(), 2u);
  const ControlView& main = bar->controls[0];
  EXPECT_EQ(main.tag, u"QuarroButton");
  EXPECT_EQ(main.style, host::office::msoButtonIconAndCaption);
  EXPECT_TRUE(main.pictureSet && main.maskSet) << "bitmap 2003 as Picture and Mask";
  EXPECT_FALSE(main.pastedFace) << "the clipboard is left alone";
  EXPECT_FALSE(main.caption.empty());
  EXPECT_FALSE(main.tooltip.empty());
  EXPECT_TRUE(main.temporary);
  const ControlView& popup = bar->controls[1];
  EXPECT_EQ(popup.tag, u"QuarroPopup");
  EXPECT_TRUE(popup.adaptiveMenu);

  const struct {
    const char16_t* tag;
    int style;
    int face;
    bool group;
  } menu[] = {
      {u"QuarroGeneral", 2, 0, false},  {u"QuarroProduct", 2, 0, true},
      {u"QuarroService", 2, 0, false},  {u"QuarroAuction", 2, 0, false},
      {u"QuarroDonation", 2, 0, false}, {u"QuarroOptions", 2, 0, true},
      {u"QuarroHelp", 3, 984, true},    {u"QuarroAbout", 2, 0, true},
      {u"QuarroUpdate", 2, 0, true},
  };
  ASSERT_EQ(popup.menu.size(), std::size(menu));
  for (std::size_t i = 0; i < std::size(menu); ++i) {
    const ControlView& item = popup.menu[i];
    SCOPED_TRACE(Utf16ToUtf8(menu[i].tag));
    EXPECT_EQ(item.tag, menu[i].tag);
    EXPECT_EQ(item.parameter, menu[i].tag);
    EXPECT_EQ(item.style, menu[i].style);
    EXPECT_EQ(item.faceId, menu[i].face) << "only items with an icon get a face";
    EXPECT_EQ(item.beginGroup, menu[i].group);
    EXPECT_EQ(item.onAction, u"!<Ostrel.Connect>");
    EXPECT_TRUE(item.tooltip.empty());
    EXPECT_FALSE(item.caption.empty());
  }
  EXPECT_FALSE(connect.state().messageTable[0].empty());
  EXPECT_EQ(connect.state().helpFile, f.state.addinFolder + u"\\Ostrel.chm::/Context.txt");
}

// The face goes as Picture and Mask; where the host refuses them it goes
// through the clipboard, and what the user had there comes back either way.
TEST_F(AddInHost, TheUsersClipboardSurvivesTheFace) {
  for (const char* refused : {"", "Picture", "Mask"}) {
    SCOPED_TRACE(refused);
    host::Clipboard& clipboard = f.services.clipboard;
    const std::uint32_t format = clipboard.RegisterFormat("Ostrel Test Text");
    clipboard.Clear();
    ASSERT_TRUE(clipboard.Open(host::WindowHandle::None));
    ASSERT_TRUE(clipboard.SetData(format, host::kGmemMoveableShare, {'k', 'e', 'e', 'p'}));
    clipboard.Close();

    outlook = NewOutlook();
    if (*refused != '\0')
      outlook->FailOn(refused);
    outlook->OpenExplorer();
    Connect();
    const ControlView& main = Quarro()->controls[0];
    EXPECT_EQ(main.pastedFace, *refused != '\0') << "the clipboard only as the fall-back";
    EXPECT_EQ(main.pictureSet, *refused == '\0' || std::string(refused) == "Mask");
    ASSERT_TRUE(clipboard.Open(host::WindowHandle::None));
    const auto kept = clipboard.GetData(format);
    clipboard.Close();
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->size() >= 4 ? std::string(kept->begin(), kept->begin() + 4) : "", "keep");
    connect.AddinInstance_OnDisconnection(0, {});
  }
}

TEST_F(AddInHost, NoWindowWaitsForTheFirstExplorer) {
  Connect();
  EXPECT_EQ(Quarro(), nullptr);
  EXPECT_TRUE(host::IsNone(connect.state().hResourceLibrary)) << "nothing loaded without a window";
  outlook->OpenExplorer();
  ASSERT_NE(Quarro(), nullptr);
  EXPECT_EQ(Quarro()->controls.size(), 2u);
  outlook->CloseExplorer();
  EXPECT_EQ(outlook->HeldObjects(), 0) << "everything of Outlook let go with the last window";
  connect.AddinInstance_OnDisconnection(0, {});
  EXPECT_EQ(connect.addIn(), nullptr);
}

TEST_F(AddInHost, InspectorOnlyConnectsWithoutAToolbar) {
  outlook->OpenInspector();
  Connect();
  ASSERT_NE(connect.addIn(), nullptr);
  EXPECT_EQ(connect.state().objOutlook, outlook.get());
  EXPECT_TRUE(connect.addIn()->Toolbars().empty());
  EXPECT_EQ(Quarro(), nullptr);
  EXPECT_FALSE(connect.state().appTitle.empty());
  EXPECT_FALSE(connect.state().messageFooter.empty());
  EXPECT_FALSE(connect.state().messageTable[0].empty()) << "ready for a toolbar that comes later";
}

TEST_F(AddInHost, ReconnectingAndRestartingFindThePermanentBar) {
  outlook->OpenExplorer();
  Connect();
  connect.AddinInstance_OnDisconnection(0, {});
  Connect();
  ASSERT_NE(Quarro(), nullptr);
  EXPECT_EQ(Quarro()->controls.size(), 2u) << "reset, then one fresh set";
  connect.AddinInstance_OnDisconnection(0, {});
  outlook->Quit();

  outlook = NewOutlook();
  outlook->OpenExplorer();
  ASSERT_NE(Quarro(), nullptr) << "the permanent bar is kept in the profile";
  EXPECT_TRUE(Quarro()->controls.empty()) << "its temporary controls are not";
  Connect();
  EXPECT_EQ(Quarro()->controls.size(), 2u);
}

TEST_F(AddInHost, CommandsDoWhatTheirButtonsSay) {
  outlook->OpenExplorer();
  Connect();
  AddInState& s = connect.state();
  outlook->ClickControl(u"QuarroDonation");
  ASSERT_NE(s.Wizard(), nullptr);
  EXPECT_EQ(s.Wizard()->CurrentPage, 6);
  outlook->ClickControl(u"QuarroProduct");
  EXPECT_EQ(s.Wizard()->CurrentPage, 4) << "the open wizard is re-targeted";
  s.Wizard()->CloseWizard();
  outlook->ClickControl(u"QuarroButton");
  ASSERT_NE(s.Wizard(), nullptr);
  EXPECT_EQ(s.Wizard()->CurrentPage, 0);

  outlook->ClickControl(u"QuarroOptions");
  ASSERT_NE(s.Options(), nullptr);
  EXPECT_TRUE(s.Options()->visible);
  outlook->ClickControl(u"QuarroAbout");
  ASSERT_NE(s.About(), nullptr);
  EXPECT_TRUE(s.About()->visible);

  outlook->ClickControl(u"QuarroHelp");
  ASSERT_EQ(f.help.calls.size(), 1u);
  EXPECT_EQ(f.help.calls[0].command, host::kHhDisplayToc);
  EXPECT_EQ(f.help.calls[0].data, u"0");

  outlook->ClickControl(u"QuarroUpdate");
  ASSERT_EQ(f.shell.calls.size(), 1u);
  EXPECT_EQ(f.shell.calls[0].file, u"https://www.quarro.com/ostrel/update");
  EXPECT_EQ(f.shell.calls[0].directory, u"C:\\");
  EXPECT_EQ(s.About(), nullptr) << "Update closes the About dialog";
}

TEST_F(AddInHost, MissingSettingsLeaveNoWizard) {
  f.test->ClearAddinSettings();
  outlook->OpenExplorer();
  Connect();
  outlook->ClickControl(u"QuarroAuction");
  EXPECT_EQ(connect.state().Wizard(), nullptr);
  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_EQ(f.dialogs.boxes[0].text, connect.state().messageTable[2]);
}

TEST_F(AddInHost, WindowWatchMovesAndShutsDownOnTheLastWindow) {
  auto first = outlook->OpenExplorer();
  Connect();
  auto second = outlook->OpenExplorer();
  outlook->ActivateExplorer(first);
  EXPECT_FALSE(outlook->SwitchFolder(u"Sent Items")) << "a folder switch is never cancelled";
  outlook->ClickControl(u"QuarroGeneral");
  ASSERT_NE(connect.state().Wizard(), nullptr);

  outlook->CloseExplorer(first);
  ASSERT_NE(connect.state().objOutlook, nullptr) << "the other explorer is still open";
  EXPECT_EQ(connect.addIn()->Toolbars().size(), 1u);
  outlook->ClickControl(u"QuarroAbout");
  EXPECT_NE(connect.state().About(), nullptr) << "the second window's commands work";

  outlook->OpenInspector();
  outlook->CloseExplorer(second);
  EXPECT_NE(connect.state().objOutlook, nullptr) << "an item window is still open";
  outlook->CloseInspector();
  EXPECT_EQ(connect.state().objOutlook, nullptr) << "the item window was the last";
  EXPECT_EQ(outlook->HeldObjects(), 0);

  connect.AddinInstance_OnDisconnection(0, {});
  EXPECT_EQ(connect.addIn(), nullptr);
}

TEST_F(AddInHost, ClosingTheOnlyExplorerShutsDownAndDisconnectionRepeatsItHarmlessly) {
  outlook->OpenExplorer();
  Connect();
  outlook->ClickControl(u"QuarroOptions");
  outlook->CloseExplorer();
  EXPECT_EQ(connect.state().objOutlook, nullptr);
  EXPECT_EQ(connect.state().Options(), nullptr) << "dialogs closed";
  EXPECT_TRUE(host::IsNone(connect.state().hResourceLibrary));
  ASSERT_NE(connect.addIn(), nullptr) << "the AddIn object stays until disconnection";
  connect.AddinInstance_OnDisconnection(0, {});
  connect.AddinInstance_OnDisconnection(0, {});
  EXPECT_EQ(connect.addIn(), nullptr);
}

// Every host operation failed in turn: nothing reaches Outlook's side of the
// call, and the steps after the failing one still run.
TEST_F(AddInHost, EveryHostFailureIsSkipped) {
  const char* operations[] = {"Explorers",
                              "Inspectors",
                              "Item",
                              "Delete",
                              "Explorers.Count",
                              "Inspectors.Count",
                              "ActiveExplorer",
                              "CommandBars",
                              "CommandBars.Item",
                              "CommandBars.Add",
                              "CommandBar.Reset",
                              "Controls.Add",
                              "FindControl",
                              "CommandBar.Visible",
                              "AdaptiveMenu",
                              "Caption",
                              "Tag",
                              "TooltipText",
                              "BeginGroup",
                              "Visible",
                              "OnAction",
                              "Parameter",
                              "FaceId",
                              "Style",
                              "PasteFace",
                              "Picture",
                              "Mask",
                              "Popup.CommandBar",
                              "Advise",
                              "Unadvise",
                              "ProgId",
                              "Version"};
  for (const char* operation : operations) {
    SCOPED_TRACE(operation);
    test::WizardFixture g;
    CHECKED(g.Install());
    standin::StandinApplication app(g.services.files, g.services.clipboard, g.AddinPath("Outbox"),
                                    g.AddinPath("Profile"), [] { return std::int64_t{0}; });
    app.SetVersion(11);
    app.OpenExplorer();
    app.FailOn(operation);
    ostrel::Connect addin(g.services, g.state.addinFolder);
    auto inst = app.MakeAddInInstance(u"Ostrel.Connect");
    addin.AddinInstance_OnConnection(app.HandOutApplication(), 1, *inst, {});
    // With a window open the resources are applied whatever failed.
    const std::string op = operation;
    EXPECT_FALSE(host::IsNone(addin.state().hResourceLibrary));
    EXPECT_NE(addin.state().objOutlook, nullptr);
    // A failing property, face or lookup costs only its own step: every
    // command is still there with its tag.
    const std::set<std::string> wholeToolbar = {"Caption",
                                                "TooltipText",
                                                "BeginGroup",
                                                "Visible",
                                                "OnAction",
                                                "FaceId",
                                                "Style",
                                                "PasteFace",
                                                "Picture",
                                                "Mask",
                                                "CommandBar.Reset",
                                                "CommandBar.Visible",
                                                "AdaptiveMenu",
                                                "FindControl",
                                                "Unadvise",
                                                "Explorers.Count",
                                                "Inspectors.Count",
                                                "ProgId",
                                                "Version",
                                                "Explorers",
                                                "Inspectors",
                                                "Item",
                                                "Delete",
                                                "ActiveExplorer"};
    if (wholeToolbar.count(op) != 0) {
      std::vector<String> tags;
      for (const BarView& bar : app.Toolbars())
        for (const ControlView& control : bar.controls) {
          tags.push_back(control.tag);
          for (const ControlView& item : control.menu)
            tags.push_back(item.tag);
        }
      EXPECT_EQ(tags.size(), 11u);
      EXPECT_NE(std::find(tags.begin(), tags.end(), u"QuarroUpdate"), tags.end());
    }
    // The window watch and the teardown run with the failure still in place.
    app.CloseExplorer();
    addin.AddinInstance_OnDisconnection(0, {});
    EXPECT_EQ(addin.state().objOutlook, nullptr) << "teardown ran to its end";
  }
}

}  // namespace
}  // namespace ostrel

namespace ostrel {
namespace {

// The ribbon group of Outlook 2010 and later: its markup names each command
// once under the toolbar's tags, its labels come from the library of the
// user's language without access-key marks, and each id runs its command.
TEST(Ribbon, MarkupLabelsAndActionsFollowTheToolbar) {
  const String markup = ribbon::CustomUI(ribbon::kExplorerRibbonId);
  EXPECT_TRUE(markup.starts_with(u"<customUI xmlns=\"" + String(ribbon::kNamespace) + u"\">"));
  EXPECT_TRUE(ribbon::CustomUI(u"Microsoft.Outlook.Mail.Read").empty()) << "an inspector's ribbon";
  for (const ribbon::Command& c : ribbon::Commands()) {
    const String id = u"id=\"" + String(c.id) + u"\"";
    EXPECT_NE(markup.find(id), String::npos) << Utf16ToUtf8(c.id);
    EXPECT_EQ(markup.find(id), markup.rfind(id)) << Utf16ToUtf8(c.id) << " twice";
  }

  const struct {
    test::FixedLocale locale;
    const char16_t* general;
    const char16_t* buttonTip;
  } languages[] = {
      {test::UsNumbers(), u"General Payment...", u"Create a new payment request e-mail"},
      {test::GermanNumbers(), u"Allgemeine Zahlung...",
       u"Eine neue Zahlungsanforderung per E-Mail erstellen"},
  };
  for (const auto& language : languages) {
    test::WizardFixture f(language.locale);
    CHECKED(f.Install());
    ASSERT_TRUE(OpenResourceLibrary(f.state));
    EXPECT_EQ(ribbon::Label(f.state, u"QuarroGeneral"), language.general);
    EXPECT_EQ(ribbon::Screentip(f.state, u"QuarroButton"), language.buttonTip);
    for (const ribbon::Command& c : ribbon::Commands()) {
      const String label = ribbon::Label(f.state, c.id);
      EXPECT_FALSE(label.empty()) << Utf16ToUtf8(c.id);
      EXPECT_EQ(label.find(u'&'), String::npos) << Utf16ToUtf8(label);
    }
    EXPECT_TRUE(ribbon::Label(f.state, u"SomeoneElsesButton").empty());
    CloseResourceLibrary(f.state);
  }
}

TEST_F(AddInHost, RibbonActionsRunTheToolbarsCommands) {
  outlook->OpenExplorer();
  Connect();
  AddIn& addin = *connect.addIn();
  AddInState& s = connect.state();
  EXPECT_TRUE(addin.RibbonAction(u"QuarroDonation"));
  ASSERT_NE(s.Wizard(), nullptr);
  EXPECT_EQ(s.Wizard()->CurrentPage, 6);
  EXPECT_TRUE(addin.RibbonAction(u"QuarroAbout"));
  ASSERT_NE(s.About(), nullptr);
  EXPECT_FALSE(addin.RibbonAction(u"QuarroPopup")) << "the menu runs nothing";
  EXPECT_FALSE(addin.RibbonAction(u"SomeoneElsesButton"));
}

}  // namespace
}  // namespace ostrel
