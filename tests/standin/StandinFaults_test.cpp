// Failures on demand for the windows and command bars of the Outlook stand-in:
// each name makes exactly its own operations fail, every time, until cleared.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Text.h"
#include "standin/OutlookFixture.h"
#include "support/ErrorNumber.h"

namespace ostrel {
namespace {

using namespace host::office;
using standin::StandinApplication;
using test::ErrorNumber;
using test::kNoError;

// Everything an operation of the table may need, made without faults.
struct World {
  World(std::unique_ptr<StandinApplication> app) : outlook(std::move(app)) {
    explorer = outlook->OpenExplorer();
    inspector = outlook->OpenInspector();
    bars = explorer->CommandBars();
    bar = bars->Add(u"Quarro", msoBarTop, true);
    spare = bars->Add(u"Spare", msoBarTop, true);
    button = std::dynamic_pointer_cast<CommandBarButton>(
        bar->AddControl(msoControlButton, std::nullopt, true));
    button->SetTag(u"B");
    popup = std::dynamic_pointer_cast<CommandBarPopup>(
        bar->AddControl(msoControlPopup, std::nullopt, true));
    menu = popup->CommandBar();
    addIn = outlook->MakeAddInInstance(u"Ostrel.Connect");
    for (int i = 0; i < 16; ++i) {
      explorerCookies.push_back(explorer->Advise(&receiver));
      inspectorCookies.push_back(inspector->Advise(&receiver));
      buttonCookies.push_back(button->Advise(&receiver));
    }
  }
  static std::uint32_t Take(std::vector<std::uint32_t>& cookies) {
    const std::uint32_t cookie = cookies.back();
    cookies.pop_back();
    return cookie;
  }

