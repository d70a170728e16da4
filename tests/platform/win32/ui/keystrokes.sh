#!/bin/bash
# Real keystrokes into the real wizard: Wine draws it on an Xvfb display and
# xdotool types as a keyboard does. An account without "@" is typed, Tab is
# pressed, the account rule's message box appears over the wizard, Return
# answers it, and the focus is still in the field with the text as typed. Then
# an access key (Alt and a label's underlined letter) leads to its field.
# usage: keystrokes.sh HOST_EXE ADDIN_DIR
set -euo pipefail
host_exe=$1
addin=$2
. "$(dirname "$0")/../../../../tools/dialoghost/x11-session.sh"

# A display number no other X server uses.
number=140
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do
  number=$((number + 1))
done
prefix="${OSTREL_WINEPREFIX:-${HOME:-/tmp}/.cache/ostrel/wineprefix}-keystrokes"
x11_start "$number" "$prefix" "$addin"
host_start "$host_exe" "$addin"

fail() {
  echo "FAILED: $*" >&2
  host_send show >&2 || true
  exit 1
}

host_send open-type 0 >/dev/null
wizard=$(xdotool search --sync --name '^Quarro Payment Request Wizard$' | head -1)
[ -n "$wizard" ] || fail "no wizard window on the display"
xdotool windowfocus --sync "$wizard" 2>/dev/null || xdotool windowfocus "$wizard"
host_wait_for 'txtGeneralQuarroID: \[\] (required) (focus)' || fail "the focus is not in the account box"

xdotool type --delay 60 'nobody'
xdotool key Tab
host_wait_for '^message box up: "Quarro Payment Request": This does not look like a Quarro account' ||
  fail "no message box after Tab"
shown=$(host_send show)
grep -q 'txtGeneralQuarroID: \[nobody\] (required) (focus)' <<<"$shown" ||
  fail "the account box does not hold the focus behind the message box"

box=$(xdotool search --name '^Quarro Payment Request$' | head -1)
[ -n "$box" ] || fail "the message box is no window on the display"
xdotool windowfocus "$box" 2>/dev/null || true
xdotool key Return
host_wait_for -v '^message box up' || fail "Return did not close the message box"
shown=$(host_send show)
grep -q 'txtGeneralQuarroID: \[nobody\] (required) (focus)' <<<"$shown" ||
  fail "the focus left the account box"

# An access key: Alt+O goes to the field labelled "N&ote (also the subject):".
xdotool windowfocus "$wizard" 2>/dev/null || true
xdotool key ctrl+a
xdotool type --delay 60 'me@example.com'
xdotool key alt+o
host_wait_for 'txtGeneralNote: \[\] (focus)' || fail "Alt+O did not lead to the note"
xdotool type --delay 60 'roof'
host_wait_for 'txtGeneralNote: \[roof\] (focus)' || fail "typing after Alt+O missed the note"
echo "keystrokes: 2 passed, 0 failed"
