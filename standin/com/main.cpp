// ostrel-outlook: Outlook's stand-in on Windows. It keeps a profile (toolbar
// settings and an outbox of drafts), loads the add-ins of the user's add-in
// list through COM as Outlook does, hands them its object model as automation
// objects, and carries out user actions read from the terminal or a script:
// Outlook's side on Outlook's thread, the add-in's dialogs through their real
// windows as a person's input arrives. It prints what happens; what the add-in
// asks of the desktop is observed from outside it (links reach this program as
// the registered handler of web addresses, windows appear). The registry is
// Windows' own: the add-in is installed beforehand (regsvr32 or its package),
// as for Outlook.
#include "win32/WindowsHeaders.h"

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "common/Text.h"
#include "outlook/StandinApplication.h"
#include "script/Session.h"
#include "standin/com/ComLoader.h"
#include "standin/com/Desktop.h"
#include "standin/com/DialogDriver.h"
#include "standin/com/ExplorerWindow.h"
#include "standin/com/UiThread.h"
#include "win32/Win32Services.h"

namespace {

using ostrel::String;
namespace com = ostrel::standin::com;

constexpr const char* kUsage =
    "usage: ostrel-outlook [--profile DIR] [--script FILE] [--outlook-version N]\n"
    "       ostrel-outlook --handle-links     (test prefixes: take over http and https)\n"
    "\n"
    "Outlook's stand-in. Reads one action per line from FILE or the terminal;\n"
    "type 'help' for the actions. The profile defaults to %OSTREL_PROFILE%, else\n"
    "%LOCALAPPDATA%\\Ostrel\\Profile. N is the Outlook version it plays: 11 (2003),\n"
    "12 (2007), 14 (2010), 15 (2013) or 16 (2016 and later, the default).\n";

std::mutex printing;

// One line at a time: Outlook's thread and the script's both print.
void Print(const std::string& line) {
  std::lock_guard<std::mutex> lock(printing);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

String Environment(const wchar_t* name) {
  wchar_t value[4096] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, value, 4096);
  return length > 0 && length < 4096 ? String(reinterpret_cast<char16_t*>(value), length)
                                     : String();
}

struct Arguments {
  String profile;
  std::string script;
  int version = 16;
};

// The script's thread: one action after the other, until the input ends or a
// script's action fails (the exit code, 1).
int RunScript(const Arguments& arguments, ostrel::host::Platform& platform,
              ostrel::standin::StandinApplication& outlook, com::UiThread& ui,
              com::WindowDialogDriver& dialogs, com::DesktopWatch& desktop) {
  std::ifstream file;
  if (!arguments.script.empty()) {
    file.open(arguments.script);
    if (!file) {
      Print("ostrel-outlook: cannot read " + arguments.script);
      return 1;
    }
  }
  std::istream& input = arguments.script.empty() ? std::cin : file;
  const auto blocked = [&dialogs] { return dialogs.MessageBox().has_value(); };
  const auto onOutlook = [&](const std::function<void()>& work) { ui.Run(work, blocked); };
  com::ComLoader loader(outlook);
  // Outlook's main window, made and drawn on Outlook's thread.
  std::unique_ptr<com::ExplorerWindow> window;
  onOutlook([&window] { window = std::make_unique<com::ExplorerWindow>(); });
  int code = 0;
  {
    ostrel::standin::Session session(platform, outlook, loader, dialogs, Print, onOutlook);
    std::string line;
    int number = 0;
    while (std::getline(input, line)) {
      ++number;
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      try {
        if (const auto command = ostrel::standin::ParseCommand(line)) {
          session.Execute(*command);
          // What the action asked of the desktop: links and windows.
          onOutlook([&] {
            window->Update(!outlook.Explorers().empty(), session.RibbonGroups());
            desktop.Settle();
          });
        }
      } catch (const std::exception& failure) {
        Print((arguments.script.empty() ? std::string()
                                        : arguments.script + ":" + std::to_string(number) + ": ") +
              "error: " + failure.what());
        if (!arguments.script.empty()) {
          code = 1;
          break;
        }
      }
    }
  }  // a session still running quits here, on Outlook's thread
  onOutlook([&window] { window.reset(); });
  ui.Stop();
  return code;
}

int Run(int argc, wchar_t** argv) {
  Arguments arguments{Environment(L"OSTREL_PROFILE"), {}};
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
    if (arg == u"--profile" && i + 1 < argc) {
      arguments.profile = reinterpret_cast<const char16_t*>(argv[++i]);
    } else if (arg == u"--outlook-version" && i + 1 < argc) {
      const std::string number = ostrel::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[++i]));
      arguments.version = std::atoi(number.c_str());
    } else if (arg == u"--script" && i + 1 < argc) {
      arguments.script = ostrel::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[++i]));
    } else {
      std::fputs(kUsage, arg == u"--help" ? stdout : stderr);
      return arg == u"--help" ? 0 : 2;
    }
  }
  if (arguments.profile.empty())
    arguments.profile = Environment(L"LOCALAPPDATA") + u"\\Ostrel\\Profile";
  ::SHCreateDirectoryExW(nullptr, reinterpret_cast<const wchar_t*>(arguments.profile.c_str()),
                         nullptr);
  Print("profile: " + ostrel::Utf16ToUtf8(arguments.profile));

  // This thread is Outlook's: everything of Outlook and the add-ins is made
  // and called here.
  ostrel::win32::Win32Platform platform;
  ostrel::standin::StandinApplication outlook(
      platform.services().files, platform.services().clipboard, arguments.profile + u"\\Outbox",
      arguments.profile, [] { return static_cast<std::int64_t>(std::time(nullptr)); });
  try {
    outlook.SetVersion(arguments.version);
  } catch (const std::exception& error) {
    Print(std::string("ostrel-outlook: --outlook-version: ") + error.what());
    return 2;
  }
  outlook.SetListener(Print);
  com::UiThread ui;
  com::WindowDialogDriver dialogs;
  dialogs.SetListener(Print);
  com::DesktopWatch desktop(Print);
  int code = 0;
  std::thread script(
      [&] { code = RunScript(arguments, platform.services(), outlook, ui, dialogs, desktop); });
  ui.Loop();
  script.join();
  return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::OleInitialize(nullptr);
  const int code = Run(argc, argv);
  ::OleUninitialize();
  return code;
}
