#!/bin/bash
# The add-in on the Windows road, under Wine: registered with regsvr32 into a
# fresh private prefix, loaded by ostrel-outlook.exe through COM's own lookup,
# driven by the scripts of examples/ through its real windows. The output of
# the window, ribbon and toolbar scripts must equal the Linux stand-in's, each example
# request's draft must read as the Linux stand-in's does, and unregistering
# must leave the registration keys as they were. Both stand-ins run the add-in
# from a folder named outside the ANSI code page ("Łódź Ψ", Wine's code page
# being 1252), as a user's folder below C:\Users\Łukasz is.
# usage: com_road.sh SOURCE_DIR NATIVE_BUILD WINDOWS_BUILD
set -euo pipefail
source=$1
native=$2
windows=$3
work="$windows/com-road"
rm -rf "$work" && mkdir -p "$work"
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes the names of files and arguments in the terminal's character set.
export LC_ALL=C.UTF-8
winpath() { echo "Z:${1//\//\\}"; }
wine_() { wine "$@" </dev/null 2>&1 | tr -d '\r'; }
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# A fresh prefix, its services detached from our output, windows without a
# display (Wine's null graphics driver).
mkdir -p "$WINEPREFIX"
{ wineserver -p || true; wine wineboot -i; } </dev/null >/dev/null 2>&1
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
wineserver -k || true
wineserver -w || true
{ wineserver -p || true; wine wineboot; } </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

# What registering may not change: another program's keys, here the shared
# IDTExtensibility2 interface as Office registers it.
shared='HKLM\Software\Classes\Interface\{B65AD801-ABAF-11D0-BB8B-00A0C90F2744}'
wine_ reg add "$shared" /ve /d IDTExtensibility2 /f >/dev/null
keys=("$shared" 'HKCU\Software\Microsoft\Office\Outlook\Addins\Ostrel.Connect'
  'HKLM\Software\Classes\CLSID\{B26BE756-F8E4-4F47-A2FF-A7DE88DC783B}'
  'HKLM\Software\Classes\Ostrel.Connect'
  'HKLM\Software\Classes\TypeLib\{32AA17C1-0EFF-4C30-B429-274AF7BEE9A7}')
snapshot() { for key in "${keys[@]}"; do wine_ reg query "$key" /s || true; done; }

# Wine 8 looks for COM classes in the machine's classes only: the user's are
# made a link to them, so that the per-user registration is found.
wine_ "$windows/ostrel-reglink.exe"
snapshot >"$work/registry-before.txt"
addin="$work/Łódź Ψ"
cp -r "$windows/addin" "$addin"
wine regsvr32 /s "$(winpath "$addin/Ostrel.dll")" </dev/null >/dev/null 2>&1 ||
  fail "regsvr32 Ostrel.dll"
wine regedit /S "$(winpath "$addin/Ostrel.reg")" </dev/null >/dev/null 2>&1 ||
  fail "the installation data"
# The Linux stand-in finds the add-in beside its own folder.
linux="$work/Łódź Ψ linux"
mkdir -p "$linux/bin"
cp "$native/standin/ostrel-standin" "$linux/bin/"
cp -r "$native/addin" "$linux/addin"
wine_ "$windows/standin/com/ostrel-outlook.exe" --handle-links >/dev/null

run_windows() {  # NAME SCRIPT [VERSION]: output in $work/NAME.windows
  timeout 300 wine "$windows/standin/com/ostrel-outlook.exe" --outlook-version "${3:-16}" \
    --profile "$(winpath "$work/windows-$1")" --script "$(winpath "$2")" </dev/null 2>&1 |
    tr -d '\r' >"$work/$1.windows" || fail "$1: ostrel-outlook.exe ended with an error"
}
run_linux() {  # NAME SCRIPT [VERSION]: output in $work/NAME.linux
  "$linux/bin/ostrel-standin" --outlook-version "${3:-16}" --profile "$work/linux-$1" \
    --script "$2" >"$work/$1.linux" 2>&1 || fail "$1: ostrel-standin ended with an error"
}

for run in ribbon:16 lifecycle:16 outlook2003:11; do
  name=${run%%:*}
  run_windows "$name" "$source/examples/$name.txt" "${run##*:}"
  run_linux "$name" "$source/examples/$name.txt" "${run##*:}"
  if ! diff <(sed -f "$source/tests/road/normalize.sed" "$work/$name.linux") \
    <(sed -f "$source/tests/road/normalize.sed" "$work/$name.windows") >"$work/$name.diff"; then
    fail "$name: the Windows stand-in's output differs from the Linux one's"
    cat "$work/$name.diff"
  fi
done

for name in general product service auction donation; do
  run_windows "$name" "$source/examples/$name.txt"
  run_linux "$name" "$source/examples/$name.txt"
  linux_draft=$(find "$work/linux-$name/Outbox" -name '*.eml' 2>/dev/null | head -1)
  windows_draft=$(find "$work/windows-$name/Outbox" -name '*.eml' 2>/dev/null | head -1)
  if [ -z "$linux_draft" ] || [ -z "$windows_draft" ]; then
    fail "$name: no draft (Linux: ${linux_draft:-none}, Windows: ${windows_draft:-none})"
    tail -5 "$work/$name.windows"
  elif ! python3 "$source/tests/road/compare_drafts.py" "$linux_draft" "$windows_draft"; then
    fail "$name: the drafts differ"
  fi
done

wine regsvr32 /u /s "$(winpath "$addin/Ostrel.dll")" </dev/null >/dev/null 2>&1 ||
  fail "regsvr32 /u Ostrel.dll"
snapshot >"$work/registry-after.txt"
diff "$work/registry-before.txt" "$work/registry-after.txt" ||
  fail "unregistering did not leave the registry as it was"

if [ "$failures" -ne 0 ]; then
  echo "com road: $failures failed (the runs are in $work)"
  exit 1
fi
echo "com road: registration from a folder outside the code page, 8 scripts through COM and the real windows, unregistration passed"
