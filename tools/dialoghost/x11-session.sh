# Sourced by the keystroke test and the screenshot script: an Xvfb display, a
# Wine prefix that draws on it, and ostrel-dialoghost driven line by line.
#   x11_start DISPLAY_NUMBER PREFIX BUILD_ADDIN_DIR   (exports DISPLAY and the prefix)
#   host_start HOST_EXE ADDIN_DIR
#   host_send ACTION...    prints the host's answer (without the closing ".")
#   x11_stop               ends the host, Wine and Xvfb (also on exit)
# Needs tools/wine-run beside this file's folder, Xvfb, xdotool.

x11_tools=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
x11_xvfb_pid=""

x11_start() {
  local number=$1 prefix=$2 addin=$3
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  x11_xvfb_pid=$!
  trap x11_stop EXIT
  for _ in $(seq 1 100); do
    [ -S "/tmp/.X11-unix/X$number" ] && break
    sleep 0.1
  done
  [ -S "/tmp/.X11-unix/X$number" ] || { echo "Xvfb :$number did not start" >&2; return 1; }
  export DISPLAY=":$number" OSTREL_WINEPREFIX="$prefix" OSTREL_WINE_GRAPHICS=x11
  # A Wine session started for another display would not draw on this one.
  WINEPREFIX="$prefix" wineserver -k </dev/null >/dev/null 2>&1 || true
  WINEPREFIX="$prefix" wineserver -w </dev/null >/dev/null 2>&1 || true
  "$x11_tools/wine-run" reg import "$(x11_windows_path "$addin/Ostrel.reg")" \
    </dev/null >/dev/null 2>&1
}

# A Linux path as Wine's Windows side names it.
x11_windows_path() {
  local path
  path=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  echo "Z:${path//\//\\}"
}

x11_host_pid=""

host_start() {
  coproc HOST { "$x11_tools/wine-run" "$1" "$(x11_windows_path "$2")" 2>/dev/null; }
  x11_host_pid=$HOST_PID
  # Plain descriptors: a coprocess's own are not there in subshells, such as
  # $(host_send show).
  exec 7>&"${HOST[1]}" 8<&"${HOST[0]}"
}

host_send() {
  local line
  echo "$*" >&7
  while IFS= read -r -t 60 line <&8; do
    line=${line%$'\r'}
    [ "$line" = "." ] && return 0
    echo "$line"
  done
  echo "the dialog host did not answer \"$*\"" >&2
  return 1
}

# Waits until `show` prints a line matching the pattern (or not, with -v).
host_wait_for() {
  local invert="" pattern
  [ "$1" = "-v" ] && { invert=1; shift; }
  pattern=$1
  local shown
  for _ in $(seq 1 50); do
    shown=$(host_send show)
    if grep -q -- "$pattern" <<<"$shown"; then
      [ -z "$invert" ] && return 0
    else
      [ -n "$invert" ] && return 0
    fi
    sleep 0.2
  done
  return 1
}

x11_stop() {
  if [ -n "$x11_host_pid" ]; then
    echo quit >&7 2>/dev/null || true
    sleep 0.5
    kill "$x11_host_pid" 2>/dev/null || true
    x11_host_pid=""
  fi
  [ -n "${OSTREL_WINEPREFIX:-}" ] &&
    WINEPREFIX="$OSTREL_WINEPREFIX" wineserver -k </dev/null >/dev/null 2>&1 || true
  [ -n "$x11_xvfb_pid" ] && kill "$x11_xvfb_pid" 2>/dev/null || true
  x11_xvfb_pid=""
}
