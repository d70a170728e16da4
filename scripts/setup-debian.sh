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
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  wine wine64 libwine-dev mingw-w64-tools
  wixl msitools
  fp-utils-3.2.2 libchm-dev
  xvfb xdotool imagemagick fonts-wine
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

# Google Benchmark for the Windows build's benchmarks: libbenchmark-dev has the
# Linux library only, so Debian's own source package of the same version is
# fetched once, from the archive this machine's apt installs from, and unpacked
# into /var/cache/ostrel, where the Windows build finds it
# (scripts/wine-bench.sh runs those benchmarks).
version=$(dpkg-query -W -f='${Version}' libbenchmark-dev | cut -d- -f1)
bench_source=/var/cache/ostrel/benchmark-$version
if [ ! -f "$bench_source/CMakeLists.txt" ]; then
  echo "Fetching Debian's source package of Google Benchmark $version"
  work=$(mktemp -d)
  chmod 755 "$work"  # apt fetches as its own user
  mkdir -p "$work/lists/partial"
  python3 "$(dirname "$0")/deb-src-entries.py" >"$work/sources.list"
  apt_source="-o Dir::Etc::SourceList=$work/sources.list -o Dir::Etc::SourceParts=-
    -o Dir::State::Lists=$work/lists -o Debug::NoLocking=1"
  # shellcheck disable=SC2086
  apt-get $apt_source -qq update
  # shellcheck disable=SC2086
  (cd "$work" && apt-get $apt_source -qq source --download-only "benchmark=$version-1" 2>/dev/null ||
    apt-get $apt_source -qq source --download-only benchmark)
  tar -xzf "$work"/benchmark_"$version".orig.tar.gz -C "$work"
  as_root=""
  [ "$(id -u)" -ne 0 ] && as_root="sudo"
  $as_root mkdir -p /var/cache/ostrel
  $as_root rm -rf "$bench_source"
  $as_root mv "$work/benchmark-$version" "$bench_source"
  rm -rf "$work"
fi

