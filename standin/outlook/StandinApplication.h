// Outlook's Application, in the stand-in: mail items whose Display writes an
// unsent draft (.eml) into an outbox folder, explorer and inspector windows
// with their events, and each explorer's command bars, whose permanent bars
// are kept in the profile's toolbar settings. Every host operation fails on
// demand. Written against host::FileSystem and host::Clipboard only, so it
// runs in both builds.
//
// Besides the host interface it has the driver's side: opening and closing
// windows, switching folders, clicking toolbar controls, quitting, and
// reading the toolbars. Mistakes of the driver (closing a window that is not
// open, clicking a tag that is nowhere) raise std::invalid_argument; the host
// calls raise host::HostError.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/Clipboard.h"
#include "host/FileSystem.h"
#include "host/Outlook.h"
#include "outlook/OutlookState.h"
#include "outlook/StandinWindows.h"
#include "outlook/ToolbarView.h"

namespace ostrel::standin {

class StandinApplication : public host::outlook::Application {
 public:
  // `outboxFolder` is a path as the system builds them ("\" between names); it
  // is made at the first Display when missing (its parent must exist). `clock`
  // gives the time in seconds since 1970-01-01 UTC; drafts are dated by it.
  // This stand-in keeps its toolbar settings in memory and has no clipboard
  // (PasteFace fails).
  StandinApplication(host::FileSystem& files, String outboxFolder, Clock clock);
  // A stand-in on a profile: the toolbar settings live in `profileFolder`
  // (ToolbarProfile; read here, host::HostError when they cannot be read or
  // are damaged), and PasteFace reads `clipboard`.
  StandinApplication(host::FileSystem& files, host::Clipboard& clipboard, String outboxFolder,
                     const String& profileFolder, Clock clock);
  // Mail items it made outlive it; their Display then opens no window.
  ~StandinApplication() override;
  StandinApplication(const StandinApplication&) = delete;
  StandinApplication& operator=(const StandinApplication&) = delete;

  // For a stand-in made without them: the profile's toolbar settings folder
  // (read at once, as by the constructor; host::HostError leaves the settings
  // as they were) and the clipboard PasteFace reads. Windows already open keep
  // the bars they have.
  void SetSettingsFolder(const String& profileFolder);
  void SetClipboard(host::Clipboard& clipboard);

  // A StandinMailItem for olMailItem (its Display opens an inspector here); host::HostError
  // (E_INVALIDARG) for any other item type, and (E_FAIL) when CreateItem was set to fail.
  std::unique_ptr<host::outlook::MailItem> CreateItem(int itemType) override;
  // The open windows; one whose Close is being delivered still counts.
  int ExplorersCount() override;
  int InspectorsCount() override;
  // The active explorer; nullptr when none is open. While an explorer's Close
  // is delivered it is no longer the active one: the explorer that becomes
  // active after it (or nullptr) is.
  std::shared_ptr<host::outlook::Explorer> ActiveExplorer() override;
  // The same two collections every time; their Count fails with
  // "Explorers.Count" and "Inspectors.Count".
  std::shared_ptr<host::outlook::Explorers> GetExplorers() override;
  std::shared_ptr<host::outlook::Inspectors> GetInspectors() override;

  // Application.Version: "N.0.0.0" for the major version set here (11, 12, 14,
  // 15 or 16; 16 by default). std::invalid_argument for any other.
  // Version fails with "Version".
  void SetVersion(int major);
  int MajorVersion() const;
  String Version() override;
  // Outlook 2010 and later end without OnBeginShutdown and OnDisconnection
  // ("Shutdown changes for Outlook 2010", Outlook developer documentation).
  bool FastShutdown() const { return MajorVersion() >= 14; }
  // The Application as handed to an add-in at connection, counted with the
  // other objects it holds.
  std::shared_ptr<host::outlook::Application> HandOutApplication();
  // How many of the objects handed to add-ins they still hold.
  int HeldObjects();

  // The object Outlook hands the add-in at connection.
  std::shared_ptr<host::outlook::AddInInstance> MakeAddInInstance(String progId);

  // --- The driver's side; no faults.

