// A stand-in for xdg-open that only logs what it was asked to open, so tests of
// the desktop hand-over never start a browser.
#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace ostrel::test {

using Lines = std::vector<std::string>;

struct FakeOpener {
  explicit FakeOpener(const std::filesystem::path& dir)
      : log(dir / "opened.log"), program(dir / "fake-xdg-open") {
    std::ofstream(program) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << log.string() << "'\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  }
  // What was opened, sorted (the opener runs detached, so order is not kept).
  Lines Opened() const {
    Lines lines;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
  }
  // Opened(), once it holds `count` lines or after a generous bound: the opener
  // runs detached.
  Lines WaitForLines(std::size_t count) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Opened().size() < count && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return Opened();
  }
  std::filesystem::path log;
  std::filesystem::path program;
};

}  // namespace ostrel::test
