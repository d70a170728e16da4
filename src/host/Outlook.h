// Outlook's object model as the add-in uses it: the Application and the mail
// items it creates. Each call may fail, raising host::HostError to the caller.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "host/Office.h"
#include "host/String.h"

namespace ostrel::host::outlook {

// OlItemType.olMailItem.
inline constexpr int olMailItem = 0;

class MailItem {
 public:
  virtual ~MailItem() = default;  // releasing the item; an undisplayed item is discarded
  virtual void SetTo(const String& to) = 0;
  virtual void SetSubject(const String& subject) = 0;
  virtual void SetHTMLBody(const String& html) = 0;
  // Opens the item's window (not modal) and returns at once.
  virtual void Display() = 0;
};

// The receiver of an explorer window's events.
class ExplorerEvents {
 public:
  virtual ~ExplorerEvents() = default;
  // The window became the active one.
  virtual void Activate() = 0;
  // The user is about to open another folder (named here by its path);
  // setting cancel keeps the current one.
  virtual void BeforeFolderSwitch(const String& newFolder, bool& cancel) = 0;
  virtual void Close() = 0;
};

// A main window of Outlook.
class Explorer {
 public:
  virtual ~Explorer() = default;
  virtual std::shared_ptr<office::CommandBars> CommandBars() = 0;
  virtual std::uint32_t Advise(ExplorerEvents* sink) = 0;
  virtual void Unadvise(std::uint32_t cookie) = 0;
};

class InspectorEvents {
 public:
  virtual ~InspectorEvents() = default;
  virtual void Close() = 0;
};

// An item window of Outlook.
class Inspector {
 public:
  virtual ~Inspector() = default;
  virtual std::uint32_t Advise(InspectorEvents* sink) = 0;
  virtual void Unadvise(std::uint32_t cookie) = 0;
};

class ExplorersEvents {
 public:
  virtual ~ExplorersEvents() = default;
  // A main window opened (Explorers.NewExplorer); it is not yet shown.
  virtual void NewExplorer(const std::shared_ptr<Explorer>& explorer) = 0;
};

class InspectorsEvents {
 public:
  virtual ~InspectorsEvents() = default;
  // An item window opened (Inspectors.NewInspector).
  virtual void NewInspector(const std::shared_ptr<Inspector>& inspector) = 0;
};

// Application.Explorers and Application.Inspectors: the open windows of one
// kind, and the event of a new one.
template <typename Window, typename Events>
class Windows {
 public:
  virtual ~Windows() = default;
  virtual int Count() = 0;
  // The window at the position, from 1 to Count.
  virtual std::shared_ptr<Window> Item(int position) = 0;
  virtual std::uint32_t Advise(Events* sink) = 0;
  virtual void Unadvise(std::uint32_t cookie) = 0;
};
using Explorers = Windows<Explorer, ExplorersEvents>;
using Inspectors = Windows<Inspector, InspectorsEvents>;

class Application {
 public:
  virtual ~Application() = default;
  // A new, unsaved item of the type; the add-in asks only for olMailItem.
  virtual std::unique_ptr<MailItem> CreateItem(int itemType) = 0;
  // Application.Version, "16.0.0.0" for Outlook 2016.
  virtual String Version() = 0;
  // Explorers.Count and Inspectors.Count.
  virtual int ExplorersCount() = 0;
  virtual int InspectorsCount() = 0;
  // The active main window; nullptr when no explorer is open.
  virtual std::shared_ptr<Explorer> ActiveExplorer() = 0;
  // The collections themselves, for their NewExplorer and NewInspector.
  virtual std::shared_ptr<Explorers> GetExplorers() = 0;
  virtual std::shared_ptr<Inspectors> GetInspectors() = 0;
};

// The host's object for this add-in (AddInInst).
class AddInInstance {
 public:
  virtual ~AddInInstance() = default;
  virtual String ProgId() = 0;
};

// ext_ConnectMode and ext_DisconnectMode of IDTExtensibility2.
inline constexpr int ext_cm_AfterStartup = 0;
inline constexpr int ext_cm_Startup = 1;
inline constexpr int ext_dm_HostShutdown = 0;
inline constexpr int ext_dm_UserClosed = 1;

// The add-in's side of the connection (IDTExtensibility2), which the host calls.
// The add-in holds the Application by the pointer it is given, and lets it go
// when Outlook has no window left.
class AddInConnection {
 public:
  virtual ~AddInConnection() = default;
  virtual void OnConnection(std::shared_ptr<Application> application, int connectMode,
                            AddInInstance& addInInst, const std::vector<String>& custom) = 0;
  virtual void OnDisconnection(int removeMode, const std::vector<String>& custom) = 0;
  virtual void OnAddInsUpdate(const std::vector<String>& custom) = 0;
  virtual void OnStartupComplete(const std::vector<String>& custom) = 0;
  virtual void OnBeginShutdown(const std::vector<String>& custom) = 0;
  // The object's IRibbonExtensibility, as QueryInterface finds it; nullptr
  // for an add-in without a ribbon.
  virtual office::RibbonExtensibility* Ribbon() { return nullptr; }
};

}  // namespace ostrel::host::outlook
