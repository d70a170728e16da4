#include "support/WizardFixture.h"

#include <gtest/gtest.h>

#include "common/Text.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "settings/SettingsLayout.h"

namespace ostrel::test {

namespace fs = std::filesystem;

namespace {

fs::path MakeFolder(TestPlatform& test) {
  const fs::path folder = test.TempDir() / "addin";
  fs::create_directories(folder / "Templates");
  for (const char* library : {"RES_ENU.DLL", "RES_DEU.DLL"})
    fs::copy_file(fs::path(OSTREL_TEST_ADDIN_DIR) / library, folder / library);
  return folder;
}

}  // namespace

WizardFixture::WizardFixture(FixedLocale numbers, ui::DialogView& views)
    : test(MakeTestPlatform()),
      registry(test->services().registry),
      locale(std::move(numbers)),
      services(With(test->services(), {.registry = &registry,
                                       .locale = &locale,
                                       .shell = &shell,
                                       .help = &help,
                                       .dialogs = &dialogs,
                                       .views = &views})),
      folder_(MakeFolder(*test)),
      state(services, test->SystemPath(folder_)) {
  test->ClearAddinSettings();
  OpenResourceLibrary(state);
  // What the add-in loads at connection.
  state.appTitle = ResString(state, res::kAppTitle);
  state.messageFooter = ResString(state, res::kMessageFooter);
  for (int i = 0; i < 3; ++i)
    state.messageTable[static_cast<std::size_t>(i)] =
        ResString(state, res::kMessageInvalidAccount + i);
}

WizardFixture::~WizardFixture() {
  state.CloseDialogs();
  CloseResourceLibrary(state);
  test->ClearAddinSettings();
}

void WizardFixture::Write(const String& key, std::u16string_view name, const RegValue& value) {
  const auto type = value.IsNumber() ? host::kRegDword : host::kRegSz;
  ASSERT_TRUE(WriteRegValue(services, settings::kRoot, key, String(name), value, type));
}

void WizardFixture::WriteText(const String& key, std::u16string_view name, const String& text) {
  Write(key, name, RegValue::Text(text));
}

void WizardFixture::WriteNumber(const String& key, std::u16string_view name, std::int32_t number) {
  Write(key, name, RegValue::Number(number));
}

RegValue WizardFixture::Read(const String& key, std::u16string_view name) {
  return ReadRegValue(services, settings::kRoot, key, String(name));
}

void WizardFixture::Install() {
  const String main(settings::kMainKey);
  WriteNumber(main, settings::main_value::kPaymentRequestType, 0);
  const std::pair<const char16_t*, const char16_t*> currencies[] = {
      {u"USD", u"U.S. Dollar"}, {u"EUR", u"Euro"}, {u"GBP", u"Pound Sterling"}};
  for (int n = 0; n < 3; ++n) {
    WriteText(settings::CurrencyKey(n), settings::currency_value::kCode, currencies[n].first);
    WriteText(settings::CurrencyKey(n), settings::currency_value::kName, currencies[n].second);
  }
  for (int type = 0; type < settings::kTypeCount; ++type)
    for (int slot = 0; slot < 3; ++slot)
      WriteText(settings::ButtonKey(type, slot), settings::button_value::kResourceID,
                DecimalText(5001 + 10 * type + slot));
}

frmWizard* WizardFixture::Open() {
  OpenWizard(state);
  return state.Wizard();
}

frmWizard* WizardFixture::OpenForType(std::int32_t type) {
  OpenWizardForType(state, type);
  return state.Wizard();
}

String WizardFixture::AddinPath(const std::string& name) const {
  return test->SystemPath(folder_ / name);
}

}  // namespace ostrel::test
