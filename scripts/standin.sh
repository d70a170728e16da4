#!/bin/bash
# Builds the native build (when needed) and runs ostrel-standin, Outlook's
# stand-in with the add-in, passing every argument on:
#   scripts/standin.sh                               drive it from the terminal
#   scripts/standin.sh --script examples/donation.txt
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${OSTREL_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build/native" -j "${OSTREL_JOBS:-2}" --target ostrel-standin >/dev/null
exec "$build/native/standin/ostrel-standin" "$@"
