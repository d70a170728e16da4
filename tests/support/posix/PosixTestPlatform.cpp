#include <atomic>
#include <random>

#include "common/Text.h"
#include "posix/PosixPlatform.h"
#include "settings/SettingsLayout.h"
#include "support/TestPlatform.h"

namespace ostrel::test {
namespace {

std::filesystem::path FreshDir(const char* prefix) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const auto dir =
      std::filesystem::temp_directory_path() /
      (std::string(prefix) + std::to_string(random()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(dir);
  return dir;
}

class PosixTestPlatform final : public TestPlatform {
 public:
  PosixTestPlatform()
      : root_(FreshDir("ostrel-test-")),
        temp_(root_ / "files"),
        platform_(posix::PosixOptions{(root_ / "profile").string(), {{"LANG", "en_US.UTF-8"}}}) {
    std::filesystem::create_directories(temp_);
  }
  ~PosixTestPlatform() override {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  host::Platform& services() override { return platform_.services(); }
  const char* Name() const override { return "posix"; }
  const String& ScratchKey() const override { return scratch_; }
  const std::filesystem::path& TempDir() const override { return temp_; }
  void ClearAddinSettings() override {
    for (const std::u16string_view key : {settings::kMainKey, settings::kOptionsKey})
      services().registry.DeleteTree(host::RegRoot::CurrentUser, String(key));
  }
  String SystemPath(const std::filesystem::path& path) const override {
    return Utf8ToUtf16(path.string());
  }

 private:
  std::filesystem::path root_;
  std::filesystem::path temp_;
  posix::PosixPlatform platform_;
  // Every test has a profile of its own, so one fixed name is unique enough.
  String scratch_ = u"Software\\OstrelTest\\Scratch";
};

}  // namespace

std::unique_ptr<TestPlatform> MakeTestPlatform() {
  return std::make_unique<PosixTestPlatform>();
}

String AddinFolder() {
  return Utf8ToUtf16(OSTREL_TEST_ADDIN_DIR);
}
String TestDataFolder() {
  return Utf8ToUtf16(OSTREL_TEST_DATA_DIR);
}

void PrepareProcess() {}

}  // namespace ostrel::test
