#!/bin/bash
# Builds both builds (native, and Windows with mingw-w64) and runs every test:
# the native tests, the Windows tests under Wine, and each fuzzer for a short,
# bounded time. Any failure stops the script with a non-zero exit.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${OSTREL_BUILD_DIR:-$root/build}
fuzz_seconds=${OSTREL_FUZZ_SECONDS:-30}
jobs=${OSTREL_JOBS:-2}

echo "== format"
"$root/scripts/check-format.sh"

echo "== native build"
cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTREL_WERROR=ON
cmake --build "$build/native" -j "$jobs"
echo "== native tests"
ctest --test-dir "$build/native" --output-on-failure -j "$jobs"

echo "== windows build"
cmake -S "$root" -B "$build/windows" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTREL_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DOSTREL_NATIVE_STANDIN="$build/native/standin/ostrel-standin"
cmake --build "$build/windows" -j "$jobs"
echo "== windows tests (under Wine)"
export OSTREL_WINEPREFIX="$build/wineprefix"
trap 'WINEPREFIX="$OSTREL_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true' EXIT
ctest --test-dir "$build/windows" --output-on-failure
echo "== the Windows road: Ostrel.dll registered and loaded through COM by ostrel-outlook.exe"
"$root/tests/road/com_road.sh" "$root" "$build/native" "$build/windows"

if [ "$fuzz_seconds" -le 0 ]; then
  # libFuzzer reads a time limit of 0 as "no limit": 0 means no fuzzing here.
  echo "== fuzzers skipped (OSTREL_FUZZ_SECONDS=$fuzz_seconds)"
  echo "== all tests passed"
  exit 0
fi
echo "== fuzzers (${fuzz_seconds}s each, AddressSanitizer and UndefinedBehaviorSanitizer)"
cmake -S "$root" -B "$build/fuzz" -G Ninja -DOSTREL_FUZZ=ON -DOSTREL_WERROR=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
cmake --build "$build/fuzz" -j "$jobs"
for fuzzer in reg_reader_fuzz pe_reader_fuzz; do
  corpus_name=${fuzzer%%_*}
  work="$build/fuzz/corpus-$corpus_name"
  rm -rf "$work" && mkdir -p "$work"
  cp -r "$root/fuzz/corpus/$corpus_name/." "$work/"
  "$build/fuzz/fuzz/$fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$work" 2>"$build/fuzz/$fuzzer.log" || {
    tail -n 60 "$build/fuzz/$fuzzer.log"
    echo "$fuzzer found a crash" >&2
    exit 1
  }
  grep -E "stat::number_of_executed_units" "$build/fuzz/$fuzzer.log" || true
done

echo "== all tests passed"
