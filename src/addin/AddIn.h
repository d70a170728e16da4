// What the add-in holds inside Outlook: the application and its two window
// collections, a toolbar with its popup and ten commands in every main window,
// the watch on every window, and the handlers of their events.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "addin/AddInState.h"
#include "host/Office.h"
#include "host/Outlook.h"

namespace ostrel {

class AddIn;

// A connection to one event source: binding a new source (or none) first
// undoes the connection to the old one, as assigning a WithEvents member does.
template <typename Source, typename Sink>
class EventLink {
 public:
  explicit EventLink(Sink* sink) : sink_(sink) {}
  ~EventLink() { Reset(); }
  EventLink(const EventLink&) = delete;
  EventLink& operator=(const EventLink&) = delete;

  // Throws when the source refuses the connection; the link is then empty.
  void Bind(std::shared_ptr<Source> source) {
    Reset();
    if (!source)
      return;
    cookie_ = source->Advise(sink_);
    source_ = std::move(source);
  }
  // Never throws: a source that refuses to disconnect is dropped all the same.
  void Reset() noexcept;
  Source* get() const { return source_.get(); }
  const std::shared_ptr<Source>& source() const { return source_; }

 private:
  Sink* sink_;
  std::shared_ptr<Source> source_;
  std::uint32_t cookie_ = 0;
};

// A command button of a toolbar with its Click handler.
class CommandMember final : public host::office::CommandBarButtonEvents {
 public:
  using Handler = void (AddIn::*)();
  CommandMember(AddIn& owner, Handler handler) : owner_(owner), handler_(handler), link_(this) {}

  // Keeps the control and connects its Click, when it is a button. Its tag
  // and parameter are set before: Office ties a button's events to its tag.
  void Set(const std::shared_ptr<host::office::CommandBarControl>& control);
  host::office::CommandBarButton* get() const { return link_.get(); }
  void Click(host::office::CommandBarButton& ctrl, bool& cancelDefault) override;

 private:
  AddIn& owner_;
  Handler handler_;
  EventLink<host::office::CommandBarButton, host::office::CommandBarButtonEvents> link_;
};

// One main window of Outlook: its watch and the toolbar the add-in builds in
// it, with the members that hold the bar, the popup and the ten commands.
class ExplorerToolbar final : private host::outlook::ExplorerEvents {
 public:
  ExplorerToolbar(AddIn& owner, std::shared_ptr<host::outlook::Explorer> explorer);
  ~ExplorerToolbar() override;
  ExplorerToolbar(const ExplorerToolbar&) = delete;
  ExplorerToolbar& operator=(const ExplorerToolbar&) = delete;

  // Connects the window's events; throws when the window refuses.
  void Watch();
  // Builds what is not built yet; every failing step is skipped, and a later
  // call (the window activated, start-up complete) tries the rest again.
  void Build(const String& progId);
  // Everything is there: the bar, both controls on it, the menu and its nine
  // commands, each button connected.
  bool Complete() const;
  // Takes the add-in's controls off the bar (a user's disconnection); each
  // failing step is skipped.
  void DeleteControls() noexcept;
  host::outlook::Explorer* explorer() const { return objExpl.get(); }

  EventLink<host::outlook::Explorer, host::outlook::ExplorerEvents> objExpl;
  std::shared_ptr<host::office::CommandBar> objCommandBar;
  std::shared_ptr<host::office::CommandBarControl> objCBPopup;
  std::shared_ptr<host::office::CommandBar> objPopupBar;
  CommandMember objCBButton;
  CommandMember objCBBGeneral;
  CommandMember objCBBProduct;
  CommandMember objCBBService;
  CommandMember objCBBAuction;
  CommandMember objCBBDonation;
  CommandMember objCBBOptions;
  CommandMember objCBBHelp;
  CommandMember objCBBAbout;
  CommandMember objCBBUpdate;

 private:
  // The main button or the popup found on the bar by its tag, or added.
  std::shared_ptr<host::office::CommandBarControl> FindOrAdd(int type, const String& tag);
  void ApplyCaptions();
  // The main button's face from the resource library: as pictures, else
  // through the clipboard (PasteFace), the user's content put back.
  void SetMainButtonFace();
  void PasteFace(host::office::CommandBarButton& button, const host::PicturePtr& picture);

  void Activate() override;
  void BeforeFolderSwitch(const String& newFolder, bool& cancel) override;
  void Close() override;

