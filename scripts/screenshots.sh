#!/bin/bash
# Pictures of the add-in's dialogs as a user sees them, for the README and the
# help pages: every page of the wizard for each kind of request, a field rule's
# message, Options, the template chooser and About. Wine draws the real dialogs
# on an Xvfb display (with window frames of its own, no window manager needed),
# ostrel-dialoghost drives them, ImageMagick takes the screen and cuts out the
# dialog. Builds the Windows build's dialog host when needed.
#   scripts/screenshots.sh [OUTPUT_DIR]     default docs/screenshots
# Environment: OSTREL_BUILD_DIR (default build), OSTREL_XVFB_DISPLAY (97),
# OSTREL_SCREENSHOT_DPI (96; 144 lays everything out half as large again).
# The dialogs speak the language of LANG, as Wine passes it on: German with
#   LANG=de_DE.UTF-8 scripts/screenshots.sh docs/screenshots/de
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${OSTREL_BUILD_DIR:-$root/build}
out=${1:-$root/docs/screenshots}
number=${OSTREL_XVFB_DISPLAY:-97}
dpi=${OSTREL_SCREENSHOT_DPI:-96}

if [ ! -f "$build/windows/build.ninja" ]; then
  cmake -S "$root" -B "$build/windows" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$build/windows" -j "${OSTREL_JOBS:-2}" --target ostrel-dialoghost >/dev/null
mkdir -p "$out"

. "$root/tools/dialoghost/x11-session.sh"
prefix="$build/wineprefix-x11"
x11_start "$number" "$prefix" "$build/windows/addin"
# The DPI is read when the Wine session starts.
"$root/tools/wine-run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
  /d "$dpi" /f </dev/null >/dev/null 2>&1
WINEPREFIX="$prefix" wineserver -k </dev/null >/dev/null 2>&1 || true
WINEPREFIX="$prefix" wineserver -w </dev/null >/dev/null 2>&1 || true
host_start "$build/windows/ostrel-dialoghost.exe" "$build/windows/addin"

do_() {
  local answer
  answer=$(host_send "$@")
  if grep -q '^error:' <<<"$answer"; then
    echo "screenshots: $* -> $answer" >&2
    exit 1
  fi
}

shot() {
  local rect
  sleep 0.4  # let Wine finish drawing
  rect=$(host_send front)
  read -r _ x y w h <<<"$rect"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$1.png"
  echo "$out/$1.png"
  # A text cut off in the picture is a fault of the dialog: say which.
  host_send show | grep '(clipped)' | sed "s/^/screenshots: $1: /" >&2 || true
}

# type CONTROL TEXT for several controls, "CONTROL=TEXT" each.
fill() {
  local pair
  for pair in "$@"; do
    do_ type "${pair%%=*}" "${pair#*=}"
  done
}

# Amounts written as the user's regional settings write them.
case ${LANG:-} in
  de*) point=, ;;
  *) point=. ;;
esac

names=(general product service auction donation)
for type in 0 1 2 3 4; do
  name=${names[$type]}
  do_ open
  [ "$type" -eq 0 ] && shot wizard-welcome
  do_ click cmdNext
  do_ click "optPaymentRequestType($type)"
  shot "wizard-$name-1-type"
  do_ click cmdNext
  case $name in
    general)
      fill "txtGeneralQuarroID=payments@example.com" "mebGeneralAmount=125" \
        "txtGeneralNote=Garden work in May, invoice 2031"
      do_ select cmbGeneralCurrency 0
      ;;
    product)
      fill "txtProductQuarroID=shop@example.com" "txtProductTo=alex.morgan@example.org" \
        "txtProductSubject=Your handmade oak bowls" "txtProductFirstName=Alex" \
        "txtProductLastName=Morgan" "txtProductName=Handmade oak bowl" \
        "txtProductNumber=BWL-07" "txtProductQuantity=2" "mebProductAmount=45" \
        "mebProductShipping=7${point}50"
      do_ click chkProductShipping
      ;;
    service)
      fill "txtServiceQuarroID=studio@example.com" "txtServiceTo=client@example.org" \
        "txtServiceSubject=Invoice for the website redesign" "txtServiceFirstName=Jordan" \
        "txtServiceLastName=Lee" "txtServiceDescription=Website redesign, March" \
        "mebServiceAmount=850"
      ;;
    auction)
      fill "txtAuctionQuarroID=sales@example.com" "txtAuctionTo=winner@example.org" \
        "txtAuctionItemNumber=A-1042" "txtAuctionNote=Thank you for your winning bid!"
      ;;
    donation)
      fill "txtDonationQuarroID=fund@example.org" "txtDonationTo=friends@example.com" \
        "txtDonationSubject=Help us mend the village hall roof" "txtDonationFirstName=Sam" \
        "txtDonationNote=Roof appeal 2026"
      ;;
  esac
  do_ tab
  shot "wizard-$name-2-details"
  do_ click cmdNext
  shot "wizard-$name-3-style"
  if [ "$name" = general ]; then
    do_ click cmdTemplate
    do_ type txtTemplate 'Dear customer,\n\nthank you for your business. Please pay [Amount] [Currency] for [ItemName] with the button below.\n\n[BUTTON]\n\nKind regards,\n[FirstName] [LastName]'
    shot template-chooser
    do_ click cmdCancel
  fi
  do_ click cmdNext
  shot "wizard-$name-4-summary"
  do_ close
done

# A field rule at work: an account identifier without "@".
do_ open-type 0
do_ type txtGeneralQuarroID payments-example.com
do_ tab
shot wizard-account-message
do_ answer OK
do_ close

do_ options
fill "txtNameFirst=Sam" "txtNameLast=Fisher" "txtCompany=Fisher Woodcraft" \
  'txtAddress=12 Mill Lane\nHarbury' "txtCity=Leamington Spa" "txtState=Warwickshire" \
  "txtZIP=CV33 9HR" "txtQuarroID=payments@example.com" "txtMRB=FW2041"
shot options
do_ close

do_ about
shot about
do_ click cmdOK

# Outlook 2016's main window in Outlook's stand-in, with the add-in's group on
# the Home tab of the ribbon: the add-in registered through COM as an
# installation registers it, the stand-in driven through a pipe so that the
# window stays up while the picture is taken.
if [ -x "$build/windows/standin/com/ostrel-outlook.exe" ]; then
  "$root/tools/wine-run" "$build/windows/ostrel-reglink.exe" </dev/null >/dev/null 2>&1
  "$root/tools/wine-run" regsvr32 /s "$(x11_windows_path "$build/windows/addin/Ostrel.dll")" \
    </dev/null >/dev/null 2>&1
  pipe=$(mktemp -u)
  mkfifo "$pipe"
  profile=$(mktemp -d)
  "$root/tools/wine-run" "$build/windows/standin/com/ostrel-outlook.exe" \
    --profile "$(x11_windows_path "$profile")" <"$pipe" >/dev/null 2>&1 &
  outlook=$!
  exec 6>"$pipe"
  echo start >&6
  window=$(timeout 60 xdotool search --sync --name 'Inbox - Outlook' | head -1)
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/ribbon.png"
  echo "$out/ribbon.png"
  echo quit >&6
  exec 6>&-
  wait "$outlook" || true
  rm -rf "$pipe" "$profile"
fi
