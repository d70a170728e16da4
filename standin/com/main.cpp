// ostrel-outlook: Outlook's stand-in on Windows. It keeps a profile (toolbar
// settings and an outbox of drafts), loads the add-ins of the user's add-in
// list through COM as Outlook does, hands them its object model as automation
// objects, and carries out user actions read from the terminal or a script,
// printing what happens. The registry is Windows' own: installing the add-in
// (regsvr32, or its package) is done beforehand, as for Outlook.
#include "win32/WindowsHeaders.h"

#include <shlobj.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "common/Text.h"
#include "outlook/StandinApplication.h"
#include "script/Commands.h"
#include "settings/SettingsLayout.h"
#include "standin/com/ComAddIns.h"
#include "standin/com/Desktop.h"
#include "standin/com/OutlookObjects.h"
#include "win32/Win32Services.h"

namespace {

namespace com = ostrel::standin::com;
using ostrel::String;
using ostrel::standin::Command;
using ostrel::win32::com::ComPtr;

constexpr const char* kUsage =
    "usage: ostrel-outlook [--profile DIR] [--script FILE]\n"
    "       ostrel-outlook --handle-links     (test prefixes: take over http and https)\n"
    "\n"
    "Outlook's stand-in. Reads one action per line from FILE or the terminal;\n"
    "type 'help' for the actions. The profile defaults to %OSTREL_PROFILE%, else\n"
    "%LOCALAPPDATA%\\Ostrel\\Profile.\n";

class ActionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void Print(const std::string& line) {
  std::cout << line << std::endl;
}

String Environment(const wchar_t* name) {
  wchar_t value[4096] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, value, 4096);
  return length > 0 && length < 4096 ? String(reinterpret_cast<char16_t*>(value), length)
                                     : String();
}

// An add-in loaded from the user's list.
struct LoadedAddIn {
  String progId;
  std::unique_ptr<com::ComAddIn> object;
  ComPtr<com::AddInObject> instance;
};

class Host {
 public:
  Host(ostrel::host::Platform& platform, const String& profile)
      : platform_(platform),
        outlook_(platform.files, platform.clipboard, profile + u"\\Outbox", profile,
                 [] { return static_cast<std::int64_t>(std::time(nullptr)); }),
        desktop_(Print) {
    outlook_.SetListener(Print);
    application_ = com::ApplicationObject::Make(outlook_);
  }
  ~Host() {
    if (running_)
      Quit();
  }

  void Execute(const Command& command) {
    const std::string& verb = command.verb;
    if (verb == "help") {
      Print(
          "actions: start, quit, open-explorer, close-explorer, open-inspector, "
          "close-inspector, switch-folder PATH, click TAG, show");
      return;
    }
    if (verb == "start")
      Start();
    else if (!running_)
      throw ActionError("Outlook is not running (start it first)");
    else if (verb == "quit")
      Quit();
    else if (verb == "open-explorer")
      outlook_.OpenExplorer();
    else if (verb == "close-explorer")
      Require(!outlook_.Explorers().empty(), "no explorer is open"), outlook_.CloseExplorer();
    else if (verb == "open-inspector")
      outlook_.OpenInspector();
    else if (verb == "close-inspector")
      Require(!outlook_.Inspectors().empty(), "no inspector is open"), outlook_.CloseInspector();
    else if (verb == "switch-folder")
      Require(!outlook_.Explorers().empty(), "no explorer is open"),
          outlook_.SwitchFolder(ostrel::Utf8ToUtf16(command.args[0]));
    else if (verb == "click")
      Click(command.args[0]);
    else if (verb == "show")
      for (const std::string& line : outlook_.DescribeToolbars())
        Print(line);
    else
      throw ActionError(verb + ": not available in this stand-in yet");
    desktop_.Settle();
  }
  bool Running() const { return running_; }

 private:
  static void Require(bool condition, const char* problem) {
    if (!condition)
      throw ActionError(problem);
  }

  void Start() {
    Require(!running_, "Outlook is already running");
    running_ = true;
    outlook_.OpenExplorer();
    LoadAddIns();
    for (auto& addIn : addIns_)
      addIn.object->OnStartupComplete();
  }

