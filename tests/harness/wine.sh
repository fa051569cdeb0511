#!/usr/bin/env bash
# Wine harness for the tests.
#   wine.sh setup            create the private prefix if needed, start Xvfb and wineserver
#   wine.sh run PROG [ARGS]  run a Windows program in that environment
#   wine.sh exec CMD [ARGS]  run any command with the environment set
#   wine.sh cleanup          end wineserver and Xvfb
# State lives in $TELLISTRY_WINE_DIR (default: build/native/wine): the prefix,
# the display number and Xvfb's pid. A run killed half way leaves stale state
# behind; setup clears it, so running twice in a row always works.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/poll.sh"
dir=${TELLISTRY_WINE_DIR:-$here/../../build/native/wine}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
export WINEPREFIX=$dir/prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# No Mono or Gecko installers: nothing here needs them.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

load_display() {
  if [ -f "$dir/display" ]; then export DISPLAY=":$(cat "$dir/display")"; fi
}

stop_all() {
  wineserver -k >/dev/null 2>&1
  if [ -f "$dir/xvfb.pid" ]; then
    pid=$(cat "$dir/xvfb.pid")
    kill "$pid" >/dev/null 2>&1
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" >/dev/null 2>&1
    rm -f "$dir/xvfb.pid" "$dir/display"
  fi
}

start_xvfb() {
  rm -f "$dir/display.fd"
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display.fd" \
    >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  poll 120 test -s "$dir/display.fd" || { echo "Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; return 1; }
  tr -dc '0-9' <"$dir/display.fd" >"$dir/display"
  load_display
}

# The Wine that made a prefix: once wine32 is installed, the launcher runs
# everything through the 32-bit loader, which cannot start in a prefix made
# without it (and the reverse), so such a prefix is made afresh.
wine_identity() {
  local loader=win64
  [ -x /usr/lib/wine/wine ] && loader=wow64
  echo "$(wine --version 2>/dev/null) $loader"
}

make_prefix() {
  local identity
  identity=$(wine_identity)
  [ "$(cat "$WINEPREFIX/.tellistry-ready" 2>/dev/null)" = "$identity" ] && return 0
  rm -rf "$WINEPREFIX"
  echo "creating Wine prefix $WINEPREFIX" >&2
  wineboot -i >"$dir/wineboot.log" 2>&1
  wineserver -w
  # Without a window manager every unmanaged window close costs seconds.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
  echo "$identity" >"$WINEPREFIX/.tellistry-ready"
}

# Runs a command with its output going to a file, then shows the file.
# Wine leaves helper processes (services, explorer for the tray) running after
# a program ends; they inherit the output handles, and ctest would wait for
# them to close a pipe.
run_logged() {
  local log
  log=$(mktemp "$dir/output.XXXXXX")
  "$@" >"$log" 2>&1 </dev/null
  local rc=$?
  cat "$log"
  rm -f "$log"
  return $rc
}

# limited CMD [ARGS]: a test's command, stopped after TELLISTRY_RUN_LIMIT
# seconds (default 570, inside ctest's 600) so that what it wrote so far is
# still shown: a test ctest kills shows nothing.
limited() {
  local limit=${TELLISTRY_RUN_LIMIT:-570} rc
  timeout -k 10 "$limit" "$@"
  rc=$?
  [ $rc -eq 124 ] && echo "STOPPED: still running after $limit s: $*"
  return $rc
}

setup() {
  stop_all
  start_xvfb || return 1
  make_prefix
  # A persistent server of our own, detached from any terminal (a pty used
  # as a modem line must never become its controlling terminal).
  setsid wineserver -p
}

case "${1:-}" in
  setup)
    run_logged setup || exit 1
    load_display
    echo "Wine ready on DISPLAY=$DISPLAY, WINEPREFIX=$WINEPREFIX"
    ;;
  run)
    shift
    load_display
    run_logged limited wine "$@"
    ;;
  exec)
    shift
    load_display
    run_logged limited "$@"
    ;;
  cleanup)
    stop_all
    echo "Wine stopped"
    ;;
  *)
    echo "usage: $0 setup|run PROG [ARGS]|exec CMD [ARGS]|cleanup" >&2
    exit 2
    ;;
esac
