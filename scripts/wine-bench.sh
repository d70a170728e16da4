#!/bin/bash
# Runs the Windows build's benchmarks under Wine, in a fresh private prefix where
# Ostrel.dll and the do-nothing add-in of the baseline are registered as a user
# registers them (regsvr32), and found through COM's own lookup.
#   scripts/wine-bench.sh [benchmark options, e.g. --benchmark_repetitions=5]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${OSTREL_BUILD_DIR:-$root/build}/windows
export WINEPREFIX=${OSTREL_BENCH_PREFIX:-$build/bench-prefix}
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cmake --build "$build" --target connect_com_bench dialog_bench ostrel-reglink Ostrel NullAddIn >/dev/null

winpath() { echo "Z:${1//\//\\}"; }
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1 || true
wine wineboot -i </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine "$build/ostrel-reglink.exe" | tr -d '\r'
wine regsvr32 /s "$(winpath "$build/addin/Ostrel.dll")"
wine regsvr32 /s "$(winpath "$build/bench/win32/NullAddIn.dll")"
wine regedit /S "$(winpath "$build/addin/Ostrel.reg")"
wine "$build/bench/win32/connect_com_bench.exe" "$@" 2>&1 | tr -d '\r'
# The dialogs draw on the X display when there is one (Xvfb), else on Wine's
# null graphics driver.
if [ -z "${DISPLAY:-}" ]; then
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -k && wineserver -w
fi
wine "$build/bench/win32/dialog_bench.exe" "$@" 2>&1 | tr -d '\r'
