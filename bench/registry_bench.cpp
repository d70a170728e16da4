// Reading one setting from the Linux registry stand-in, against a plain in-memory
// map as the baseline. The hive holds 1,000 values (100 keys of 10 values).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "common/Text.h"
#include "posix/HiveRegistry.h"
#include "posix/PosixPlatform.h"
#include "posix/RegFile.h"
#include "settings/modRegistry.h"

namespace {

using ostrel::String;

constexpr int kKeys = 100;
constexpr int kValuesPerKey = 10;
const String kKeyPath = u"Software\\Quarro\\Bench\\Key042";
const String kValueName = u"Value7";

String KeyPath(int k) {
  String number = ostrel::DecimalText(k);
  while (number.size() < 3)
    number.insert(number.begin(), u'0');
  return u"Software\\Quarro\\Bench\\Key" + number;
}
String ValueName(int v) {
  return u"Value" + ostrel::DecimalText(v);
}
String ValueText(int k, int v) {
  return u"https://www.quarro.com/images/buttons/" + ostrel::DecimalText(k * 100 + v) + u".gif";
}

// A profile with the hive of 1,000 values, shared by the benchmarks and removed at
// exit.
class Profile {
 public:
  static Profile& Get() {
    static Profile profile;
    return profile;
  }

  ostrel::host::Platform& services() { return platform_.services(); }
  const std::unordered_map<String, String>& baseline() const { return baseline_; }
  // Mean time of one baseline lookup, measured once.
  double BaselineNanoseconds() const { return baselineNs_; }

  // The same lookup the registry read makes, on a map: build the names, find.
  String BaselineLookup() const {
    const auto found = baseline_.find(kKeyPath + u'\\' + kValueName);
    return found == baseline_.end() ? String() : found->second;
  }

  ~Profile() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

 private:
  Profile()
      : dir_(std::filesystem::temp_directory_path() /
             ("ostrel-bench-" + std::to_string(::getpid()))),
        platform_(ostrel::posix::PosixOptions{dir_.string(), {}}) {
    ostrel::posix::RegTree tree;
    for (int k = 0; k < kKeys; ++k) {
      const String path = String(u"HKEY_CURRENT_USER\\") + KeyPath(k);
      auto& values = tree.Create(path).values;
      for (int v = 0; v < kValuesPerKey; ++v) {
        const String text = ValueText(k, v) + u'\0';
        ostrel::posix::RegData data{ostrel::host::kRegSz, {}};
        for (char16_t c : text) {
          data.bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
          data.bytes.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        values[ValueName(v)] = data;
        baseline_[KeyPath(k) + u'\\' + ValueName(v)] = ValueText(k, v);
      }
    }
    ostrel::posix::HiveRegistry loader(dir_.string());
    std::string problem;
    if (loader.Import(ostrel::posix::WriteRegFile(tree), &problem) != 0) {
      throw std::runtime_error("cannot fill the bench hive: " + problem);
    }

    constexpr int kRounds = 200000;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i)
      benchmark::DoNotOptimize(BaselineLookup());
    baselineNs_ =
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
        kRounds;
  }

  std::filesystem::path dir_;
  ostrel::posix::PosixPlatform platform_;
  std::unordered_map<String, String> baseline_;
  double baselineNs_ = 0;
};

void BM_ReadRegValue(benchmark::State& state) {
  Profile& profile = Profile::Get();
  const ostrel::RegValue expected = ostrel::RegValue::Text(ValueText(42, 7));
  if (ostrel::ReadRegValue(profile.services(), ostrel::host::RegRoot::CurrentUser, kKeyPath,
                           kValueName) != expected) {
    state.SkipWithError("the bench hive does not read back");
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ostrel::ReadRegValue(
        profile.services(), ostrel::host::RegRoot::CurrentUser, kKeyPath, kValueName));
  }
  const double ns =
      std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
      static_cast<double>(state.iterations());
  state.counters["x_map_lookup"] = ns / profile.BaselineNanoseconds();
}
BENCHMARK(BM_ReadRegValue)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

void BM_MapLookupBaseline(benchmark::State& state) {
  Profile& profile = Profile::Get();
  for (auto _ : state)
    benchmark::DoNotOptimize(profile.BaselineLookup());
}
BENCHMARK(BM_MapLookupBaseline)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

// A write: lock, re-read and parse the hive, write, flush and rename.
void BM_WriteRegValue(benchmark::State& state) {
  Profile& profile = Profile::Get();
  int round = 0;
  for (auto _ : state) {
    // Alternate the text: writing the stored value again writes nothing.
    benchmark::DoNotOptimize(ostrel::WriteRegValue(
        profile.services(), ostrel::host::RegRoot::CurrentUser, kKeyPath, u"Written",
        ostrel::RegValue::Text(ostrel::DecimalText(round++ % 2)), ostrel::host::kRegSz));
  }
}
BENCHMARK(BM_WriteRegValue)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
