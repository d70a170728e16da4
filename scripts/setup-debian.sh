#!/bin/sh
# Installs what building and testing Ostrel needs on Debian 12. Idempotent: it
# asks apt only for packages that are missing. Run it as root, or as a user who
# may use sudo: it asks sudo for apt only when it is not root.
set -eu

packages="
  build-essential cmake ninja-build python3 git
  clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev
  wine wine64
  fp-utils-3.2.2 libchm-dev
  xvfb xdotool imagemagick
"

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  echo "Installing:$missing"
  as_root=""
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "Missing packages:$missing; run this script as root or install sudo." >&2
      exit 1
    fi
    as_root="sudo"
  fi
  # shellcheck disable=SC2086
  $as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  # shellcheck disable=SC2086
  $as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi
