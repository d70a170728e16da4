// An add-in instance for dialog tests: the build's registry and files, the
// English resource library copied into a private add-in folder, installation
// data written as the installer writes it, and fakes for everything that would
// show a window.
#pragma once

#include <filesystem>
#include <memory>

#include "addin/AddInState.h"
#include "host/ui/Dialog.h"
#include "settings/modRegistry.h"
#include "support/FakeUi.h"
#include "support/TestPlatform.h"
#include "wizard/frmWizard.h"

namespace ostrel::test {

class WizardFixture {
 public:
  // views shows the dialogs; by default they stay models only.
  explicit WizardFixture(FixedLocale numbers = UsNumbers(),
                         ui::DialogView& views = ui::HeadlessView());
  ~WizardFixture();

  // Installation data: the stored type, three currencies (USD, EUR, GBP) and,
  // for every type, image slots 0 to 2.
  void Install();
  void Write(const String& key, std::u16string_view name, const RegValue& value);
  void WriteText(const String& key, std::u16string_view name, const String& text);
  void WriteNumber(const String& key, std::u16string_view name, std::int32_t number);
  RegValue Read(const String& key, std::u16string_view name);

  // The main toolbar command, and the wizard it left open (nullptr when none).
  frmWizard* Open();
  frmWizard* OpenForType(std::int32_t type);

  // A file in the add-in's folder, as the test sees it.
  std::filesystem::path AddinFile(const std::string& name) const { return folder_ / name; }
  String AddinPath(const std::string& name) const;

  std::unique_ptr<TestPlatform> test;
  RefusableRegistry registry;
  FixedLocale locale;
  FakeDialogs dialogs;
  FakeShell shell;
  FakeHelpViewer help;
  host::Platform services;
  std::filesystem::path folder_;
  AddInState state;
};

// Asserts a user action's outcome, naming the control on failure.
#define EXPECT_ACTION(outcome, action) EXPECT_EQ(outcome, action) << #action

}  // namespace ostrel::test
