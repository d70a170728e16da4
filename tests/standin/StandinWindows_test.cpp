// The stand-in's windows and their events: what Outlook reports while a window
// closes, folder switches that receivers cancel, clicks on toolbar buttons,
// receivers that disconnect while an event is delivered, and Quit.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Text.h"
#include "host/HostError.h"
#include "standin/OutlookFixture.h"
#include "support/ErrorNumber.h"

namespace ostrel {
namespace {

using host::office::CommandBarButton;
using host::office::CommandBarPopup;
using host::office::msoBarTop;
using host::office::msoControlButton;
using host::office::msoControlPopup;
using standin::StandinApplication;
using standin::StandinExplorer;
using test::ErrorNumber;
using test::kNoError;
using test::Receiver;

class StandinWindows : public test::OutlookFixture {};

// What a window's Close handler sees of Outlook.
struct Seen {
  std::string window;
  int explorers;
  int inspectors;
  int active;  // the active explorer's number; 0 for none

  bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
  return out << s.window << " " << s.explorers << "/" << s.inspectors << " active " << s.active;
}

int ActiveNumber(StandinApplication& outlook) {
  auto active = outlook.ActiveExplorer();
  return active ? static_cast<StandinExplorer&>(*active).Number() : 0;
}

TEST_F(StandinWindows, AClosingWindowStillCountsButIsNoLongerActive) {
  auto outlook = Start();
  std::vector<Seen> seen;
  std::vector<std::unique_ptr<Receiver>> receivers;
  const auto watch = [&](auto& window, std::string name) {
    receivers.push_back(std::make_unique<Receiver>([&, name](const char*, bool*) {
      seen.push_back(
          {name, outlook->ExplorersCount(), outlook->InspectorsCount(), ActiveNumber(*outlook)});
    }));
    window->Advise(receivers.back().get());
  };
  auto e1 = outlook->OpenExplorer();
  auto e2 = outlook->OpenExplorer();
  auto e3 = outlook->OpenExplorer();
  for (auto* e : {&e1, &e2, &e3})
    watch(*e, "explorer " + std::to_string((*e)->Number()));
  EXPECT_EQ(ActiveNumber(*outlook), 3) << "the newest window is active";
  outlook->ActivateExplorer(e1);
  auto inspector = outlook->OpenInspector();
  watch(inspector, "inspector");
  EXPECT_EQ(ActiveNumber(*outlook), 1) << "an item window leaves the active explorer";

  outlook->CloseExplorer(nullptr);  // the active one, explorer 1
  outlook->CloseExplorer(e2);       // not the active one
  outlook->CloseExplorer(e3);       // the last, with an item window open
  outlook->CloseInspector();
  EXPECT_EQ(seen, (std::vector<Seen>{{"explorer 1", 3, 1, 3},
                                     {"explorer 2", 2, 1, 3},
                                     {"explorer 3", 1, 1, 0},
                                     {"inspector", 0, 1, 0}}));
  EXPECT_EQ(outlook->ExplorersCount(), 0);
  EXPECT_EQ(outlook->InspectorsCount(), 0);
  EXPECT_EQ(heard_, (std::vector<std::string>{"explorer 1 opened", "explorer 2 opened",
                                              "explorer 3 opened", "inspector 1 opened",
                                              "explorer 1 closed", "explorer 2 closed",
                                              "explorer 3 closed", "inspector 1 closed"}));

  // A closed window's object answers only Unadvise.
  EXPECT_EQ(ErrorNumber([&] { e1->CommandBars(); }), standin::kEDisconnected);
  EXPECT_EQ(ErrorNumber([&] { e1->Advise(receivers[0].get()); }), standin::kEDisconnected);
  EXPECT_EQ(ErrorNumber([&] { inspector->Advise(receivers[0].get()); }), standin::kEDisconnected);
  EXPECT_EQ(ErrorNumber([&] { e1->Unadvise(1); }), kNoError);
  EXPECT_EQ(ErrorNumber([&] { inspector->Unadvise(1); }), kNoError);

  // The driver's mistakes.
  EXPECT_THROW(outlook->CloseExplorer(e1), std::invalid_argument);
  EXPECT_THROW(outlook->CloseExplorer(nullptr), std::invalid_argument);
  EXPECT_THROW(outlook->CloseInspector(nullptr), std::invalid_argument);
  EXPECT_THROW(outlook->ActivateExplorer(e2), std::invalid_argument);
  EXPECT_THROW(outlook->SwitchFolder(u"Sent Items"), std::invalid_argument);
  EXPECT_THROW(outlook->ClickControl(u"QuarroButton"), std::invalid_argument);
}

TEST_F(StandinWindows, AnyReceiverMayCancelAFolderSwitchAndTheNextOneSeesIt) {
  struct Case {
    const char* name;
    std::vector<std::optional<bool>> sets;  // what each receiver sets Cancel to; nullopt: nothing
    std::vector<bool> seen;                 // Cancel as each receiver found it
    bool cancelled;
  };
  const Case cases[] = {
      {"nobody", {std::nullopt, std::nullopt}, {false, false}, false},
      {"the last", {std::nullopt, true}, {false, false}, true},
      {"the first", {true, std::nullopt}, {false, true}, true},
      {"undone", {true, false}, {false, true}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto outlook = Start();
    auto explorer = outlook->OpenExplorer(u"Inbox");
    std::vector<bool> seen;
    std::vector<std::unique_ptr<Receiver>> receivers;
    for (const std::optional<bool>& set : c.sets) {
      receivers.push_back(std::make_unique<Receiver>([&seen, set](const char*, bool* cancel) {
        seen.push_back(*cancel);
        if (set)
          *cancel = *set;
      }));
      explorer->Advise(receivers.back().get());
    }
    EXPECT_EQ(outlook->SwitchFolder(u"\\\\Personal Folders\\Sent Items"), c.cancelled);
    EXPECT_EQ(seen, c.seen);
    EXPECT_EQ(receivers[0]->folder, u"\\\\Personal Folders\\Sent Items");
    EXPECT_EQ(explorer->Folder(), c.cancelled ? u"Inbox" : u"\\\\Personal Folders\\Sent Items");
    EXPECT_EQ(heard_.back(), c.cancelled
                                 ? "folder switch to \\\\Personal Folders\\Sent Items cancelled"
                                 : "folder switched to \\\\Personal Folders\\Sent Items");
  }
}

TEST_F(StandinWindows, AClickReachesTheVisibleButtonOfTheActiveExplorer) {
  auto outlook = Start();
  auto other = outlook->OpenExplorer();
  auto otherBar = other->CommandBars()->Add(u"Quarro", msoBarTop, true);
  auto decoy = std::dynamic_pointer_cast<CommandBarButton>(
      otherBar->AddControl(msoControlButton, std::nullopt, true));
  decoy->SetTag(u"QuarroDonation");

  auto explorer = outlook->OpenExplorer();
  auto bar = explorer->CommandBars()->Add(u"Quarro", msoBarTop, true);
  auto hidden = std::dynamic_pointer_cast<CommandBarButton>(
      bar->AddControl(msoControlButton, std::nullopt, true));
  hidden->SetTag(u"QuarroHidden");
  hidden->SetVisible(false);
  auto popup = std::dynamic_pointer_cast<CommandBarPopup>(
      bar->AddControl(msoControlPopup, std::nullopt, true));
  popup->SetTag(u"QuarroPopup");
  auto donation = std::dynamic_pointer_cast<CommandBarButton>(
      popup->CommandBar()->AddControl(msoControlButton, std::nullopt, true));
  donation->SetTag(u"QuarroDonation");

  std::vector<std::string> calls;
  Receiver first([&](const char* event, bool* cancelDefault) {
    calls.push_back(std::string("first ") + event);
    *cancelDefault = true;
  });
  Receiver second([&](const char* event, bool* cancelDefault) {
    calls.push_back(std::string("second ") + event + (*cancelDefault ? " cancelled" : ""));
  });
  Receiver wrong([&](const char*, bool*) { calls.push_back("decoy"); });
  donation->Advise(&first);
  donation->Advise(&second);
  decoy->Advise(&wrong);

  EXPECT_EQ(outlook->FindButton(u"QuarroDonation"), donation) << "not the other window's";
  EXPECT_EQ(outlook->FindButton(u"QuarroDonation")->Receivers(), 2u);
  EXPECT_TRUE(outlook->ClickControl(u"QuarroDonation"));
  EXPECT_EQ(calls, (std::vector<std::string>{"first Click", "second Click cancelled"}));
  EXPECT_EQ(first.clicked, donation.get()) << "Ctrl is the button clicked";
  EXPECT_EQ(heard_.back(), "click QuarroDonation");

  const char* const refused[] = {"QuarroHidden", "QuarroPopup", "QuarroMissing"};
  for (const char* tag : refused)
    EXPECT_THROW(outlook->ClickControl(FromAscii(tag)), std::invalid_argument) << tag;
  popup->SetVisible(false);
  EXPECT_THROW(outlook->ClickControl(u"QuarroDonation"), std::invalid_argument)
      << "a hidden popup hides its menu";
  EXPECT_EQ(calls.size(), 2u);
}

// One source of events, as the table below drives it.
struct Source {
  const char* name;
  std::function<std::uint32_t(StandinApplication&, Receiver*)> advise;
  std::function<void(StandinApplication&, std::uint32_t)> unadvise;
  std::function<void(StandinApplication&)> raise;
};

TEST_F(StandinWindows, ReceiversMayComeAndGoWhileAnEventIsDelivered) {
  const Source sources[] = {
      {"explorer", [](StandinApplication& o, Receiver* r) { return o.Active()->Advise(r); },
       [](StandinApplication& o, std::uint32_t c) { o.Active()->Unadvise(c); },
       [](StandinApplication& o) { o.SwitchFolder(u"Outbox"); }},
      {"inspector", [](StandinApplication& o, Receiver* r) { return o.Inspectors()[0]->Advise(r); },
       [](StandinApplication& o, std::uint32_t c) { o.Inspectors()[0]->Unadvise(c); },
       [](StandinApplication& o) { o.Inspectors()[0]->RaiseClose(); }},
      {"button", [](StandinApplication& o, Receiver* r) { return o.FindButton(u"B")->Advise(r); },
       [](StandinApplication& o, std::uint32_t c) { o.FindButton(u"B")->Unadvise(c); },
       [](StandinApplication& o) { o.ClickControl(u"B"); }},
  };
  for (const Source& source : sources) {
    SCOPED_TRACE(source.name);
    auto outlook = Start();
    auto bar = outlook->OpenExplorer()->CommandBars()->Add(u"Q", msoBarTop, true);
    bar->AddControl(msoControlButton, std::nullopt, true)->SetTag(u"B");
    outlook->OpenInspector();

    std::vector<std::string> calls;
    std::uint32_t cookieB = 0, cookieC = 0, cookieD = 0;
    Receiver d([&](const char*, bool*) { calls.push_back("D"); });
    Receiver a([&](const char*, bool*) {
      calls.push_back("A");
      source.unadvise(*outlook, cookieB);  // B is not reached any more
      if (cookieD == 0)
        cookieD = source.advise(*outlook, &d);  // D hears the next event only
    });
    Receiver b([&](const char*, bool*) { calls.push_back("B"); });
    Receiver c([&](const char*, bool*) {
      calls.push_back("C");
      source.unadvise(*outlook, cookieC);  // itself
    });
    source.advise(*outlook, &a);
    cookieB = source.advise(*outlook, &b);
    cookieC = source.advise(*outlook, &c);
    source.raise(*outlook);
    EXPECT_EQ(calls, (std::vector<std::string>{"A", "C"}));
    calls.clear();
    cookieB = cookieD;  // A now drops D, which was connected after it
    source.raise(*outlook);
    EXPECT_EQ(calls, (std::vector<std::string>{"A"}));

    // Cookies name one connection each, once.
    EXPECT_EQ(ErrorNumber([&] { source.unadvise(*outlook, cookieC); }), standin::kENoConnection);
    EXPECT_EQ(ErrorNumber([&] { source.unadvise(*outlook, 0); }), standin::kENoConnection);
    EXPECT_EQ(ErrorNumber([&] { source.advise(*outlook, nullptr); }), standin::kEPointer);
  }
}

TEST_F(StandinWindows, QuitClosesItemWindowsFirstThenTheActiveExplorerEachTime) {
  auto outlook = Start();
  std::vector<Seen> seen;
  std::vector<std::unique_ptr<Receiver>> receivers;
  const auto watch = [&](auto window, std::string name) {
    receivers.push_back(std::make_unique<Receiver>([&, name](const char*, bool*) {
      seen.push_back(
          {name, outlook->ExplorersCount(), outlook->InspectorsCount(), ActiveNumber(*outlook)});
    }));
    window->Advise(receivers.back().get());
  };
  auto e1 = outlook->OpenExplorer();
  watch(e1, "explorer 1");
  watch(outlook->OpenInspector(), "inspector 1");
  auto e2 = outlook->OpenExplorer();
  watch(e2, "explorer 2");
  watch(outlook->OpenInspector(), "inspector 2");
  watch(outlook->OpenExplorer(), "explorer 3");
  outlook->ActivateExplorer(e2);
  outlook->Quit();
  EXPECT_EQ(seen, (std::vector<Seen>{{"inspector 2", 3, 2, 2},
                                     {"inspector 1", 3, 1, 2},
                                     {"explorer 2", 3, 0, 3},
                                     {"explorer 3", 2, 0, 1},
                                     {"explorer 1", 1, 0, 0}}));
  EXPECT_EQ(heard_.back(), "outlook quit");
  EXPECT_EQ(outlook->ActiveExplorer(), nullptr);
  EXPECT_EQ(outlook->OpenExplorer()->Number(), 4) << "a later run goes on counting";
}

}  // namespace
}  // namespace ostrel