  std::unique_ptr<StandinApplication> outlook;
  std::shared_ptr<standin::StandinExplorer> explorer;
  std::shared_ptr<standin::StandinInspector> inspector;
  std::shared_ptr<CommandBars> bars;
  std::shared_ptr<CommandBar> bar, spare, menu;
  std::shared_ptr<CommandBarButton> button;
  std::shared_ptr<CommandBarPopup> popup;
  std::shared_ptr<host::outlook::AddInInstance> addIn;
  test::Receiver receiver{[](const char*, bool*) {}};
  std::vector<std::uint32_t> explorerCookies, inspectorCookies, buttonCookies;
  int added = 0;
};

using Call = std::function<void(World&)>;

struct Case {
  const char* operation;
  std::vector<Call> calls;  // each must fail
};

// Reading and setting a property of the button (and the popup for the
// properties every control has).
template <typename T>
std::vector<Call> Property(T (CommandBarControl::*get)() const,
                           void (CommandBarControl::*set)(const T&)) {
  return {[=](World& w) { (*w.button.*get)(); }, [=](World& w) { (*w.button.*set)(T()); },
          [=](World& w) { (*w.popup.*get)(); }, [=](World& w) { (*w.popup.*set)(T()); }};
}

std::vector<Call> Flag(bool (CommandBarControl::*get)() const,
                       void (CommandBarControl::*set)(bool)) {
  return {[=](World& w) { (*w.button.*get)(); }, [=](World& w) { (*w.button.*set)(true); },
          [=](World& w) { (*w.popup.*get)(); }, [=](World& w) { (*w.popup.*set)(true); }};
}

std::vector<Case> Cases() {
  return {
      {"Explorers.Count", {[](World& w) { w.outlook->ExplorersCount(); }}},
      {"Inspectors.Count", {[](World& w) { w.outlook->InspectorsCount(); }}},
      {"ActiveExplorer", {[](World& w) { w.outlook->ActiveExplorer(); }}},
      {"CommandBars", {[](World& w) { w.explorer->CommandBars(); }}},
      {"Advise",
       {[](World& w) { w.explorer->Advise(&w.receiver); },
        [](World& w) { w.inspector->Advise(&w.receiver); },
        [](World& w) { w.button->Advise(&w.receiver); }}},
      {"Unadvise",
       {[](World& w) { w.explorer->Unadvise(World::Take(w.explorerCookies)); },
        [](World& w) { w.inspector->Unadvise(World::Take(w.inspectorCookies)); },
        [](World& w) { w.button->Unadvise(World::Take(w.buttonCookies)); }}},
      {"ProgId", {[](World& w) { w.addIn->ProgId(); }}},
      {"CommandBars.Item", {[](World& w) { w.bars->Item(u"Quarro"); }}},
      {"CommandBars.Add",
       {[](World& w) { w.bars->Add(u"Bar" + DecimalText(++w.added), msoBarTop, true); }}},
      {"CommandBar.Name", {[](World& w) { w.bar->Name(); }, [](World& w) { w.menu->Name(); }}},
      {"CommandBar.Reset", {[](World& w) { w.spare->Reset(); }}},
      {"Controls.Add",
       {[](World& w) { w.spare->AddControl(msoControlButton, std::nullopt, true); },
        [](World& w) { w.menu->AddControl(msoControlPopup, String(u"p"), true); }}},
      {"FindControl", {[](World& w) { w.bar->FindControl(u"B"); }}},
      {"CommandBar.Visible",
       {[](World& w) { w.bar->Visible(); }, [](World& w) { w.bar->SetVisible(true); }}},
      {"AdaptiveMenu", {[](World& w) { w.menu->SetAdaptiveMenu(true); }}},
      {"Type", {[](World& w) { w.button->Type(); }, [](World& w) { w.popup->Type(); }}},
      {"Caption", Property(&CommandBarControl::Caption, &CommandBarControl::SetCaption)},
      {"Tag", Property(&CommandBarControl::Tag, &CommandBarControl::SetTag)},
      {"TooltipText",
       Property(&CommandBarControl::TooltipText, &CommandBarControl::SetTooltipText)},
      {"BeginGroup", Flag(&CommandBarControl::BeginGroup, &CommandBarControl::SetBeginGroup)},
      {"Visible", Flag(&CommandBarControl::Visible, &CommandBarControl::SetVisible)},
      {"OnAction", Property(&CommandBarControl::OnAction, &CommandBarControl::SetOnAction)},
      {"Parameter", Property(&CommandBarControl::Parameter, &CommandBarControl::SetParameter)},
      {"FaceId",
       {[](World& w) { w.button->FaceId(); }, [](World& w) { w.button->SetFaceId(984); }}},
      {"Style", {[](World& w) { w.button->Style(); }, [](World& w) { w.button->SetStyle(2); }}},
      {"PasteFace", {[](World& w) { w.button->PasteFace(); }}},
      {"Popup.CommandBar", {[](World& w) { w.popup->CommandBar(); }}},
  };
}

class StandinFaults : public test::OutlookFixture {};

TEST_F(StandinFaults, EachNameFailsItsOwnOperationsOnlyUntilCleared) {
  // A face on the clipboard, so that PasteFace works when it is not told to fail.
  host::Clipboard& clipboard = services().clipboard;
  clipboard.Clear();
  ASSERT_TRUE(clipboard.Open(host::WindowHandle::None));
  clipboard.SetData(clipboard.RegisterFormat("Toolbar Button Face"), host::kGmemMoveableShare,
                    {1, 2, 3});
  clipboard.SetData(clipboard.RegisterFormat("Toolbar Button Mask"), host::kGmemMoveableShare,
                    {4, 5});
  ASSERT_TRUE(clipboard.Close());

  const std::vector<Case> cases = Cases();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.operation);
    World world(Start());
    world.outlook->FailOn(c.operation);
    for (std::size_t i = 0; i < c.calls.size(); ++i) {
      EXPECT_EQ(ErrorNumber([&] { c.calls[i](world); }), standin::kEFail) << "call " << i;
      EXPECT_EQ(ErrorNumber([&] { c.calls[i](world); }), standin::kEFail) << "again, call " << i;
    }
    for (const Case& other : cases) {
      if (std::string(other.operation) == c.operation)
        continue;
      for (const Call& call : other.calls)
        EXPECT_EQ(ErrorNumber([&] { call(world); }), kNoError) << other.operation;
    }
    world.outlook->ClearFailures();
    for (const Call& call : c.calls)
      EXPECT_EQ(ErrorNumber([&] { call(world); }), kNoError) << "cleared";
  }
  clipboard.Clear();
}

}  // namespace
}  // namespace ostrel
