// What ostrel-standin does to a profile before Outlook starts: the add-in is
// installed in it as an installer would (installation data, registration),
// and Outlook's toolbar settings are read from it.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "outlook/StandinApplication.h"
#include "posix/PosixPlatform.h"

namespace ostrel::standin {

using ProfileOutput = std::function<void(const std::string& line)>;

// Completes the add-in's installation in the profile: every key and value of
// the installation data (`addinFolder`/Ostrel.reg) that is missing is written,
// then every value of the registration of `addinFolder`/Ostrel.so that is
// missing. What is there stays as it is, so a first start that was cut short
// (a process killed half-way) is repaired at the next, and nothing the user
// changed is undone. Says what it did in "profile: ..." lines.
void InstallAddIn(posix::PosixPlatform& platform, const std::filesystem::path& addinFolder,
                  const ProfileOutput& output);

// Gives Outlook the profile's toolbar settings. Settings that cannot be read
// or are damaged are reported, as damaged registry hives are, and Outlook
// starts without the saved bars, keeping its bars in memory and leaving the
// file as it is for the user to repair.
void UseToolbarSettings(StandinApplication& outlook, const String& profileFolder,
                        const ProfileOutput& output);

}  // namespace ostrel::standin
