// The wizard's costs that a user feels: opening it (controls, captions, stored
// state, initialisation) from a stand-in hive and RES_ENU.DLL, building the
// payment link, and encoding the longest value the link accepts. Each is
// reported with a baseline measured in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

#include "InstalledProfile.h"
#include "addin/AddInState.h"
#include "common/Text.h"
#include "posix/PosixPlatform.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "wizard/frmWizard.h"

namespace {

namespace fs = std::filesystem;
using ostrel::String;

// A profile with the shipped installation data and an add-in folder holding the
// built RES_ENU.DLL; removed at exit.
class Installation {
 public:
  static Installation& Get() {
    static Installation installation;
    return installation;
  }
  ostrel::AddInState& state() { return *state_; }
  ~Installation() {
    ostrel::CloseResourceLibrary(*state_);
    state_.reset();
    platform_.reset();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

 private:
  Installation() : root_(fs::temp_directory_path() / ("ostrel-bench-" + std::to_string(getpid()))) {
    fs::create_directories(root_ / "profile");
    fs::create_directories(root_ / "addin");
    fs::copy_file(fs::path(OSTREL_BENCH_ADDIN_DIR) / "RES_ENU.DLL",
                  root_ / "addin" / "RES_ENU.DLL");
    ostrel::bench::ImportInstallationData(root_ / "profile");
    platform_ = std::make_unique<ostrel::posix::PosixPlatform>(
        ostrel::posix::PosixOptions{(root_ / "profile").string(), {{"LANG", "en_US.UTF-8"}}});
    state_ = std::make_unique<ostrel::AddInState>(platform_->services(),
                                                  ostrel::Utf8ToUtf16((root_ / "addin").string()));
    ostrel::OpenResourceLibrary(*state_);
    state_->appTitle = ostrel::ResString(*state_, ostrel::res::kAppTitle);
  }
  fs::path root_;
  std::unique_ptr<ostrel::posix::PosixPlatform> platform_;
  std::unique_ptr<ostrel::AddInState> state_;
};

// Opening the wizard as the toolbar command does, then closing it again.
void BM_OpenWizard(benchmark::State& bench) {
  ostrel::AddInState& state = Installation::Get().state();
  for (auto _ : bench) {
    ostrel::OpenWizard(state);
    benchmark::DoNotOptimize(state.Wizard());
    state.CloseDialogs();
  }
  if (!state.WizardReady)
    bench.SkipWithError("the wizard did not open");
}
BENCHMARK(BM_OpenWizard)->Unit(benchmark::kMicrosecond);

// Baseline: creating the wizard's controls alone, without loading anything.
void BM_OpenWizard_Baseline_ControlsOnly(benchmark::State& bench) {
  ostrel::AddInState& state = Installation::Get().state();
  for (auto _ : bench) {
    ostrel::frmWizard wizard(state);
    benchmark::DoNotOptimize(&wizard);
  }
}
BENCHMARK(BM_OpenWizard_Baseline_ControlsOnly)->Unit(benchmark::kMicrosecond);

// A Product request with buyer names, every field filled.
ostrel::frmWizard& ProductWizard() {
  ostrel::AddInState& state = Installation::Get().state();
  ostrel::OpenWizardForType(state, 1);
  ostrel::frmWizard& w = *state.Wizard();
  w.txtProductQuarroID.SetText(u"shop@example.com");
  w.txtProductFirstName.SetText(u"Ann");
  w.txtProductLastName.SetText(u"Lee");
  w.mebProductAmount.SetText(u"24.95");
  w.txtProductName.SetText(u"Hand-thrown mug, blue glaze");
  w.txtProductNumber.SetText(u"MUG-0042");
  w.txtProductQuantity.SetText(u"2");
  w.mebProductShipping.SetText(u"4.50");
  w.CreateURL();  // loads the options dialog once, as the first link does
  return w;
}

void BM_CreateURL_Product(benchmark::State& bench) {
  ostrel::frmWizard& w = ProductWizard();
  for (auto _ : bench)
    benchmark::DoNotOptimize(w.CreateURL());
}
BENCHMARK(BM_CreateURL_Product);

// Baseline: joining a text of the same length from two pieces.
void BM_CreateURL_Baseline_JoinSameLength(benchmark::State& bench) {
  const String link = ProductWizard().CreateURL();
  const String head = link.substr(0, link.size() / 2);
  const String tail = link.substr(link.size() / 2);
  for (auto _ : bench)
    benchmark::DoNotOptimize(head + tail);
}
BENCHMARK(BM_CreateURL_Baseline_JoinSameLength);

String LongValue() {
  String value;
  for (int i = 0; i < 32766; ++i)
    value += static_cast<char16_t>(u"Ab 9.&\u00E9z"[i % 8]);
  return value;
}

void BM_URLEncode_32766(benchmark::State& bench) {
  ostrel::frmWizard& w = ProductWizard();
  const String value = LongValue();
  for (auto _ : bench)
    benchmark::DoNotOptimize(w.URLEncode(value));
}
BENCHMARK(BM_URLEncode_32766)->Unit(benchmark::kMicrosecond);

// Baseline: converting the same value to the ANSI code page, which the encoder
// must do once anyway.
void BM_URLEncode_Baseline_AnsiConversion(benchmark::State& bench) {
  ostrel::AddInState& state = Installation::Get().state();
  const String value = LongValue();
  for (auto _ : bench)
    benchmark::DoNotOptimize(state.platform.ansi.ToAnsi(value));
}
BENCHMARK(BM_URLEncode_Baseline_AnsiConversion)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// About 1 MB of template holding 10,000 placeholders of every kind the Product
// page fills, between runs of ordinary text.
String LargeTemplate() {
  const std::u16string_view placeholders[] = {
      u"[FirstName]", u"[Company]", u"[Amount]",      u"[Quantity]", u"[Total]",
      u"[Currency]",  u"[BUTTON]",  u"[ProductName]", u"[ZIP]",      u"[unknown]"};
  String text;
  text.reserve(1 << 20);
  const String filler(95, u'x');
  for (int i = 0; i < 10000; ++i) {
    text += filler;
    text += placeholders[i % std::size(placeholders)];
  }
  return text;
}

void BM_ComposeMessage_1MB(benchmark::State& bench) {
  ostrel::frmWizard& w = ProductWizard();
  const String text = LargeTemplate();
  for (auto _ : bench)
    benchmark::DoNotOptimize(w.ComposeMessage(text));
  bench.SetBytesProcessed(bench.iterations() * static_cast<std::int64_t>(text.size() * 2));
}
BENCHMARK(BM_ComposeMessage_1MB)->Unit(benchmark::kMillisecond);

// Baseline: copying the same template once.
void BM_ComposeMessage_Baseline_Copy(benchmark::State& bench) {
  const String text = LargeTemplate();
  for (auto _ : bench) {
    String copy = text;
    benchmark::DoNotOptimize(copy.data());
  }
  bench.SetBytesProcessed(bench.iterations() * static_cast<std::int64_t>(text.size() * 2));
}
BENCHMARK(BM_ComposeMessage_Baseline_Copy)->Unit(benchmark::kMillisecond);

}  // namespace
