#!/usr/bin/env bash
# Runs the alert server under Wine: builds what is missing or stale, starts
# the simulated GSM modem on COM2 and tellistry.exe in a Wine prefix of its
# own (build/run/wine/prefix; never the tests' one, so a test run and this
# script never stop each other's Xvfb or wineserver), raises a sample alert
# and shows what the modem received and what the log says, then waits until
# the server ends through Exit, or until Ctrl-C (which ends it and cleans up).
# On the first run the prefix gets a sample configuration: the SMS entry
# "Simulated GSM modem" (COM2, the GSM sample script), the ID "Tellistry",
# the group "Admins" and its user "Operator" (+15550100).
# With DISPLAY set the window and the tray appear there; without it an Xvfb
# of our own is started (nothing is visible then, but alerts can still be
# raised with raisealert.exe and the server can be driven with guidriver.exe).
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/setup.sh" || exit 1
"$top/scripts/build.sh" || exit 1

export TELLISTRY_WINE_DIR=$top/build/run/wine
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
  # Again detached from any terminal, before the modem's pty exists.
  WINEPREFIX=$TELLISTRY_WINE_DIR/prefix setsid wineserver -p >/dev/null 2>&1 </dev/null
else
  DISPLAY=":$(cat "$TELLISTRY_WINE_DIR/display")"
  export DISPLAY
  own_x=yes
  echo "No DISPLAY set: running on a private Xvfb at $DISPLAY"
fi
export WINEPREFIX=$TELLISTRY_WINE_DIR/prefix WINEDEBUG=${WINEDEBUG:--all}

modem_dir=$TELLISTRY_WINE_DIR/modem
rm -rf "$modem_dir"
"$top/build/native/tools/modemsim/modemsim" --com 2 --dir "$modem_dir" \
  >"$TELLISTRY_WINE_DIR/modemsim.log" 2>&1 </dev/null &
modem=$!

cleanup() {
  trap - INT TERM EXIT
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null
  kill "$modem" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  [ -n "$own_x" ] && "$harness" cleanup >/dev/null
}
trap cleanup INT TERM EXIT

quiet() { "$@" >>"$TELLISTRY_WINE_DIR/run.log" 2>&1 </dev/null; }
for _ in $(seq 600); do [ -f "$modem_dir/ready" ] && break; sleep 0.1; done
[ -f "$modem_dir/ready" ] || { echo "The modem simulator did not start:"; cat "$TELLISTRY_WINE_DIR/modemsim.log"; exit 1; }

if [ ! -f "$WINEPREFIX/.tellistry-sample" ]; then
  echo "Writing the sample configuration"
  quiet wine "$bin/tellconfig.exe" entry "Simulated GSM modem" 2 \
    "$(winepath -w "$bin/scripts/gsm_text_mode.txt")" "" &&
    quiet wine "$bin/tellconfig.exe" settings Tellistry "" &&
    quiet wine "$bin/tellconfig.exe" group Admins &&
    quiet wine "$bin/tellconfig.exe" user Operator +15550100 Admins &&
    touch "$WINEPREFIX/.tellistry-sample"
fi

echo "Starting tellistry.exe (leave it through File > Exit, or press Ctrl-C)"
# Wine's helper processes keep inherited output handles open: a log file.
wine "$bin/tellistry.exe" >"$TELLISTRY_WINE_DIR/tellistry.log" 2>&1 &
server=$!
driver() { wine "$bin/guidriver.exe" "$@" 2>/dev/null </dev/null; }
if driver wait-line "Welcome to Tellistry" 60000 >/dev/null; then
  echo "Raising a sample alert: raisealert run.sh Admins \"The alert server works\""
  quiet wine "$bin/raisealert.exe" run.sh Admins "The alert server works"
  driver wait-line "Alert done." 90000 >/dev/null
  echo "--- the modem received:"
  cat -v "$modem_dir/received"; echo
  echo "--- the activity log:"
  driver lines
  echo "---"
  echo "Raise more with: WINEPREFIX=$WINEPREFIX wine $bin/raisealert.exe SENDER RECIPIENT MESSAGE"
fi
wait "$server"
echo "tellistry.exe has ended"