  AddIn& owner_;
  std::shared_ptr<host::outlook::Explorer> window_;
  bool reset_ = false;
  bool faceSet_ = false;
};

// An item window of Outlook, watched for its Close.
class InspectorWatch final : private host::outlook::InspectorEvents {
 public:
  InspectorWatch(AddIn& owner, std::shared_ptr<host::outlook::Inspector> inspector);
  host::outlook::Inspector* inspector() const { return objInsp.get(); }

  EventLink<host::outlook::Inspector, host::outlook::InspectorEvents> objInsp;

 private:
  void Close() override;
  AddIn& owner_;
};

class AddIn final : private host::outlook::ExplorersEvents,
                    private host::outlook::InspectorsEvents {
 public:
  explicit AddIn(AddInState& state);
  ~AddIn() override;
  AddIn(const AddIn&) = delete;
  AddIn& operator=(const AddIn&) = delete;

  // Keeps the application, watches its windows and builds a toolbar in each
  // main window that is open. With no window open it only waits for the first.
  void Initialize(std::shared_ptr<host::outlook::Application> application, const String& progId);
  // Outlook has finished starting: what could not be built at connection is
  // tried again.
  void StartupComplete() noexcept;
  // Releases everything the add-in holds of Outlook and closes its dialogs.
  void Shutdown() noexcept;
  // The user unticked the add-in: its controls leave every toolbar first.
  void DeleteControls() noexcept;
  // The add-in-wide texts from the resource library, loaded once a window is
  // there. Throws at the first step that fails.
  void ApplyResources();
  // Loads the texts once; at the first window, not before.
  void EnsureResources();
  // The host shows the add-in's commands on its ribbon (Outlook 2010 and
  // later): no window gets a toolbar.
  bool UsesRibbon() const { return usesRibbon_; }
  // Office asked for the main window's ribbon: the commands live there from
  // now on, and a toolbar built before (the version could not be read) loses
  // its controls.
  void RibbonAsked() noexcept;

  // Click handlers of the ten commands.
  void objCBButton_Click();
  void objCBBGeneral_Click();
  void objCBBProduct_Click();
  void objCBBService_Click();
  void objCBBAuction_Click();
  void objCBBDonation_Click();
  void objCBBOptions_Click();
  void objCBBHelp_Click();
  void objCBBAbout_Click();
  void objCBBUpdate_Click();
  // A ribbon control's onAction: the command of the toolbar control whose tag
  // is its id, a failure reported as a toolbar command's is. False for an id
  // of no command (the menu, another add-in's control).
  bool RibbonAction(std::u16string_view id);
  // Window watch.
  void objExpl_BeforeFolderSwitch(const String& newFolder, bool& cancel);
  void objExpl_Activate(ExplorerToolbar& window);
  void objExpl_Close(ExplorerToolbar& window);
  void objInsp_Close(InspectorWatch& window);

  // A command that failed inside: the user is told, Outlook goes on.
  void ReportCommandFailure() noexcept;

  AddInState& state;
  const String& progId() const { return progId_; }
  // The main windows watched, each with its toolbar.
  const std::vector<std::unique_ptr<ExplorerToolbar>>& Toolbars() const { return toolbars_; }
  std::size_t WatchedInspectors() const { return inspectors_.size(); }

 private:
  // Watches the explorer (once) and builds its toolbar; nullptr when the
  // window refused the watch.
  ExplorerToolbar* WatchExplorer(const std::shared_ptr<host::outlook::Explorer>& explorer);
  void WatchInspector(const std::shared_ptr<host::outlook::Inspector>& inspector);
  void BuildAll();
  void OpenForType(std::int32_t type);
  // No window of Outlook is left: everything is released.
  void ShutdownIfNoWindow(bool explorerClosing);

  void NewExplorer(const std::shared_ptr<host::outlook::Explorer>& explorer) override;
  void NewInspector(const std::shared_ptr<host::outlook::Inspector>& inspector) override;

  std::shared_ptr<host::outlook::Application> application_;
  String progId_;
  EventLink<host::outlook::Explorers, host::outlook::ExplorersEvents> explorers_;
  EventLink<host::outlook::Inspectors, host::outlook::InspectorsEvents> inspectorList_;
  std::vector<std::unique_ptr<ExplorerToolbar>> toolbars_;
  std::vector<std::unique_ptr<InspectorWatch>> inspectors_;
  bool resourcesTried_ = false;
  bool usesRibbon_ = false;
};

}  // namespace ostrel

#include "addin/Steps.h"

namespace ostrel {

template <typename Source, typename Sink>
void EventLink<Source, Sink>::Reset() noexcept {
  if (!source_)
    return;
  SkipOnFailure([this] { source_->Unadvise(cookie_); });
  source_.reset();
}

}  // namespace ostrel
