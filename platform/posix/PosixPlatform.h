// The Linux build's platform: every service of src/host, stood in for by our own
// implementations.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "host/Platform.h"

namespace ostrel::posix {

class CodePage;
class HiveRegistry;
class PosixLocale;
class GdiObjects;
class PeResourceLoader;
class MemoryGdi;
class MemoryOle;
class MemoryClipboard;
class RecordingWindows;
class PosixFileSystem;
class RecordingShell;
class RecordingHelpViewer;
class RecordingDialogs;

struct PosixOptions {
  // The profile folder holding the registry hives, one .reg file per root.
  std::string profileDir;
  // The environment the locale and the ANSI code page are taken from (LC_ALL,
  // LC_MESSAGES, LC_CTYPE, LANG).
  std::map<std::string, std::string> environment;
  // Whether the shell also opens addresses and files, and the help viewer the
  // topics of a help file, on the Linux desktop (xdg-open, with `environment`
  // as the opener's environment) when a display is set there.
  bool desktop = false;
};

// The process environment as a map.
std::map<std::string, std::string> ProcessEnvironment();

// The profile folder used when none is given: $OSTREL_PROFILE, else
// $XDG_CONFIG_HOME/ostrel/profile, else ~/.config/ostrel/profile.
std::string DefaultProfileDir(const std::map<std::string, std::string>& environment);

class PosixPlatform {
 public:
  explicit PosixPlatform(PosixOptions options);
  ~PosixPlatform();
  PosixPlatform(const PosixPlatform&) = delete;
  PosixPlatform& operator=(const PosixPlatform&) = delete;

  host::Platform& services() { return *services_; }
  const std::string& profileDir() const { return profileDir_; }

  MemoryClipboard& clipboard() { return *clipboard_; }
  RecordingWindows& windows() { return *windows_; }
  GdiObjects& gdiObjects() { return *objects_; }
  RecordingShell& shell() { return *shell_; }
  RecordingHelpViewer& help() { return *help_; }
  RecordingDialogs& dialogs() { return *dialogs_; }

 private:
  std::string profileDir_;
  std::unique_ptr<PosixLocale> locale_;
  // The ANSI code page follows the locale, as Windows' does.
  std::unique_ptr<CodePage> ansi_;
  std::unique_ptr<HiveRegistry> registry_;
  std::unique_ptr<GdiObjects> objects_;
  std::unique_ptr<PeResourceLoader> resources_;
  std::unique_ptr<MemoryGdi> gdi_;
  std::unique_ptr<MemoryOle> ole_;
  std::unique_ptr<MemoryClipboard> clipboard_;
  std::unique_ptr<RecordingWindows> windows_;
  std::unique_ptr<PosixFileSystem> files_;
  std::unique_ptr<RecordingShell> shell_;
  std::unique_ptr<RecordingHelpViewer> help_;
  std::unique_ptr<RecordingDialogs> dialogs_;
  std::unique_ptr<host::Platform> services_;
};

}  // namespace ostrel::posix
