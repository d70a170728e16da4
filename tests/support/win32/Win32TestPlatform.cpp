#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "common/Text.h"
#include "settings/SettingsLayout.h"
#include "support/TestPlatform.h"
#include "win32/WideText.h"
#include "win32/Win32Services.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::test {
namespace {

// Stand in for the shell, the help viewer and the common dialogs of the real
// platform. Under Wine a real message box or file dialog waits for a click that
// never comes, and the shell starts a browser; a test that reaches one of them
// fails here instead and must swap in the fakes of support/FakeUi.h.
class RefusingShell final : public host::Shell {
 public:
  std::intptr_t ShellExecute(host::WindowHandle, const String&, const String&, const String&,
                             const String&, int) override {
    ADD_FAILURE() << "a test reached the real ShellExecute";
    return 42;
  }
  void StartProgram(const String&) override {
    ADD_FAILURE() << "a test reached the real CreateProcess";
  }
};

class RefusingHelpViewer final : public host::HelpViewer {
 public:
  host::WindowHandle HtmlHelp(host::WindowHandle, const String&, std::uint32_t,
                              const String&) override {
    ADD_FAILURE() << "a test reached the real HtmlHelp";
    return host::WindowHandle::None;
  }
};

class RefusingDialogs final : public host::CommonDialogs {
 public:
  int MessageBox(host::WindowHandle, const String&, const String&, std::uint32_t) override {
    ADD_FAILURE() << "a test reached the real MessageBox";
    return host::kIdOk;
  }
  String GetOpenFileName(const host::OpenFileRequest&) override {
    ADD_FAILURE() << "a test reached the real GetOpenFileName";
    return String();
  }
};

class Win32TestPlatform final : public TestPlatform {
 public:
  Win32TestPlatform() {
    static std::atomic<unsigned> counter{0};
    const std::string unique =
        std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(counter++);
    scratch_ = u"Software\\OstrelTest\\" + Utf8ToUtf16(unique);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::Wide(scratch_));
    temp_ = std::filesystem::temp_directory_path() / ("ostrel-test-" + unique);
    std::filesystem::remove_all(temp_);
    std::filesystem::create_directories(temp_);
  }
  ~Win32TestPlatform() override {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::Wide(scratch_));
    std::error_code ignored;
    std::filesystem::remove_all(temp_, ignored);
  }

  host::Platform& services() override { return services_; }
  const char* Name() const override { return "win32"; }
  const String& ScratchKey() const override { return scratch_; }
  const std::filesystem::path& TempDir() const override { return temp_; }
  // The prefix's registry is shared by every test, so the keys go for real.
  void ClearAddinSettings() override {
    for (const std::u16string_view key : {settings::kMainKey, settings::kOptionsKey})
      ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::Wide(String(key)));
  }
  String SystemPath(const std::filesystem::path& path) const override { return path.u16string(); }

 private:
  host::Platform WithoutUi(const host::Platform& real) {
    return host::Platform{real.ansi,  real.registry, real.locale,    real.resources,
                          real.gdi,   real.ole,      real.clipboard, real.windows,
                          real.files, shell_,        help_,          dialogs_};
  }

  win32::Win32Platform platform_;
  RefusingShell shell_;
  RefusingHelpViewer help_;
  RefusingDialogs dialogs_;
  host::Platform services_{WithoutUi(platform_.services())};
  String scratch_;
  std::filesystem::path temp_;
};

}  // namespace

std::unique_ptr<TestPlatform> MakeTestPlatform() {
  return std::make_unique<Win32TestPlatform>();
}

String AddinFolder() {
  return Utf8ToUtf16(OSTREL_TEST_ADDIN_DIR);
}
String TestDataFolder() {
  return Utf8ToUtf16(OSTREL_TEST_DATA_DIR);
}

void PrepareProcess() {
  ::OleInitialize(nullptr);
}

}  // namespace ostrel::test
