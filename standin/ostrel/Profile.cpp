#include "ostrel/Profile.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "addin/Registration.h"
#include "common/Text.h"
#include "host/HostError.h"
#include "posix/HiveRegistry.h"
#include "posix/RegFile.h"

namespace ostrel::standin {
namespace {

namespace fs = std::filesystem;

// The keys and values of `wanted` that the hives lack, as a tree of their own;
// nothing when a hive it names cannot be read (*problem says why).
std::optional<posix::RegTree> Missing(posix::HiveRegistry& hives, const posix::RegTree& wanted,
                                      int* values, std::string* problem) {
  posix::RegTree have[2];
  const host::RegRoot roots[2] = {host::RegRoot::CurrentUser, host::RegRoot::LocalMachine};
  for (int i = 0; i < 2; ++i) {
    if (wanted.Find(posix::RootName(roots[i])) != nullptr &&
        !hives.ReadHive(roots[i], &have[i], problem)) {
      return std::nullopt;
    }
  }
  posix::RegTree missing;
  *values = 0;
  wanted.Walk([&](std::u16string_view path, const posix::RegKeyNode& key, std::size_t depth) {
    if (depth == 0)
      return;  // a root
    const bool user = path.starts_with(posix::RootName(host::RegRoot::CurrentUser));
    const posix::RegKeyNode* present = have[user ? 0 : 1].Find(path);
    if (present == nullptr && key.values.empty())
      missing.Create(path);
    for (const auto& [name, data] : key.values) {
      if (present == nullptr || !present->values.contains(name)) {
        missing.Create(path).values.insert_or_assign(name, data);
        ++*values;
      }
    }
  });
  return missing;
}

void CompleteInstallationData(posix::PosixPlatform& platform, const fs::path& file,
                              const ProfileOutput& output) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(in), {}};
  posix::RegTree wanted;
  const posix::RegParseResult parsed = posix::ParseRegFile(data, wanted);
  if (data.empty() || !parsed.ok) {
    output("profile: cannot read " + file.string() + " " +
           (data.empty() ? std::string("(missing or empty)") : parsed.Describe()));
    return;
  }
  int wantedValues = 0;
  wanted.Walk([&](std::u16string_view, const posix::RegKeyNode& key, std::size_t) {
    wantedValues += static_cast<int>(key.values.size());
  });

  posix::HiveRegistry hives(platform.profileDir());
  std::string problem;
  int missingValues = 0;
  const std::optional<posix::RegTree> missing = Missing(hives, wanted, &missingValues, &problem);
  if (!missing) {
    output("profile: cannot complete the installation data: " + problem);
    return;
  }
  if (missing->empty())
    return;
  if (hives.Import(posix::WriteRegFile(*missing), &problem) != host::kErrorSuccess) {
    output("profile: cannot import " + file.string() + " " + problem);
  } else if (missingValues == wantedValues) {
    output("profile: installation data imported");
  } else {
    output("profile: installation data completed (" + std::to_string(missingValues) + " of " +
           std::to_string(wantedValues) + " values were missing)");
  }
}

}  // namespace

void InstallAddIn(posix::PosixPlatform& platform, const fs::path& addinFolder,
                  const ProfileOutput& output) {
  CompleteInstallationData(platform, addinFolder / "Ostrel.reg", output);
  const RegistrationCompletion registration =
      CompleteRegistration(platform.services(), Utf8ToUtf16((addinFolder / "Ostrel.so").string()));
  if (registration.refused) {
    output("profile: the add-in could not be registered");
  } else if (registration.written == registration.total) {
    output("profile: add-in registered");
  } else if (registration.written > 0) {
    output("profile: add-in registration completed (" + std::to_string(registration.written) +
           " of " + std::to_string(registration.total) + " values were missing)");
  }
}

void UseToolbarSettings(StandinApplication& outlook, const String& profileFolder,
                        const ProfileOutput& output) {
  try {
    outlook.SetSettingsFolder(profileFolder);
  } catch (const host::HostError& error) {
    output(std::string("profile: ") + error.what() +
           "; Outlook starts without the saved toolbars and leaves the file as it is: repair or "
           "remove it");
  }
}

}  // namespace ostrel::standin
