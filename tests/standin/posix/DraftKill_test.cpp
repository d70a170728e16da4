// An Outlook killed while it writes a draft leaves the draft whole or not at
// all: nothing half-written, and no hidden temporary file in the outbox.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "host/Outlook.h"
#include "outlook/DraftMessage.h"
#include "outlook/StandinApplication.h"
#include "support/TestPlatform.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kDate = 1796706750;

TEST(StandinDrafts, AWriterKilledAtAnyMomentLeavesOnlyWholeDrafts) {
  const auto platform = test::MakeTestPlatform();
  const fs::path outbox = platform->TempDir() / "Outbox";
  fs::create_directories(outbox);
  // Large enough that most kills land inside a write.
  const String body(1 << 18, u'x');
  std::mt19937 random(std::random_device{}());
  for (int round = 0; round < 25; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      standin::StandinApplication outlook(platform->services().files, platform->SystemPath(outbox),
                                          [] { return kDate; });
      for (int n = 0; n < 100; ++n) {
        auto item = outlook.CreateItem(host::outlook::olMailItem);
        item->SetHTMLBody(body);
        item->Display();
      }
      ::_exit(0);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 60000));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
  }

  const std::string whole = standin::ComposeDraft({kDate, std::nullopt, std::nullopt, body});
  int drafts = 0;
  for (const auto& entry : fs::directory_iterator(outbox)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name.starts_with("Quarro-") && name.ends_with(".eml")) << name << " is left";
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string content{std::istreambuf_iterator<char>(in), {}};
    EXPECT_TRUE(content == whole) << name << " holds " << content.size() << " of " << whole.size()
                                  << " bytes";
    ++drafts;
  }
  EXPECT_GT(drafts, 0) << "no writer got as far as one draft";
}

}  // namespace
}  // namespace ostrel
