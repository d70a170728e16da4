#include "ostrel/Session.h"

#include <dlfcn.h>

#include <algorithm>

#include "addin/Registration.h"
#include "addin/ServerIdentity.h"
#include "common/Text.h"
#include "posix/HiveRegistry.h"
#include "posix/RecordingUi.h"
#include "settings/SettingsLayout.h"
#include "settings/modRegistry.h"

namespace ostrel::standin {

namespace outlook = host::outlook;

namespace {

// IDTExtensibility2's ext_cm_Startup and ext_dm_HostShutdown.
constexpr int kConnectAtStartup = 1;
constexpr int kDisconnectHostShutdown = 0;

class Instance final : public outlook::AddInInstance {
 public:
  explicit Instance(String progId) : progId_(std::move(progId)) {}
  String ProgId() override { return progId_; }

 private:
  String progId_;
};

using CreateObject = outlook::AddInConnection* (*)(const char*, host::Platform*);
using ReleaseObject = void (*)(outlook::AddInConnection*);

std::string Utf8(const String& text) {
  return Utf16ToUtf8(text);
}

}  // namespace

struct Session::LoadedAddIn {
  String progId;
  Instance instance;
  void* module = nullptr;
  outlook::AddInConnection* object = nullptr;
  ReleaseObject release = nullptr;

