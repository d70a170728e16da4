// Outlook's stand-in driven by one action at a time, as a person at the
// terminal or a script drives it: Outlook's windows and toolbar, the add-ins
// it loads from the user's add-in list, and the dialogs those add-ins show.
// Shared by both stand-ins, which differ in how an add-in is loaded and how a
// dialog is driven (the two seams).
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/Platform.h"
#include "outlook/AddInRibbon.h"
#include "outlook/StandinApplication.h"
#include "script/AddInLoader.h"
#include "script/Commands.h"
#include "script/DialogDriver.h"

namespace ostrel::standin {

// An action that cannot be carried out at all (no such control or dialog, a
// click while a message box is up); a script stops at it.
class ActionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Session {
 public:
  using Output = std::function<void(const std::string& line)>;
  // Runs Outlook's side of an action where Outlook's objects and the add-ins
  // live. The Windows stand-in runs it on Outlook's thread and returns early
  // when a message box holds that thread; by default it runs in place.
  using OnOutlook = std::function<void(const std::function<void()>& work)>;
  // `platform` holds the registry the add-in list is read from.
  Session(host::Platform& platform, StandinApplication& outlook, AddInLoader& loader,
          DialogDriver& dialogs, Output output, OnOutlook onOutlook = nullptr);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Carries out one action; throws ActionError when it cannot be carried out.
  void Execute(const Command& command);
  bool Running() const { return running_; }
  // The groups the connected add-ins have on the ribbon of Outlook's main
  // window; on Outlook's thread.
  std::vector<AddInRibbon::Group> RibbonGroups() const;

 private:
  // "explorer" (the usual start), "inspector" (an item window only) or "none"
  // (started by another program, with no window).
  void Start(const std::string& windows);
  void Quit();
  void LoadAddIns();
  // The COM Add-ins dialog: the user unticks every loaded add-in, or ticks
  // them again.
  void DisconnectAddIns();
  void ConnectAddIns();
  // Outlook 2010 and later ask each connected add-in for its ribbon once an
  // explorer is there, and draw it: "ribbon <group>: N controls", or why the
  // markup was refused.
  void LoadRibbons();
  void CloseWindow(const std::string& kind, const std::vector<std::string>& args);
  void Click(const std::string& target);
  void Type(const std::string& target, const std::string& text);
  void Select(const std::string& target, const std::string& position);
  void Show();
  void Answer(const std::string& button);
  void FailOn(const std::string& operation);
  void RequireRunning() const;
  void RequireNoMessageBox();
  // The active dialog's name; ActionError "<prefix>no dialog is open" when
  // there is none.
  std::string ActiveDialogOrThrow(const std::string& prefix);
  void Report(DialogOutcome outcome, const std::string& what) const;

  host::Platform& platform_;
  StandinApplication& outlook_;
  AddInLoader& loader_;
  DialogDriver& dialogs_;
  Output out_;
  OnOutlook onOutlook_;
  bool running_ = false;
  struct Loaded {
    std::string name;  // the ProgID
    std::unique_ptr<LoadedAddIn> addIn;
    bool connected = false;
    bool ribbonAsked = false;
    std::unique_ptr<AddInRibbon> ribbon;
  };
  std::vector<Loaded> addIns_;
};

}  // namespace ostrel::standin
