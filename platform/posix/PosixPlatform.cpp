#include "posix/PosixPlatform.h"

#include <cstdlib>

#include "posix/CodePage.h"
#include "posix/GdiObjects.h"
#include "posix/HiveRegistry.h"
#include "posix/MemoryClipboard.h"
#include "posix/MemoryGdi.h"
#include "posix/MemoryOle.h"
#include "posix/PeResourceLoader.h"
#include "posix/PosixFileSystem.h"
#include "posix/PosixLocale.h"
#include "posix/RecordingUi.h"
#include "posix/RecordingWindows.h"

extern char** environ;

namespace ostrel::posix {

std::map<std::string, std::string> ProcessEnvironment() {
  std::map<std::string, std::string> environment;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string text(*entry);
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos)
      environment[text.substr(0, equals)] = text.substr(equals + 1);
  }
  return environment;
}

std::string DefaultProfileDir(const std::map<std::string, std::string>& environment) {
  const auto value = [&](const char* name) {
    const auto found = environment.find(name);
    return found == environment.end() ? std::string() : found->second;
  };
  if (!value("OSTREL_PROFILE").empty())
    return value("OSTREL_PROFILE");
  if (!value("XDG_CONFIG_HOME").empty())
    return value("XDG_CONFIG_HOME") + "/ostrel/profile";
  return value("HOME") + "/.config/ostrel/profile";
}

PosixPlatform::PosixPlatform(PosixOptions options)
    : profileDir_(options.profileDir),
      locale_(std::make_unique<PosixLocale>(options.environment)),
      ansi_(std::make_unique<CodePage>(locale_->AnsiCodePage())),
      registry_(std::make_unique<HiveRegistry>(options.profileDir)),
      objects_(std::make_unique<GdiObjects>()),
      resources_(std::make_unique<PeResourceLoader>(*objects_)),
      gdi_(std::make_unique<MemoryGdi>(*objects_)),
      ole_(std::make_unique<MemoryOle>(*objects_)),
      clipboard_(std::make_unique<MemoryClipboard>(*objects_)),
      windows_(std::make_unique<RecordingWindows>()),
      files_(std::make_unique<PosixFileSystem>()),
      shell_(std::make_unique<RecordingShell>(options.desktop, options.environment)),
      help_(std::make_unique<RecordingHelpViewer>(options.desktop, options.environment)),
      dialogs_(std::make_unique<RecordingDialogs>()) {
  services_.reset(new host::Platform{*ansi_, *registry_, *locale_, *resources_, *gdi_, *ole_,
                                     *clipboard_, *windows_, *files_, *shell_, *help_, *dialogs_});
}

PosixPlatform::~PosixPlatform() = default;

}  // namespace ostrel::posix