  LoadedAddIn(String id) : progId(id), instance(std::move(id)) {}
  ~LoadedAddIn() {
    if (object != nullptr && release != nullptr)
      release(object);
    if (module != nullptr)
      dlclose(module);
  }
};

Session::Session(posix::PosixPlatform& platform, StandinApplication& outlook, Output output)
    : platform_(platform), outlook_(outlook), out_(std::move(output)) {}

Session::~Session() {
  if (running_)
    Quit();
}

void Session::RequireRunning() const {
  if (!running_)
    throw ActionError("Outlook is not running (start it first)");
}

void Session::RequireNoMessageBox() const {
  if (const auto& box = platform_.dialogs().PendingMessage())
    throw ActionError("a message box is up (\"" + Utf8(box->text) + "\"): answer OK first");
}

void Session::Execute(const Command& command) {
  const std::string& verb = command.verb;
  const auto& args = command.args;
  if (verb == "help") {
    out_(
        "actions: start, quit, open-explorer, close-explorer, open-inspector, "
        "close-inspector, switch-folder PATH, click TARGET, type CONTROL TEXT, "
        "select CONTROL INDEX, tab, show, answer OK, close");
    return;
  }
  if (verb == "start")
    return Start();
  RequireRunning();
  if (verb == "answer")
    return Answer(args[0]);
  if (verb == "show") {
    // Looking is always possible, a message box up or not.
    if (const auto& box = platform_.dialogs().PendingMessage())
      out_("message box up: \"" + Utf8(box->caption) + "\": " + Utf8(box->text));
    return Show();
  }
  RequireNoMessageBox();
  if (verb == "quit")
    return Quit();
  if (verb == "open-explorer") {
    outlook_.OpenExplorer();
  } else if (verb == "close-explorer") {
    if (outlook_.Explorers().empty())
      throw ActionError("no explorer is open");
    outlook_.CloseExplorer();
  } else if (verb == "open-inspector") {
    outlook_.OpenInspector();
  } else if (verb == "close-inspector") {
    if (outlook_.Inspectors().empty())
      throw ActionError("no inspector is open");
    outlook_.CloseInspector();
  } else if (verb == "switch-folder") {
    if (outlook_.Explorers().empty())
      throw ActionError("no explorer is open");
    outlook_.SwitchFolder(Utf8ToUtf16(args[0]));
  } else if (verb == "click") {
    Click(args[0]);
  } else if (verb == "type") {
    Type(args[0], args[1]);
  } else if (verb == "select") {
    Select(args[0], args[1]);
  } else if (verb == "tab") {
    ui::Dialog* dialog = ActiveDialog();
    if (dialog == nullptr)
      throw ActionError("no dialog is open");
    Report(ui::Tab(*dialog), "tab");
  } else if (verb == "close") {
    ui::Dialog* dialog = ActiveDialog();
    if (dialog == nullptr)
      throw ActionError("no dialog is open");
    Report(ui::CloseWindow(*dialog), "close " + Utf8(dialog->name()));
  }
}

void Session::Start() {
  if (running_)
    throw ActionError("Outlook is already running");
  running_ = true;
  outlook_.OpenExplorer();
  LoadAddIns();
  for (auto& addIn : addIns_)
    addIn->object->OnStartupComplete({});
}

void Session::LoadAddIns() {
  // Outlook's list of add-ins for this user: every subkey of Addins with
  // LoadBehavior 3 is loaded, its class created as COM creates it.
  posix::HiveRegistry hives(platform_.profileDir());
  posix::RegTree tree;
  std::string message;
  if (!hives.ReadHive(host::RegRoot::CurrentUser, &tree, &message)) {
    out_("add-ins: cannot read the registry: " + message);
    return;
  }
  const String listPath = u"HKEY_CURRENT_USER\\" + String(settings::kOutlookKey) + u"\\Addins";
  const posix::RegKeyNode* list = tree.Find(listPath);
  if (list == nullptr)
    return;
  for (const auto& [progId, key] : list->subkeys) {
    const RegValue behavior =
        ReadRegValue(platform_.services(), host::RegRoot::CurrentUser,
                     String(settings::kOutlookKey) + u"\\Addins\\" + progId, u"LoadBehavior");
    if (behavior != RegValue::Number(3))
      continue;
    const std::optional<String> server = InprocServerOf(platform_.services(), progId);
    const RegValue clsid = ReadRegValue(platform_.services(), host::RegRoot::CurrentUser,
                                        u"Software\\Classes\\" + progId + u"\\CLSID", u"");
    if (!server) {
      out_("add-in " + Utf8(progId) + ": no server registered");
      continue;
    }
    auto loaded = std::make_unique<LoadedAddIn>(progId);
    loaded->module = dlopen(Utf8(*server).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (loaded->module == nullptr) {
      out_("add-in " + Utf8(progId) + ": cannot load " + Utf8(*server) + ": " + dlerror());
      continue;
    }
    auto create = reinterpret_cast<CreateObject>(dlsym(loaded->module, "OstrelCreateObject"));
    loaded->release = reinterpret_cast<ReleaseObject>(dlsym(loaded->module, "OstrelReleaseObject"));
    if (create != nullptr)
      loaded->object = create(Utf8(clsid.AsText()).c_str(), &platform_.services());
    if (loaded->object == nullptr) {
      out_("add-in " + Utf8(progId) + ": " + Utf8(*server) + " made no object of its class");
      continue;
    }
    out_("add-in " + Utf8(progId) + " loaded from " + Utf8(*server));
    loaded->object->OnConnection(outlook_, kConnectAtStartup, loaded->instance, {});
    addIns_.push_back(std::move(loaded));
  }
}

void Session::Quit() {
  for (auto& addIn : addIns_)
    addIn->object->OnBeginShutdown({});
  while (!outlook_.Explorers().empty())
    outlook_.CloseExplorer();
  while (!outlook_.Inspectors().empty())
    outlook_.CloseInspector();
  for (auto& addIn : addIns_)
    addIn->object->OnDisconnection(kDisconnectHostShutdown, {});
  addIns_.clear();
  outlook_.Quit();
  running_ = false;
  out_("Outlook has quit");
}

ui::Dialog* Session::ActiveDialog() const {
  ui::Dialog* active = nullptr;
  for (const auto& addIn : addIns_)
    for (ui::Dialog* dialog : addIn->object->Dialogs()) {
      if (!dialog->visible || dialog->Unloaded())
        continue;
      if (dialog->modalChild != nullptr)
        continue;  // its modal child has the focus
      if (active == nullptr || dialog->ShownAt() > active->ShownAt())
        active = dialog;
    }
  return active;
}

ui::Control* Session::FindControl(ui::Dialog& dialog, const std::string& target) const {
  const auto name = ParseControlName(target);
  if (!name)
    return nullptr;
  return dialog.Find(Utf8ToUtf16(name->name), name->index);
}

void Session::Report(ui::Outcome outcome, const std::string& what) const {
  switch (outcome) {
    case ui::Outcome::Done:
      return;
    case ui::Outcome::Refused:
      // The field with the focus kept it, as it would for a person; its message
      // box is up.
      out_(what + ": refused, the focus stays where it was");
      return;
    case ui::Outcome::NotPossible:
      throw ActionError(what + ": not possible now (hidden, disabled or behind another dialog)");
  }
}

void Session::Click(const std::string& target) {
  if (ui::Dialog* dialog = ActiveDialog()) {
    if (ui::Control* control = FindControl(*dialog, target)) {
      Report(ui::Click(*control), "click " + target);
      return;
    }
  }
  try {
    outlook_.ClickControl(Utf8ToUtf16(target));
  } catch (const std::exception& error) {
    throw ActionError("click " + target + ": no such control on the open dialog or the toolbar (" +
                      error.what() + ")");
  }
}

void Session::Type(const std::string& target, const std::string& text) {
  ui::Dialog* dialog = ActiveDialog();
  if (dialog == nullptr)
    throw ActionError("type: no dialog is open");
  ui::Control* control = FindControl(*dialog, target);
  if (control == nullptr)
    throw ActionError("type: no control " + target + " on " + Utf8(dialog->name()));
  Report(ui::Type(*control, Utf8ToUtf16(text)), "type " + target);
}

void Session::Select(const std::string& target, const std::string& position) {
  ui::Dialog* dialog = ActiveDialog();
  if (dialog == nullptr)
    throw ActionError("select: no dialog is open");
  ui::Control* control = FindControl(*dialog, target);
  if (control == nullptr)
    throw ActionError("select: no control " + target);
  int index = -1;
  try {
    index = std::stoi(position);
  } catch (const std::exception&) {
    throw ActionError("select: " + position + " is no position");
  }
  Report(ui::Select(*control, index), "select " + target + " " + position);
}

void Session::Answer(const std::string& button) {
  if (button != "OK")
    throw ActionError("answer: the add-in's message boxes have OK only");
  if (!platform_.dialogs().AnswerMessage())
    throw ActionError("answer: no message box is up");
}

}  // namespace ostrel::standin
