// Connecting the add-in to Outlook's stand-in: OnConnection until the toolbar
// is built and the resources applied, then the disconnection. The baseline is
// an add-in that does nothing, connected the same way in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

#include "InstalledProfile.h"
#include "addin/Connect.h"
#include "common/Text.h"
#include "outlook/StandinApplication.h"
#include "posix/PosixPlatform.h"

namespace {

namespace fs = std::filesystem;
namespace outlook = ostrel::host::outlook;

class Host {
 public:
  static Host& Get() {
    static Host host;
    return host;
  }
  ostrel::posix::PosixPlatform& platform() { return *platform_; }
  ostrel::standin::StandinApplication& outlook() { return *outlook_; }
  const ostrel::String& folder() const { return folder_; }
  ~Host() {
    outlook_.reset();
    platform_.reset();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

 private:
  Host() : root_(fs::temp_directory_path() / ("ostrel-connect-bench-" + std::to_string(getpid()))) {
    fs::create_directories(root_ / "profile");
    ostrel::bench::ImportInstallationData(root_ / "profile");
    platform_ = std::make_unique<ostrel::posix::PosixPlatform>(
        ostrel::posix::PosixOptions{(root_ / "profile").string(), {{"LANG", "en_US.UTF-8"}}});
    ostrel::host::Platform& s = platform_->services();
    outlook_ = std::make_unique<ostrel::standin::StandinApplication>(
        s.files, s.clipboard, ostrel::Utf8ToUtf16((root_ / "Outbox").string()),
        ostrel::Utf8ToUtf16((root_ / "profile").string()), [] { return std::int64_t{0}; });
    outlook_->OpenExplorer();
    folder_ = ostrel::Utf8ToUtf16(OSTREL_BENCH_ADDIN_DIR);
  }
  fs::path root_;
  std::unique_ptr<ostrel::posix::PosixPlatform> platform_;
  std::unique_ptr<ostrel::standin::StandinApplication> outlook_;
  ostrel::String folder_;
};

class DoNothing final : public outlook::AddInConnection {
 public:
  void OnConnection(std::shared_ptr<outlook::Application>, int, outlook::AddInInstance&,
                    const std::vector<ostrel::String>&) override {}
  void OnDisconnection(int, const std::vector<ostrel::String>&) override {}
  void OnAddInsUpdate(const std::vector<ostrel::String>&) override {}
  void OnStartupComplete(const std::vector<ostrel::String>&) override {}
  void OnBeginShutdown(const std::vector<ostrel::String>&) override {}
};

template <typename MakeAddIn>
void ConnectLoop(benchmark::State& bench, MakeAddIn make) {
  Host& host = Host::Get();
  auto instance = host.outlook().MakeAddInInstance(u"Ostrel.Connect");
  for (auto _ : bench) {
    std::unique_ptr<outlook::AddInConnection> addin = make(host);
    addin->OnConnection(host.outlook().HandOutApplication(), 1, *instance, {});
    bench.PauseTiming();
    addin->OnDisconnection(0, {});
    addin.reset();
    bench.ResumeTiming();
  }
}

void BM_Connect_Ostrel(benchmark::State& bench) {
  ConnectLoop(bench, [](Host& host) {
    return std::make_unique<ostrel::Connect>(host.platform().services(), host.folder());
  });
}
BENCHMARK(BM_Connect_Ostrel)->Unit(benchmark::kMicrosecond);

void BM_Connect_Baseline_DoNothing(benchmark::State& bench) {
  ConnectLoop(bench, [](Host&) { return std::make_unique<DoNothing>(); });
}
BENCHMARK(BM_Connect_Baseline_DoNothing)->Unit(benchmark::kMicrosecond);

}  // namespace
