// What the tests of the Outlook stand-in's windows and toolbars share: a
// stand-in on a profile folder of the test platform (the build's real file
// system and clipboard), the listener's lines, and a receiver of every event.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/Office.h"
#include "host/Outlook.h"
#include "outlook/StandinApplication.h"
#include "support/TestPlatform.h"

namespace ostrel::test {

class OutlookFixture : public testing::Test {
 protected:
  void SetUp() override { platform_ = MakeTestPlatform(); }

  host::Platform& services() { return platform_->services(); }
  std::filesystem::path Dir(const std::string& name) const { return platform_->TempDir() / name; }
  String SystemDir(const std::string& name) const { return platform_->SystemPath(Dir(name)); }

  // A stand-in on the profile folder `profile` (made by the first save).
  std::unique_ptr<standin::StandinApplication> Start(
      const std::filesystem::path& profile = "Profile") {
    auto outlook = std::make_unique<standin::StandinApplication>(
        services().files, services().clipboard, SystemDir("Outbox"),
        platform_->SystemPath(platform_->TempDir() / profile),
        [] { return std::int64_t{1796706750}; });
    outlook->SetListener([this](const std::string& line) { heard_.push_back(line); });
    return outlook;
  }

  std::unique_ptr<TestPlatform> platform_;
  std::vector<std::string> heard_;
};

// Receives every event the stand-in raises and hands it to one function, which
// gets the event's name ("Close", "BeforeFolderSwitch", "Click") and the
// in/out flag (nullptr for Close).
class Receiver final : public host::outlook::ExplorerEvents,
                       public host::outlook::InspectorEvents,
                       public host::office::CommandBarButtonEvents {
 public:
  using Handler = std::function<void(const char* event, bool* flag)>;
  explicit Receiver(Handler handler) : handler_(std::move(handler)) {}

  void BeforeFolderSwitch(const String& newFolder, bool& cancel) override {
    folder = newFolder;
    handler_("BeforeFolderSwitch", &cancel);
  }
  void Close() override { handler_("Close", nullptr); }
  void Activate() override { ++activations; }
  void Click(host::office::CommandBarButton& ctrl, bool& cancelDefault) override {
    clicked = &ctrl;
    handler_("Click", &cancelDefault);
  }

  String folder;
  host::office::CommandBarButton* clicked = nullptr;
  int activations = 0;

 private:
  Handler handler_;
};

}  // namespace ostrel::test
