// The stand-in's command bars: lookup and creation, the permanent bars kept in
// the profile across runs, Reset, FindControl, popup menus, PasteFace through
// the build's clipboard, and the toolbar as the driver shows it.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/HostError.h"
#include "outlook/ToolbarProfile.h"
#include "standin/OutlookFixture.h"
#include "support/ErrorNumber.h"

namespace ostrel {
namespace {

using host::office::CommandBar;
using host::office::CommandBarButton;
using host::office::CommandBarPopup;
using host::office::msoBarTop;
using host::office::msoControlButton;
using host::office::msoControlPopup;
using standin::kEDisconnected;
using standin::kEFail;
using standin::kEInvalidArg;
using test::ErrorNumber;
using test::kNoError;

std::shared_ptr<CommandBarButton> AddButton(CommandBar& bar, const String& tag,
                                            bool temporary = true) {
  auto button = std::dynamic_pointer_cast<CommandBarButton>(
      bar.AddControl(msoControlButton, std::nullopt, temporary));
  button->SetTag(tag);
  return button;
}

std::shared_ptr<CommandBarPopup> AddPopup(CommandBar& bar, const String& tag) {
  auto popup = std::dynamic_pointer_cast<CommandBarPopup>(
      bar.AddControl(msoControlPopup, std::nullopt, true));
  popup->SetTag(tag);
  return popup;
}

class StandinToolbars : public test::OutlookFixture {};

TEST_F(StandinToolbars, APermanentBarOutlivesTheRunItsControlsAndTemporaryBarsDoNot) {
  auto outlook = Start();
  auto bars = outlook->OpenExplorer()->CommandBars();
  EXPECT_EQ(ErrorNumber([&] { bars->Item(u"Quarro"); }), kEInvalidArg) << "the first run";
  auto quarro = bars->Add(u"Quarro", msoBarTop, false);
  auto scratch = bars->Add(u"Scratch", 4, true);
  EXPECT_EQ(bars->Item(u"qUARRO"), quarro) << "names as Office compares them";
  EXPECT_FALSE(quarro->Visible()) << "a new bar is hidden";
  for (const String& taken : {String(u"Quarro"), String(u"SCRATCH")})
    EXPECT_EQ(ErrorNumber([&] { bars->Add(taken, msoBarTop, true); }), kEInvalidArg);
  EXPECT_EQ(ErrorNumber([&] { bars->Add(u"", msoBarTop, true); }), kEInvalidArg);
  EXPECT_EQ(ErrorNumber([&] { bars->Add(u"Far", 6, true); }), kEInvalidArg);
  auto button = AddButton(*quarro, u"QuarroButton");
  quarro->SetVisible(true);

  // Another window of the same run starts with the permanent bar, empty.
  auto second = outlook->OpenExplorer()->CommandBars();
  EXPECT_NE(second->Item(u"Quarro"), quarro);
  EXPECT_TRUE(second->Item(u"Quarro")->Visible());
  EXPECT_EQ(second->Item(u"Quarro")->FindControl(u"QuarroButton"), nullptr);
  EXPECT_EQ(ErrorNumber([&] { second->Item(u"Scratch"); }), kEInvalidArg);

  outlook->Quit();
  EXPECT_EQ(ErrorNumber([&] { button->Caption(); }), kEDisconnected);
  EXPECT_EQ(ErrorNumber([&] { quarro->Visible(); }), kEDisconnected);
  EXPECT_EQ(ErrorNumber([&] { bars->Item(u"Quarro"); }), kEDisconnected);

  // Outlook started again on the profile, as a new object and in the old one.
  auto restarted = Start();
  for (auto* run : {restarted.get(), outlook.get()}) {
    auto again = run->OpenExplorer()->CommandBars();
    auto kept = again->Item(u"Quarro");
    EXPECT_TRUE(kept->Visible());
    EXPECT_EQ(kept->FindControl(u"QuarroButton"), nullptr);
    EXPECT_EQ(ErrorNumber([&] { again->Item(u"Scratch"); }), kEInvalidArg);
    ASSERT_EQ(run->Toolbars().size(), 1u);
    EXPECT_TRUE(run->Toolbars()[0].controls.empty());
  }
  EXPECT_EQ(services().files.ReadFile(restarted->ToolbarSettingsFile()),
            "; command bars of an Outlook stand-in profile\r\nbar=1,1,Quarro\r\n");

  // A stand-in without a profile keeps the bar for its own later runs only.
  standin::StandinApplication memory(services().files, SystemDir("Outbox"), [] { return 0; });
  memory.OpenExplorer()->CommandBars()->Add(u"Quarro", msoBarTop, false);
  memory.Quit();
  EXPECT_NO_THROW(memory.OpenExplorer()->CommandBars()->Item(u"Quarro"));
  EXPECT_TRUE(memory.ToolbarSettingsFile().empty());
  // Given the profile later, it reads the profile's bars instead.
  memory.SetSettingsFolder(SystemDir("Profile"));
  memory.Quit();
  auto fromProfile = memory.OpenExplorer()->CommandBars()->Item(u"Quarro");
  EXPECT_TRUE(fromProfile->Visible()) << "as the profile keeps it";
}

TEST_F(StandinToolbars, SettingsThatCannotBeSavedOrReadLeaveEverythingAsItWas) {
  auto homeless = Start(std::filesystem::path("missing") / "Profile");
  auto bars = homeless->OpenExplorer()->CommandBars();
  EXPECT_EQ(ErrorNumber([&] { bars->Add(u"Quarro", msoBarTop, false); }), 3)
      << "the profile folder's parent is missing";
  EXPECT_EQ(ErrorNumber([&] { bars->Item(u"Quarro"); }), kEInvalidArg) << "nothing was added";
  EXPECT_NO_THROW(bars->Add(u"Quarro", msoBarTop, true)) << "a temporary bar needs no saving";

  auto outlook = Start();
  auto quarro = outlook->OpenExplorer()->CommandBars()->Add(u"Quarro", msoBarTop, false);
  const std::filesystem::path file = Dir("Profile") / "CommandBars.txt";
  ASSERT_TRUE(std::filesystem::remove(file));
  std::filesystem::create_directory(file);  // a folder where the file should be
  EXPECT_NE(ErrorNumber([&] { quarro->SetVisible(true); }), kNoError);
  EXPECT_FALSE(quarro->Visible());
  std::filesystem::remove(file);

  const char* const damaged[] = {
      "bar=1,1\r\n",                       // no name
      "bar=1,1,\r\n",                      // empty name
      "bar=7,1,Quarro\r\n",                // no such position
      "bar=-1,1,Quarro\r\n",               //
      "bar=1,2,Quarro\r\n",                // visibility 0 or 1
      "bar=1;1;Quarro\r\n",                //
      "bar=1,1,A\\tB\r\n",                 // an escape that is not written
      "bar=1,1,Trailing\\\r\n",            //
      "toolbar=1,1,Quarro\r\n",            //
      "bar=1,1,Quarro\nbar=3,0,quarro\n",  // the same name twice
  };
  for (const char* text : damaged) {
    SCOPED_TRACE(text);
    services().files.WriteFile(SystemDir("Profile") + u"\\CommandBars.txt", text);
    try {
      Start();
      ADD_FAILURE() << "a damaged file was taken";
    } catch (const host::HostError& error) {
      EXPECT_NE(std::string(error.what()).find("CommandBars.txt\" are damaged at line"),
                std::string::npos)
          << error.what();
    }
    EXPECT_EQ(services().files.ReadFile(SystemDir("Profile") + u"\\CommandBars.txt"), text);
    EXPECT_THROW(homeless->SetSettingsFolder(SystemDir("Profile")), host::HostError);
    EXPECT_EQ(homeless->ToolbarSettingsFile(),
              platform_->SystemPath(Dir("missing") / "Profile") + u"\\CommandBars.txt")
        << "the settings it had stay";
  }
}

TEST(ToolbarProfileText, NamesOfEveryKindComeBackAsTheyWere) {
  const std::vector<standin::SavedBar> bars = {
      {u"Quarro", 1, true},          {u"C:\\Bars\\One", 0, false},
      {u"Two\r\nlines", 5, true},    {u"Gr\u00fc\u00dfe \u20ac, \u65e5\u672c", 4, false},
      {u"; not a comment", 3, true},
  };
  const std::string text = standin::FormatSavedBars(bars);
  EXPECT_EQ(standin::ParseSavedBars(text, "file"), bars);
  // Comments, blank lines and either line break are read alike.
  EXPECT_EQ(standin::ParseSavedBars("\n; note\r\n\r\nbar=2,0,Right\nbar=3,1,Low", "file"),
            (std::vector<standin::SavedBar>{{u"Right", 2, false}, {u"Low", 3, true}}));
  EXPECT_TRUE(standin::SameBarName(u"Quarro", u"QUARRO"));
  EXPECT_FALSE(standin::SameBarName(u"\u00fc", u"\u00dc")) << "only ASCII letters fold";
}

TEST_F(StandinToolbars, ControlsAreAppendedFoundByTagAndGoneAfterDelete) {
  auto outlook = Start();
  auto bar = outlook->OpenExplorer()->CommandBars()->Add(u"Quarro", msoBarTop, true);
  auto first = AddButton(*bar, u"Same");
  auto popup = AddPopup(*bar, u"Menu");
  auto second = AddButton(*bar, u"Same");
  auto added = bar->AddControl(msoControlButton, String(u"QuarroHelp"), false);
  EXPECT_EQ(added->Parameter(), u"QuarroHelp");
  EXPECT_EQ(added->Type(), msoControlButton);
  EXPECT_EQ(popup->Type(), msoControlPopup);
  EXPECT_TRUE(added->Visible());
  EXPECT_FALSE(added->BeginGroup());
  EXPECT_EQ(ErrorNumber([&] { bar->AddControl(2, std::nullopt, true); }), kEInvalidArg);

  // The popup's menu is one bar, named after the popup, searched only itself.
  auto menu = popup->CommandBar();
  EXPECT_EQ(popup->CommandBar(), menu);
  popup->SetCaption(u"Payment request");
  EXPECT_EQ(menu->Name(), u"Payment request");
  auto inner = AddButton(*menu, u"QuarroDonation");
  menu->SetAdaptiveMenu(true);
  EXPECT_EQ(bar->FindControl(u"Same"), first) << "the first of two";
  EXPECT_EQ(bar->FindControl(u"Menu"), popup);
  EXPECT_EQ(bar->FindControl(u"QuarroDonation"), nullptr) << "menus are not searched";
  EXPECT_EQ(bar->FindControl(u"same"), nullptr) << "tags compare exactly";
  EXPECT_EQ(menu->FindControl(u"QuarroDonation"), inner);
  EXPECT_EQ(outlook->Toolbars()[0].controls.size(), 4u);
  EXPECT_TRUE(outlook->Toolbars()[0].controls[1].adaptiveMenu);

  test::Receiver receiver([](const char*, bool*) {});
  const std::uint32_t cookie = first->Advise(&receiver);
  // Reset is documented for built-in bars only: a custom bar keeps its
  // controls, and only Delete takes one away.
  bar->Reset();
  EXPECT_EQ(heard_.back(), "toolbar Quarro reset");
  EXPECT_EQ(bar->FindControl(u"Same"), first);
  EXPECT_EQ(outlook->Toolbars()[0].controls.size(), 4u);
  first->Delete();
  popup->Delete();
  EXPECT_EQ(bar->FindControl(u"Same"), second);
  EXPECT_EQ(outlook->Toolbars()[0].controls.size(), 2u);
  for (const auto& gone : {first, inner})
    EXPECT_EQ(ErrorNumber([&] { gone->SetCaption(u"x"); }), kEDisconnected);
  EXPECT_EQ(ErrorNumber([&] { popup->CommandBar(); }), kEDisconnected);
  EXPECT_EQ(ErrorNumber([&] { menu->AddControl(msoControlButton, std::nullopt, true); }),
            kEDisconnected)
      << "the deleted popup's menu went with it";
  EXPECT_EQ(ErrorNumber([&] { first->Delete(); }), kEDisconnected);
  EXPECT_EQ(ErrorNumber([&] { first->Unadvise(cookie); }), kNoError) << "receivers can still go";
  EXPECT_NE(AddButton(*bar, u"Same"), nullptr) << "the bar itself stays usable";
}

TEST_F(StandinToolbars, ButtonPropertiesAreKeptAndCheckedAsOfficeChecksThem) {
  auto outlook = Start();
  auto bar = outlook->OpenExplorer()->CommandBars()->Add(u"Quarro", msoBarTop, true);
  auto button = AddButton(*bar, u"QuarroButton");
  EXPECT_EQ(button->Style(), 0) << "msoButtonAutomatic";
  EXPECT_EQ(button->FaceId(), 0);
  button->SetStyle(3);
  button->SetFaceId(1992);
  button->SetCaption(u"&Payment");
  button->SetTooltipText(u"New payment request");
  button->SetBeginGroup(true);
  button->SetVisible(false);
  button->SetOnAction(u"<!Ostrel.Connect>");
  for (const int bad : {-1, 4, 5, 16})
    EXPECT_EQ(ErrorNumber([&] { button->SetStyle(bad); }), kEInvalidArg) << bad;
  EXPECT_EQ(ErrorNumber([&] { button->SetFaceId(-1); }), kEInvalidArg);
  EXPECT_EQ(button->Style(), 3);
  EXPECT_EQ(button->FaceId(), 1992);
  EXPECT_EQ(button->Caption(), u"&Payment");
  EXPECT_EQ(button->TooltipText(), u"New payment request");
  EXPECT_TRUE(button->BeginGroup());
  EXPECT_FALSE(button->Visible());
  EXPECT_EQ(button->OnAction(), u"<!Ostrel.Connect>");
}

TEST_F(StandinToolbars, PasteFaceNeedsBothToolbarFormatsOnTheClipboard) {
  auto outlook = Start();
  auto bar = outlook->OpenExplorer()->CommandBars()->Add(u"Quarro", msoBarTop, true);
  auto button = AddButton(*bar, u"QuarroButton");
  auto own = outlook->FindButton(u"QuarroButton");
  ASSERT_NE(own, nullptr);
  host::Clipboard& clipboard = services().clipboard;
  const std::uint32_t faceFormat = clipboard.RegisterFormat("Toolbar Button Face");
  const std::uint32_t maskFormat = clipboard.RegisterFormat("Toolbar Button Mask");
  const std::vector<std::uint8_t> face = {40, 0, 0, 0, 1, 2, 3};
  const std::vector<std::uint8_t> mask = {40, 0, 0, 0, 0xFF, 0};

  struct Case {
    bool face, mask;
    long error;
  };
  const Case cases[] = {
      {false, false, kEFail}, {true, false, kEFail}, {false, true, kEFail}, {true, true, kNoError}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "face " << c.face << ", mask " << c.mask);
    clipboard.Clear();
    ASSERT_TRUE(clipboard.Open(host::WindowHandle::None));
    const bool placed =
        (!c.face || clipboard.SetData(faceFormat, host::kGmemMoveableShare, face)) &&
        (!c.mask || clipboard.SetData(maskFormat, host::kGmemMoveableShare, mask));
    ASSERT_TRUE(clipboard.Close());
    ASSERT_TRUE(placed);
    EXPECT_EQ(ErrorNumber([&] { button->PasteFace(); }), c.error);
    EXPECT_EQ(own->Face().has_value(), c.error == kNoError);
    ASSERT_TRUE(clipboard.Open(host::WindowHandle::None)) << "PasteFace closed the clipboard";
    clipboard.Close();
  }
  clipboard.Clear();
  // The blocks as they were; Windows may round a block's size up.
  ASSERT_GE(own->Face()->face.size(), face.size());
  EXPECT_TRUE(std::equal(face.begin(), face.end(), own->Face()->face.begin()));
  ASSERT_GE(own->Face()->mask.size(), mask.size());
  EXPECT_TRUE(std::equal(mask.begin(), mask.end(), own->Face()->mask.begin()));
  EXPECT_EQ(button->FaceId(), 0) << "the face number stays";
  EXPECT_TRUE(outlook->Toolbars()[0].controls[0].pastedFace);
  EXPECT_EQ(heard_.back(), "face pasted on QuarroButton");

