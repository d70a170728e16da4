#include "script/Session.h"

#include <algorithm>

#include "common/Text.h"

namespace ostrel::standin {

namespace {

constexpr const char* kHelp =
    "actions: start [explorer|inspector|none], quit, open-explorer, close-explorer [N], "
    "open-inspector, close-inspector [N], switch-folder PATH, disconnect, connect, objects, "
    "click TARGET, type CONTROL TEXT, select CONTROL INDEX, tab, show, answer OK, close, "
    "fail OPERATION, clear-failures";

// The window number of "close-explorer N"; nothing for a word that is none.
std::optional<int> WindowNumber(const std::string& word) {
  if (word.empty() || word.size() > 6 ||
      !std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return std::stoi(word);
}

}  // namespace

Session::Session(host::Platform& platform, StandinApplication& outlook, AddInLoader& loader,
                 DialogDriver& dialogs, Output output, OnOutlook onOutlook)
    : platform_(platform),
      outlook_(outlook),
      loader_(loader),
      dialogs_(dialogs),
      out_(std::move(output)),
      onOutlook_(onOutlook ? std::move(onOutlook)
                           : [](const std::function<void()>& work) { work(); }) {}

Session::~Session() {
  if (running_)
    onOutlook_([this] { Quit(); });
}

void Session::RequireRunning() const {
  if (!running_)
    throw ActionError("Outlook is not running (start it first)");
}

void Session::RequireNoMessageBox() {
  if (const auto box = dialogs_.MessageBox())
    throw ActionError("a message box is up (\"" + box->text + "\"): answer OK first");
}

void Session::Execute(const Command& command) {
  const std::string& verb = command.verb;
  const auto& args = command.args;
  if (verb == "help") {
    out_(kHelp);
    std::string operations = "operations for fail:";
    for (const std::string& name : outlook_.FailureNames())
      operations += " " + name;
    out_(operations);
    return;
  }
  // Failures may be set before the start, for what the add-in does at
  // connection.
  if (verb == "fail") {
    const std::string operation = args[0];
    return onOutlook_([this, operation] { FailOn(operation); });
  }
  if (verb == "clear-failures") {
    return onOutlook_([this] {
      outlook_.ClearFailures();
      out_("host operations work again");
    });
  }
  if (verb == "start") {
    const std::string windows = args.empty() ? std::string("explorer") : args[0];
    return onOutlook_([this, windows] { Start(windows); });
  }
  RequireRunning();
  if (verb == "answer")
    return Answer(args[0]);
  if (verb == "show") {
    // Looking is always possible, a message box up or not.
    if (const auto box = dialogs_.MessageBox())
      out_("message box up: \"" + box->caption + "\": " + box->text);
    return Show();
  }
  if (verb == "objects") {
    return onOutlook_(
        [this] { out_("objects held by add-ins: " + std::to_string(outlook_.HeldObjects())); });
  }
  // A message box of an add-in is modal to the add-in's own dialog only:
  // Outlook's windows still take the user's actions beneath it.
  if (verb == "quit")
    return onOutlook_([this] { Quit(); });
  if (verb == "close-explorer" || verb == "close-inspector") {
    const std::vector<std::string> which = args;
    const std::string kind = verb == "close-explorer" ? "explorer" : "inspector";
    return onOutlook_([this, kind, which] { CloseWindow(kind, which); });
  }
  RequireNoMessageBox();
  if (verb == "open-explorer") {
    onOutlook_([this] {
      outlook_.OpenExplorer();
      LoadRibbons();
    });
  } else if (verb == "disconnect") {
    onOutlook_([this] { DisconnectAddIns(); });
  } else if (verb == "connect") {
    onOutlook_([this] { ConnectAddIns(); });
  } else if (verb == "open-inspector") {
    onOutlook_([this] { outlook_.OpenInspector(); });
  } else if (verb == "switch-folder") {
    const String folder = Utf8ToUtf16(args[0]);
    onOutlook_([this, folder] {
      if (outlook_.Explorers().empty())
        throw ActionError("no explorer is open");
      outlook_.SwitchFolder(folder);
    });
  } else if (verb == "click") {
    Click(args[0]);
  } else if (verb == "type") {
    Type(args[0], args[1]);
  } else if (verb == "select") {
    Select(args[0], args[1]);
  } else if (verb == "tab") {
    ActiveDialogOrThrow("");
    Report(dialogs_.Tab(), "tab");
  } else if (verb == "close") {
    const std::string name = ActiveDialogOrThrow("");
    Report(dialogs_.Close(), "close " + name);
  }
  // A box the action brought up is looked at once now, while the dialog it
  // stands over is still the active one.
  dialogs_.MessageBox();
}

void Session::FailOn(const std::string& operation) {
  try {
    outlook_.FailOn(operation);
  } catch (const std::invalid_argument& error) {
    throw ActionError(std::string("fail: ") + error.what());
  }
  out_("host operation " + operation + " fails from now on");
}

void Session::Start(const std::string& windows) {
  if (running_)
    throw ActionError("Outlook is already running");
  if (windows != "explorer" && windows != "inspector" && windows != "none")
    throw ActionError("start: \"" + windows + "\" is not explorer, inspector or none");
  running_ = true;
  if (windows == "explorer")
    outlook_.OpenExplorer();
  else if (windows == "inspector")
    outlook_.OpenInspector();
  LoadAddIns();
  LoadRibbons();
  for (auto& loaded : addIns_)
    loaded.addIn->StartupComplete();
}

void Session::LoadAddIns() {
  // Outlook's list of add-ins for this user: every entry with LoadBehavior 3
  // is loaded, its class created as COM creates it.
  for (const RegisteredAddIn& entry : ReadAddInList(platform_)) {
    if (entry.loadBehavior != kLoadAtStartup)
      continue;
    const std::string name = Utf16ToUtf8(entry.progId);
    if (!entry.server) {
      out_("add-in " + name + ": no server registered");
      continue;
    }
    std::unique_ptr<LoadedAddIn> loaded;
    try {
      loaded = loader_.Load(entry);
    } catch (const LoadError& error) {
      out_("add-in " + name + ": " + error.what());
      continue;
    }
    out_("add-in " + name + " loaded from " + Utf16ToUtf8(*entry.server));
    loaded->Connect(host::outlook::ext_cm_Startup);
    addIns_.push_back(Loaded{name, std::move(loaded), true, false, nullptr});
  }
}

void Session::DisconnectAddIns() {
  // What unticking an add-in in the COM Add-ins dialog does: OnBeginShutdown,
  // then OnDisconnection with ext_dm_UserClosed; the add-in stays loaded.
  for (auto& loaded : addIns_) {
    if (!loaded.connected)
      continue;
    loaded.addIn->BeginShutdown();
    loaded.addIn->Disconnect(host::outlook::ext_dm_UserClosed);
    loaded.connected = false;
    // Office takes the add-in's ribbon away with it.
    loaded.ribbon.reset();
    loaded.ribbonAsked = false;
    out_("add-in " + loaded.name + " disconnected (user closed)");
  }
}

void Session::ConnectAddIns() {
  // Ticking it again: OnConnection with ext_cm_AfterStartup, and no
  // OnStartupComplete ("If the add-in is not loaded at startup, the
  // OnStartupComplete method is not called", IDTExtensibility2 reference).
  for (auto& loaded : addIns_) {
    if (loaded.connected)
      continue;
    loaded.addIn->Connect(host::outlook::ext_cm_AfterStartup);
    loaded.connected = true;
    out_("add-in " + loaded.name + " connected");
  }
  LoadRibbons();
}

void Session::LoadRibbons() {
  // Office asks an add-in for its markup once per ribbon ID, not once per
  // window: every explorer shows the same groups. Ribbon extensibility
  // ("Customizing the Office Fluent Ribbon by using a managed COM add-in"):
  // QueryInterface for IRibbonExtensibility after OnConnection, then
  // GetCustomUI with the ribbon ID.
  if (outlook_.MajorVersion() < 14 || outlook_.Explorers().empty())
    return;
  for (auto& loaded : addIns_) {
    if (!loaded.connected || loaded.ribbonAsked)
      continue;
    loaded.ribbonAsked = true;
    host::office::RibbonExtensibility* extensibility = loaded.addIn->Ribbon();
    if (extensibility == nullptr)
      continue;
    try {
      loaded.ribbon =
          std::make_unique<AddInRibbon>(*extensibility, String(kExplorerRibbon), platform_.gdi);
    } catch (const CustomUiError& error) {
      out_("ribbon of " + loaded.name + " refused: " + error.what());
      continue;
    }
    for (const std::string& problem : loaded.ribbon->problems())
      out_("ribbon of " + loaded.name + ": " + problem);
    for (const std::string& line : loaded.ribbon->Summary())
      out_(line);
  }
}

void Session::Quit() {
  // Outlook 2010 and later exit without OnBeginShutdown and OnDisconnection
  // ("Shutdown changes for Outlook 2010"; "In Outlook 2010, the Shutdown
  // event is not raised when Outlook exits", AddInBase.Shutdown event): the
  // process ends under the add-ins. Older versions tell them first, close
  // their windows, then disconnect them.
  const bool notify = !outlook_.FastShutdown();
  if (notify) {
    for (auto& loaded : addIns_)
      if (loaded.connected)
        loaded.addIn->BeginShutdown();
    while (!outlook_.Explorers().empty())
      outlook_.CloseExplorer();
    while (!outlook_.Inspectors().empty())
      outlook_.CloseInspector();
    for (auto& loaded : addIns_) {
      if (!loaded.connected)
        continue;
      loaded.addIn->Disconnect(host::outlook::ext_dm_HostShutdown);
      out_("add-in " + loaded.name + " disconnected (host shutdown)");
    }
  }
  addIns_.clear();
  outlook_.Quit();
  running_ = false;
  out_("Outlook has quit");
}

void Session::CloseWindow(const std::string& kind, const std::vector<std::string>& args) {
  const bool explorer = kind == "explorer";
  if (explorer ? outlook_.Explorers().empty() : outlook_.Inspectors().empty())
    throw ActionError("no " + kind + " is open");
  if (args.empty()) {
    // The active explorer, or the newest inspector.
    explorer ? outlook_.CloseExplorer() : outlook_.CloseInspector();
    return;
  }
  const std::optional<int> number = WindowNumber(args[0]);
  if (!number)
    throw ActionError("close-" + kind + ": \"" + args[0] + "\" is no window number");
  const auto open = [&](const auto& windows) {
    const auto found = std::find_if(windows.begin(), windows.end(), [&](const auto& window) {
      return window->Number() == *number && !window->IsClosing();
    });
    return found == windows.end() ? nullptr : *found;
  };
  if (explorer) {
    if (auto window = open(outlook_.Explorers()))
      return outlook_.CloseExplorer(window);
  } else if (auto window = open(outlook_.Inspectors())) {
    return outlook_.CloseInspector(window);
  }
  throw ActionError(kind + " " + args[0] + " is not open");
}

std::string Session::ActiveDialogOrThrow(const std::string& prefix) {
  const std::optional<std::string> name = dialogs_.ActiveDialog();
  if (!name)
    throw ActionError(prefix + "no dialog is open");
  return *name;
}

void Session::Report(DialogOutcome outcome, const std::string& what) const {
  switch (outcome) {
    case DialogOutcome::Done:
      return;
    case DialogOutcome::Refused:
      // The field with the focus kept it, as it would for a person; its message
      // box is up.
      out_(what + ": refused, the focus stays where it was");
      return;
    case DialogOutcome::NotPossible:
      throw ActionError(what + ": not possible now (hidden, disabled or behind another dialog)");
    case DialogOutcome::NoDialog:
      throw ActionError(what + ": no dialog is open");
    case DialogOutcome::NoControl:
      throw ActionError(what + ": no such control");
  }
}

void Session::Click(const std::string& target) {
  if (dialogs_.HasControl(target)) {
    Report(dialogs_.Click(target), "click " + target);
    return;
  }
  onOutlook_([this, target] {
    const String id = Utf8ToUtf16(target);
    for (auto& loaded : addIns_) {
      if (!loaded.ribbon || !loaded.ribbon->Has(id) || outlook_.Explorers().empty())
        continue;
      out_("click " + target + " (ribbon)");
      try {
        loaded.ribbon->Click(id);
      } catch (const std::runtime_error& error) {
        throw ActionError("click " + target + ": " + error.what());
      }
      return;
    }
    try {
      outlook_.ClickControl(id);
    } catch (const std::exception& error) {
      throw ActionError("click " + target +
                        ": no such control on the open dialog, the toolbar or the ribbon (" +
                        error.what() + ")");
    }
  });
}

void Session::Type(const std::string& target, const std::string& text) {
  const std::string name = ActiveDialogOrThrow("type: ");
  if (!dialogs_.HasControl(target))
    throw ActionError("type: no control " + target + " on " + name);
  Report(dialogs_.Type(target, text), "type " + target);
}

void Session::Select(const std::string& target, const std::string& position) {
  ActiveDialogOrThrow("select: ");
  if (!dialogs_.HasControl(target))
    throw ActionError("select: no control " + target);
  int index = -1;
  try {
    index = std::stoi(position);
  } catch (const std::exception&) {
    throw ActionError("select: " + position + " is no position");
  }
  Report(dialogs_.Select(target, index), "select " + target + " " + position);
}

void Session::Show() {
  const std::vector<std::string> lines = dialogs_.Show();
  if (lines.empty()) {
    onOutlook_([this] {
      std::vector<std::string> lines = outlook_.DescribeToolbars();
      if (!outlook_.Explorers().empty())
        for (const auto& loaded : addIns_)
          if (loaded.ribbon)
            for (std::string& line : loaded.ribbon->Describe())
              lines.push_back(std::move(line));
      if (lines.empty())
        out_(outlook_.Explorers().empty() ? "no explorer is open"
                                          : "the explorer has no toolbars and no ribbon groups");
      for (const std::string& line : lines)
        out_(line);
    });
    return;
  }
  for (const std::string& line : lines)
    out_(line);
}

std::vector<AddInRibbon::Group> Session::RibbonGroups() const {
  std::vector<AddInRibbon::Group> groups;
  for (const auto& loaded : addIns_)
    if (loaded.ribbon)
      for (const AddInRibbon::Group& group : loaded.ribbon->groups())
        groups.push_back(group);
  return groups;
}

void Session::Answer(const std::string& button) {
  if (button != "OK")
    throw ActionError("answer: the add-in's message boxes have OK only");
  if (!dialogs_.AnswerMessageBox(button))
    throw ActionError("answer: no message box is up");
}

}  // namespace ostrel::standin
