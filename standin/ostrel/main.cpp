// ostrel-standin: Outlook's stand-in as a program. It keeps a profile (registry
// hives, toolbar settings, outbox), loads the add-ins registered there and
// carries out user actions read from the terminal or from a script, printing
// everything the add-in asks of the platform as it happens.
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "common/Text.h"
#include "ostrel/HeadlessDialogs.h"
#include "ostrel/ModuleLoader.h"
#include "ostrel/Profile.h"
#include "outlook/StandinApplication.h"
#include "posix/PosixPlatform.h"
#include "posix/RecordingUi.h"
#include "script/Commands.h"
#include "script/Session.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: ostrel-standin [--profile DIR] [--script FILE] [--outlook-version N]\n"
    "\n"
    "Outlook's stand-in. Reads one action per line from FILE or the terminal;\n"
    "type 'help' for the actions. The profile defaults to $OSTREL_PROFILE, else\n"
    "$XDG_CONFIG_HOME/ostrel/profile, else ~/.config/ostrel/profile. N is the\n"
    "Outlook version it plays: 11 (2003), 12 (2007), 14 (2010), 15 (2013) or 16\n"
    "(2016 and later, the default).\n";

// The add-in's folder: beside this program in an installation (../addin), else
// the build tree's.
fs::path AddinFolder(const char* argv0) {
  std::error_code ignored;
  const fs::path self = fs::canonical("/proc/self/exe", ignored);
  for (const fs::path& candidate :
       {self.parent_path() / "addin", self.parent_path().parent_path() / "addin"})
    if (fs::exists(candidate / "Ostrel.so", ignored))
      return candidate;
  (void)argv0;
  return OSTREL_STANDIN_ADDIN_DIR;
}

}  // namespace

int main(int argc, char** argv) {
  std::string profileArg, scriptArg, versionArg = "16";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--profile" || arg == "--script") && i + 1 < argc) {
      (arg == "--profile" ? profileArg : scriptArg) = argv[++i];
    } else if (arg == "--outlook-version" && i + 1 < argc) {
      versionArg = argv[++i];
    } else if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }

  const auto environment = ostrel::posix::ProcessEnvironment();
  const fs::path profile = profileArg.empty()
                               ? fs::path(ostrel::posix::DefaultProfileDir(environment))
                               : fs::path(profileArg);
  std::error_code error;
  fs::create_directories(profile, error);
  if (error) {
    std::cerr << "ostrel-standin: cannot make the profile " << profile << ": " << error.message()
              << "\n";
    return 1;
  }

  std::ifstream script;
  if (!scriptArg.empty()) {
    script.open(scriptArg);
    if (!script) {
      std::cerr << "ostrel-standin: cannot read " << scriptArg << "\n";
      return 1;
    }
  }
  std::istream& input = scriptArg.empty() ? std::cin : script;
  const bool interactive = scriptArg.empty() && isatty(STDIN_FILENO);

  auto print = [](const std::string& line) { std::cout << line << std::endl; };
  // The stand-in names files as the add-in does, with "\" between names; here
  // the draft's path is shown as the shell takes it.
  auto printMail = [print](const std::string& line) {
    std::string shown = line;
    if (shown.rfind("mail displayed: ", 0) == 0)
      for (char& c : shown)
        if (c == '\\')
          c = '/';
    print(shown);
  };
  ostrel::posix::PosixOptions options{profile.string(), environment};
  options.desktop = scriptArg.empty();
  ostrel::posix::PosixPlatform platform(options);
  platform.shell().SetListener(print);
  platform.help().SetListener(print);
  platform.dialogs().SetListener(print);

  const fs::path addin = AddinFolder(argv[0]);
  std::cout << "profile: " << profile.string() << "\n";
  ostrel::standin::InstallAddIn(platform, addin, print);

  ostrel::standin::StandinApplication outlook(
      platform.services().files, ostrel::Utf8ToUtf16((profile / "Outbox").string()),
      [] { return static_cast<std::int64_t>(std::time(nullptr)); });
  try {
    outlook.SetVersion(std::stoi(versionArg));
  } catch (const std::exception&) {
    std::cerr << "ostrel-standin: --outlook-version " << versionArg
              << " is not 11, 12, 14, 15 or 16\n";
    return 2;
  }
  ostrel::standin::UseToolbarSettings(outlook, ostrel::Utf8ToUtf16(profile.string()), print);
  outlook.SetClipboard(platform.services().clipboard);
  outlook.SetListener(printMail);
  ostrel::standin::ModuleLoader loader(platform.services(), outlook);
  ostrel::standin::HeadlessDialogs dialogs([&loader] { return loader.Dialogs(); },
                                           platform.dialogs());
  ostrel::standin::Session session(platform.services(), outlook, loader, dialogs, print);

  std::string line;
  int number = 0;
  if (interactive)
    std::cout << "ostrel> " << std::flush;
  while (std::getline(input, line)) {
    ++number;
    try {
      if (const auto command = ostrel::standin::ParseCommand(line))
        session.Execute(*command);
    } catch (const std::exception& failure) {
      std::cout << (scriptArg.empty() ? std::string()
                                      : scriptArg + ":" + std::to_string(number) + ": ")
                << "error: " << failure.what() << std::endl;
      if (!scriptArg.empty())
        return 1;
    }
    if (interactive)
      std::cout << "ostrel> " << std::flush;
  }
  return 0;
}