  // A new explorer showing `folder`, with the profile's permanent bars:
  // NewExplorer is raised, then the window appears, becomes the active one
  // and raises Activate. Tells the listener "explorer <n> opened".
  std::shared_ptr<StandinExplorer> OpenExplorer(String folder = u"Inbox");
  // Closes the explorer (the active one when null): the most recently opened
  // of the others becomes active, Close is raised on the explorer's receivers
  // while it still counts, then it goes with its bars and controls. Tells
  // the listener "explorer <n> closed".
  void CloseExplorer(std::shared_ptr<StandinExplorer> explorer = nullptr);
  // Makes an open explorer the active one, raising its Activate.
  void ActivateExplorer(const std::shared_ptr<StandinExplorer>& explorer);
  // NewInspector is raised; "inspector <n> opened"; the active explorer stays
  // as it is.
  std::shared_ptr<StandinInspector> OpenInspector();
  // Closes the inspector (the most recently opened when null): Close is
  // raised while it still counts, then it goes. "inspector <n> closed".
  void CloseInspector(std::shared_ptr<StandinInspector> inspector = nullptr);
  // BeforeFolderSwitch in the active explorer; true when a receiver cancelled.
  bool SwitchFolder(const String& folder);
  // Clicks the first visible button with the tag in the active explorer's
  // bars, popups' menus included (a hidden popup hides its menu). Tells the
  // listener "click <tag>", then raises Click. Returns CancelDefault.
  bool ClickControl(const String& tag);
  // Outlook exits: the inspectors close (newest first), then the explorers
  // (the active one first, each time); temporary bars and all controls go
  // with them. "outlook quit". A later OpenExplorer starts a new run on the
  // same profile.
  void Quit();

  std::shared_ptr<StandinExplorer> Active() const { return active_; }
  const std::vector<std::shared_ptr<StandinExplorer>>& Explorers() const { return explorers_; }
  const std::vector<std::shared_ptr<StandinInspector>>& Inspectors() const { return inspectors_; }
  // The bars of the active explorer; none when no explorer is open.
  std::vector<BarView> Toolbars() const;
  // DescribeToolbars of Toolbars(): the lines of a `show`.
  std::vector<std::string> DescribeToolbars() const;
  // The button ClickControl(tag) would click; nullptr when there is none.
  std::shared_ptr<StandinButton> FindButton(const String& tag) const;
  // The profile's toolbar settings file; empty when they are in memory.
  const String& ToolbarSettingsFile() const;

  // The named operation raises host::HostError instead of acting, every time,
  // until ClearFailures: "CreateItem", "To", "Subject", "HTMLBody", "Display",
  // "Explorers", "Inspectors", "Explorers.Count", "Inspectors.Count",
  // "ActiveExplorer", "CommandBars",
  // "Advise", "Unadvise", "ProgId", "CommandBars.Item", "CommandBars.Add",
  // "CommandBar.Name", "CommandBar.Reset", "Controls.Add", "FindControl",
  // "CommandBar.Visible", "AdaptiveMenu", "Type", "Caption", "Tag",
  // "TooltipText", "BeginGroup", "Visible", "OnAction", "Parameter", "Delete", "FaceId",
  // "Style", "PasteFace", "Picture", "Mask", "Popup.CommandBar" (a property's name fails both
  // reading and setting it). An unknown name raises std::invalid_argument.
  void FailOn(std::string operation);
  void ClearFailures();
  // The names FailOn knows, sorted.
  std::vector<std::string> FailureNames() const;

  // Called with one line per event: "mail displayed: <path>", the windows'
  // lines above, "folder switched to <path>", "folder switch to <path>
  // cancelled", "toolbar <name> added", "toolbar <name> reset", "toolbar
  // <name>: <n> controls" (made visible; the menus' items counted too),
  // "toolbar <name> hidden", "face pasted on <tag>", "click <tag>".
  void SetListener(Listener listener);

  // Every displayed item, in order. The reference is valid while this object
  // lives; a Display adds to it.
  const std::vector<DisplayedMail>& Displayed() const;

  const String& OutboxFolder() const;

 protected:
  OutlookState& State() { return *state_; }

 private:
  void MakeLists();
  std::shared_ptr<StandinExplorer> LastOpenExplorer() const;

  std::shared_ptr<OutlookState> state_;
  std::shared_ptr<StandinWindowList<host::outlook::Explorer, host::outlook::ExplorersEvents>>
      explorerList_;
  std::shared_ptr<StandinWindowList<host::outlook::Inspector, host::outlook::InspectorsEvents>>
      inspectorList_;
  // The open windows as the host interface hands them out.
  std::vector<std::shared_ptr<host::outlook::Explorer>> explorerItems_;
  std::vector<std::shared_ptr<host::outlook::Inspector>> inspectorItems_;
  std::vector<std::shared_ptr<StandinExplorer>> explorers_;  // in the order opened
  std::shared_ptr<StandinExplorer> active_;
  std::vector<std::shared_ptr<StandinInspector>> inspectors_;
  int explorersOpened_ = 0;
  int inspectorsOpened_ = 0;
};

}  // namespace ostrel::standin
