#!/usr/bin/env bash
# Runs the alert server under Wine: builds what is missing or stale, starts
# tellistry.exe in the project's Wine prefix (build/native/wine/prefix) and
# waits until it ends through Exit, or until Ctrl-C (which ends it and
# cleans up).
# With DISPLAY set the window and the tray appear there; without it an Xvfb
# of our own is started (nothing is visible then, but alerts can still be
# raised with raisealert.exe and the server can be driven with guidriver.exe).
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/setup.sh" || exit 1
"$top/scripts/build.sh" || exit 1

export TELLISTRY_WINE_DIR=$top/build/native/wine
harness=$top/tests/harness/wine.sh
bin=$top/build/win/bin
user_display=${DISPLAY:-}

# Creates the prefix when missing, starts wineserver (and an Xvfb).
"$harness" setup || exit 1
if [ -n "$user_display" ]; then
  # Our own Xvfb is not needed: back to the user's display.
  "$harness" cleanup >/dev/null
  export DISPLAY=$user_display
  own_x=""
else
  DISPLAY=":$(cat "$TELLISTRY_WINE_DIR/display")"
  export DISPLAY
  own_x=yes
  echo "No DISPLAY set: running on a private Xvfb at $DISPLAY"
fi
export WINEPREFIX=$TELLISTRY_WINE_DIR/prefix WINEDEBUG=${WINEDEBUG:--all}

# The simulated modem line is started here, before the server.

cleanup() {
  trap - INT TERM EXIT
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  [ -n "$own_x" ] && "$harness" cleanup >/dev/null
}
trap cleanup INT TERM EXIT

echo "Starting tellistry.exe (leave it through File > Exit, or press Ctrl-C)"
# Wine's helper processes keep inherited output handles open: a log file.
wine "$bin/tellistry.exe" >"$TELLISTRY_WINE_DIR/tellistry.log" 2>&1 &
server=$!
wait "$server"
echo "tellistry.exe has ended"
