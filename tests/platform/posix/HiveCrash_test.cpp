// A writer killed at any moment must leave the hive parseable with every value it
// reported as written intact, and no value half-written.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "common/Text.h"
#include "platform/posix/HiveTestSupport.h"
#include "posix/HiveRegistry.h"
#include "posix/RegFile.h"

namespace ostrel::posix {
namespace {

using test::Get;
using test::Put;
using test::TempProfile;

constexpr host::RegRoot kUser = host::RegRoot::CurrentUser;
constexpr int kRounds = 300;

constexpr int kGroups = 8;  // keys the values are spread over

std::string KeyOf(int round) {
  return "Software\\Crash\\Group" + std::to_string(round % kGroups);
}
std::string NameOf(int round, int n) {
  return "r" + std::to_string(round) + "-" + std::to_string(n);
}
// Long enough that a torn write would show. Most end in a NUL, as text that
// regedit writes does; every third is stored bare, as the add-in writes text.
std::string ContentOf(int round, int n) {
  std::string content;
  while (content.size() < 40)
    content += NameOf(round, n) + " \xE9t\xE9 ";
  if (n % 3 != 0)
    content += '\0';
  return content;
}

// The child: writes new values until it is killed, reporting each one that was
// stored. Never returns.
[[noreturn]] void WriteUntilKilled(const std::string& profile, int round, int report) {
  HiveRegistry registry(profile);
  for (int n = 0; n < 1000; ++n) {
    if (Put(registry, kUser, KeyOf(round), NameOf(round, n), ContentOf(round, n)) != 0) {
      ::_exit(3);
    }
    if (::write(report, &n, sizeof n) != sizeof n)
      ::_exit(4);
  }
  ::_exit(0);
}

unsigned ChooseSeed() {
  if (const char* fixed = std::getenv("OSTREL_CRASH_SEED")) {
    return static_cast<unsigned>(std::strtoul(fixed, nullptr, 10));
  }
  return std::random_device()();
}

// One report of the writer, waiting at most a few seconds for it.
bool NextReport(int pipe, int* n) {
  pollfd ready{pipe, POLLIN, 0};
  return ::poll(&ready, 1, 5000) == 1 && ::read(pipe, n, sizeof *n) == sizeof *n;
}

TEST(HiveCrash, KilledWritersNeverLoseOrTearAValue) {
  TempProfile profile;
  const unsigned seed = ChooseSeed();
  SCOPED_TRACE("seed " + std::to_string(seed) + " (OSTREL_CRASH_SEED repeats it)");
  std::mt19937 random(seed);

  std::map<std::string, std::pair<std::string, std::string>> confirmed;  // name: key, content
  HiveRegistry reader(profile.str());
  int killedWhileWriting = 0;
  // How long one write takes here (mostly fsync), learnt as the test runs, so
  // that the kills fall at every point of a write on a fast or a slow machine.
  double writeMicroseconds = 2000;
  for (int round = 0; round < kRounds; ++round) {
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(pipe[0]);
      WriteUntilKilled(profile.str(), round, pipe[1]);
    }
    ::close(pipe[1]);

    // Let a few writes finish, then kill the writer somewhere inside the next.
    const int finished = std::uniform_int_distribution<int>(0, 2)(random);
    auto last = std::chrono::steady_clock::now();
    int n = 0;
    for (int i = 0; i < finished; ++i) {
      if (!NextReport(pipe[0], &n)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        FAIL() << "round " << round << ": the writer stalled";
      }
      confirmed[NameOf(round, n)] = {KeyOf(round), ContentOf(round, n)};
      const auto now = std::chrono::steady_clock::now();
      writeMicroseconds = 0.8 * writeMicroseconds +
                          0.2 * std::chrono::duration<double, std::micro>(now - last).count();
      last = now;
    }
    const int delay =
        std::uniform_int_distribution<int>(0, static_cast<int>(1.5 * writeMicroseconds))(random);
    ::usleep(static_cast<useconds_t>(delay));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) != 0)
        << "round " << round << ": the writer failed with " << WEXITSTATUS(status);
    while (::read(pipe[0], &n, sizeof n) == sizeof n) {
      confirmed[NameOf(round, n)] = {KeyOf(round), ContentOf(round, n)};
    }
    ::close(pipe[0]);
    if (std::filesystem::exists(profile.dir() / "HKEY_CURRENT_USER.reg.tmp"))
      ++killedWhileWriting;

    // The hive parses as a whole.
    RegTree tree;
    if (std::filesystem::exists(profile.userHive())) {
      const RegParseResult parsed =
          ParseRegFile(test::ReadBytes(profile.userHive()), tree, RegParseOptions{kUser, true});
      ASSERT_TRUE(parsed.ok) << "round " << round << ": " << parsed.Describe();
    } else {
      ASSERT_TRUE(confirmed.empty()) << "round " << round << ": the hive is gone";
    }

    // Every reported value reads back whole.
    for (const auto& [name, where] : confirmed) {
      ASSERT_EQ(Get(reader, kUser, where.first, name), where.second)
          << "round " << round << ": lost or damaged " << name;
    }
    // A value the writer was killed while storing is there whole or not at all.
    for (int group = 0; group < kGroups; ++group) {
      const RegKeyNode* key = tree.Find(u"HKEY_CURRENT_USER\\" + Utf8ToUtf16(KeyOf(group)));
      if (key == nullptr)
        continue;
      for (const auto& [name, data] : key->values) {
        const std::string narrow = Utf16ToUtf8(name);
        const std::size_t dash = narrow.find('-');
        if (narrow.empty() || narrow[0] != 'r' || dash == std::string::npos)
          continue;
        const int r = std::stoi(narrow.substr(1, dash - 1));
        const int k = std::stoi(narrow.substr(dash + 1));
        ASSERT_EQ(Get(reader, kUser, KeyOf(r), narrow), ContentOf(r, k)) << "torn value " << narrow;
      }
    }
  }
  // Not a proof that the kills hit every point of a write, but a sign that many
  // landed inside one.
  EXPECT_GT(killedWhileWriting, kRounds / 20);
  std::cout << "[          ] " << confirmed.size() << " values confirmed, " << killedWhileWriting
            << " kills left a temporary file behind\n";
}

}  // namespace
}  // namespace ostrel::posix
