// A profile folder holding the shipped installation data, as the benchmarks of
// the add-in start from.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "posix/HiveRegistry.h"

namespace ostrel::bench {

// Imports the built Ostrel.reg into the profile's hives.
inline void ImportInstallationData(const std::filesystem::path& profile) {
  std::filesystem::create_directories(profile);
  std::ifstream in(std::filesystem::path(OSTREL_BENCH_ADDIN_DIR) / "Ostrel.reg", std::ios::binary);
  const std::vector<std::uint8_t> reg{std::istreambuf_iterator<char>(in), {}};
  posix::HiveRegistry hive(profile.string());
  std::string message;
  if (reg.empty() || hive.Import(reg, &message) != 0)
    throw std::runtime_error("cannot import the installation data: " + message);
}

}  // namespace ostrel::bench
