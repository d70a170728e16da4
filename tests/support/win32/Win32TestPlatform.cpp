#include <atomic>
#include <string>

#include "common/Text.h"
#include "support/TestPlatform.h"
#include "win32/Win32Services.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::test {
namespace {

class Win32TestPlatform final : public TestPlatform {
 public:
  Win32TestPlatform() {
    static std::atomic<unsigned> counter{0};
    const std::string unique =
        std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(counter++);
    scratch_ = "Software\\OstrelTest\\" + unique;
    ::RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
    temp_ = std::filesystem::temp_directory_path() / ("ostrel-test-" + unique);
    std::filesystem::remove_all(temp_);
    std::filesystem::create_directories(temp_);
  }
  ~Win32TestPlatform() override {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(temp_, ignored);
  }

  host::Platform& services() override { return platform_.services(); }
  const char* Name() const override { return "win32"; }
  const AnsiString& ScratchKey() const override { return scratch_; }
  const std::filesystem::path& TempDir() const override { return temp_; }
  String SystemPath(const std::filesystem::path& path) const override {
    return path.u16string();
  }

 private:
  win32::Win32Platform platform_;
  AnsiString scratch_;
  std::filesystem::path temp_;
};

}  // namespace

std::unique_ptr<TestPlatform> MakeTestPlatform() { return std::make_unique<Win32TestPlatform>(); }

String AddinFolder() { return Utf8ToUtf16(OSTREL_TEST_ADDIN_DIR); }
String TestDataFolder() { return Utf8ToUtf16(OSTREL_TEST_DATA_DIR); }

void PrepareProcess() { ::OleInitialize(nullptr); }

}  // namespace ostrel::test