  void LoadAddIns() {
    // The user's add-in list: every subkey with LoadBehavior 3 is loaded.
    const std::wstring list =
        ostrel::win32::com::Wide(String(ostrel::settings::kOutlookKey) + u"\\Addins");
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, list.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return;
    std::vector<String> progIds;
    for (DWORD i = 0;; ++i) {
      wchar_t name[256];
      DWORD length = 256;
      if (::RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      DWORD behavior = 0;
      DWORD size = sizeof behavior;
      if (::RegGetValueW(key, name, L"LoadBehavior", RRF_RT_REG_DWORD, nullptr, &behavior, &size) ==
              ERROR_SUCCESS &&
          behavior == 3)
        progIds.emplace_back(reinterpret_cast<char16_t*>(name), length);
    }
    ::RegCloseKey(key);
    for (const String& progId : progIds) {
      std::string problem;
      LoadedAddIn loaded{progId, com::ComAddIn::Create(progId, &problem), nullptr};
      if (!loaded.object) {
        Print("add-in " + ostrel::Utf16ToUtf8(progId) + ": " + problem);
        continue;
      }
      loaded.instance = com::AddInObject::Make(outlook_.MakeAddInInstance(progId));
      Print("add-in " + ostrel::Utf16ToUtf8(progId) + " loaded through COM");
      loaded.object->OnConnection(application_->AsDispatch(), ext_cm_Startup,
                                  loaded.instance->AsDispatch());
      addIns_.push_back(std::move(loaded));
    }
  }

  void Quit() {
    for (auto& addIn : addIns_)
      addIn.object->OnBeginShutdown();
    while (!outlook_.Inspectors().empty())
      outlook_.CloseInspector();
    while (!outlook_.Explorers().empty())
      outlook_.CloseExplorer();
    for (auto& addIn : addIns_)
      addIn.object->OnDisconnection(ext_dm_HostShutdown);
    addIns_.clear();
    outlook_.Quit();
    ::CoFreeUnusedLibrariesEx(0, 0);
    running_ = false;
    Print("Outlook has quit");
  }

  void Click(const std::string& tag) {
    try {
      outlook_.ClickControl(ostrel::Utf8ToUtf16(tag));
    } catch (const std::exception& error) {
      throw ActionError("click " + tag + ": no such control on the toolbar (" + error.what() + ")");
    }
  }

  ostrel::host::Platform& platform_;
  ostrel::standin::StandinApplication outlook_;
  com::DesktopWatch desktop_;
  ComPtr<com::ApplicationObject> application_;
  std::vector<LoadedAddIn> addIns_;
  bool running_ = false;
};

int Run(int argc, wchar_t** argv) {
  String profile = Environment(L"OSTREL_PROFILE");
  std::string script;
  for (int i = 1; i < argc; ++i) {
    const String arg = reinterpret_cast<const char16_t*>(argv[i]);
    if (arg == u"--open-link" && i + 1 < argc)
      return com::DesktopWatch::ReportLink(reinterpret_cast<const char16_t*>(argv[i + 1]));
    if (arg == u"--handle-links") {
      std::string problem;
      const bool done = com::DesktopWatch::RegisterAsLinkHandler(&problem);
      Print(done ? "ostrel-outlook now opens http and https addresses"
                 : "ostrel-outlook: " + problem);
      return done ? 0 : 1;
    }
    if ((arg == u"--profile" || arg == u"--script") && i + 1 < argc) {
      const String value = reinterpret_cast<const char16_t*>(argv[++i]);
      (arg == u"--profile" ? void(profile = value) : void(script = ostrel::Utf16ToUtf8(value)));
    } else {
      std::cerr << kUsage;
      return arg == u"--help" ? 0 : 2;
    }
  }
  if (profile.empty())
    profile = Environment(L"LOCALAPPDATA") + u"\\Ostrel\\Profile";
  ::SHCreateDirectoryExW(nullptr, ostrel::win32::com::Wide(profile), nullptr);

  std::ifstream file;
  if (!script.empty()) {
    file.open(script);
    if (!file) {
      std::cerr << "ostrel-outlook: cannot read " << script << "\n";
      return 1;
    }
  }
  std::istream& input = script.empty() ? std::cin : file;
  Print("profile: " + ostrel::Utf16ToUtf8(profile));

  ostrel::win32::Win32Platform platform;
  Host host(platform.services(), profile);
  std::string line;
  int number = 0;
  while (std::getline(input, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    try {
      if (const auto command = ostrel::standin::ParseCommand(line))
        host.Execute(*command);
    } catch (const std::exception& failure) {
      Print((script.empty() ? std::string() : script + ":" + std::to_string(number) + ": ") +
            "error: " + failure.what());
      if (!script.empty())
        return 1;
    }
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::OleInitialize(nullptr);
  const int code = Run(argc, argv);
  ::OleUninitialize();
  return code;
}