  standin::StandinApplication blind(services().files, SystemDir("Outbox"), [] { return 0; });
  auto other = AddButton(*blind.OpenExplorer()->CommandBars()->Add(u"Q", msoBarTop, true), u"B");
  EXPECT_EQ(ErrorNumber([&] { other->PasteFace(); }), kEFail) << "a stand-in without clipboard";
  clipboard.Clear();
  ASSERT_TRUE(clipboard.Open(host::WindowHandle::None));
  const bool placed = clipboard.SetData(faceFormat, host::kGmemMoveableShare, face) &&
                      clipboard.SetData(maskFormat, host::kGmemMoveableShare, mask);
  ASSERT_TRUE(clipboard.Close());
  ASSERT_TRUE(placed);
  blind.SetClipboard(clipboard);
  EXPECT_EQ(ErrorNumber([&] { other->PasteFace(); }), kNoError) << "given one later";
  clipboard.Clear();
}

TEST_F(StandinToolbars, TheToolbarIsShownLineByLine) {
  auto outlook = Start();
  auto bar = outlook->OpenExplorer()->CommandBars()->Add(u"Quarro", msoBarTop, false);
  auto button = AddButton(*bar, u"QuarroButton");
  button->SetCaption(u"Pay \"now\"");
  button->SetStyle(3);
  button->SetFaceId(1992);
  button->SetBeginGroup(true);
  auto popup = AddPopup(*bar, u"QuarroPopup");
  popup->SetCaption(u"More");
  popup->SetVisible(false);
  auto menu = popup->CommandBar();
  menu->SetAdaptiveMenu(true);
  auto help = AddButton(*menu, u"QuarroHelp");
  help->SetParameter(u"QuarroHelp");
  help->SetOnAction(u"<!Ostrel.Connect>");
  bar->SetVisible(true);
  EXPECT_EQ(heard_.back(), "toolbar Quarro: 3 controls");

  EXPECT_EQ(standin::DescribeToolbars(outlook->Toolbars()),
            (std::vector<std::string>{
                "toolbar \"Quarro\": top, visible, permanent, 2 controls",
                "  button \"Pay \\\"now\\\"\" tag \"QuarroButton\" tooltip \"\" style 3 face 1992 "
                "group visible temporary",
                "  popup \"More\" tag \"QuarroPopup\" tooltip \"\" hidden temporary menu of 1 "
                "adaptive",
                "    button \"\" tag \"QuarroHelp\" tooltip \"\" style 0 face 0 visible temporary "
                "action \"<!Ostrel.Connect>\" parameter \"QuarroHelp\"",
            }));
  bar->SetVisible(false);
  EXPECT_EQ(heard_.back(), "toolbar Quarro hidden");
}

}  // namespace
}  // namespace ostrel
