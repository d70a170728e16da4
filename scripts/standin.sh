#!/bin/bash
# Builds the native build (when needed) and runs ostrel-standin, Outlook's
# stand-in with the add-in, passing every argument on:
#   scripts/standin.sh                               drive it from the terminal
#   scripts/standin.sh --script examples/donation.txt
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${OSTREL_BUILD_DIR:-$root/build}
# The build's own output is kept quiet; when it fails, it is shown.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
  cmake --build "$build/native" -j "${OSTREL_JOBS:-2}" --target ostrel-standin; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "scripts/standin.sh: the build failed (above)" >&2
  exit 1
fi
rm -f "$log"
trap - EXIT
exec "$build/native/standin/ostrel-standin" "$@"
