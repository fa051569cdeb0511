#!/usr/bin/env bash
# The whole program under Wine: start, welcome line, tray, second instance,
# Exit -> No, Exit -> Yes. Driven by guidriver from outside the process.
set -u
. "$(dirname "$0")/../harness/poll.sh"
bin=$TELLISTRY_WIN_BIN
drive() { wine "$bin/guidriver.exe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
fail() {
  echo "FAIL: $*"
  echo "--- the log"
  drive lines
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null
  exit 1
}
state_is() { [ "$(drive state | head -n 1)" = "$1" ]; }
tray_has_tip() { drive tray-tips | grep -qx "$1"; }
no_tray_tip() { ! tray_has_tip "$1"; }
running() { kill -0 "$server" 2>/dev/null; }
ended() { ! running; }

wine "$bin/tellistry.exe" >/dev/null 2>&1 &
server=$!

drive wait-main 120000 || fail "no main window"
[ "$(drive title)" = "Tellistry" ] || fail "title"
drive wait-line "Welcome" 60000 || fail "no welcome line"
first=$(drive lines | head -n 1)
case "$first" in
  "["*"] INFO: Welcome to Tellistry. Version 1.0") ;;
  *) fail "first line: $first" ;;
esac
state_is hidden || fail "main window not hidden at start: $(drive state)"
poll 60 tray_has_tip Tellistry || fail "tray tip: $(drive tray-tips)"

# A restarted shell forgets the icon; its "TaskbarCreated" brings it back.
drive tray-remove || fail "tray-remove"
poll 60 no_tray_tip Tellistry || fail "icon still there after its removal: $(drive tray-tips)"
drive shell-restarted || fail "shell-restarted"
poll 60 tray_has_tip Tellistry || fail "icon not back after TaskbarCreated: $(drive tray-tips)"
pid=$(drive pid)

# A second start ends (after its splash) and brings the first one up.
lines=$(drive lines | wc -l)
timeout 180 wine "$bin/tellistry.exe" >/dev/null 2>&1 || fail "second instance did not end cleanly"
poll 30 state_is visible || fail "first instance not restored: $(drive state)"
[ "$(drive pid)" = "$pid" ] || fail "another main window"
[ "$(drive lines | wc -l)" = "$lines" ] || fail "second instance wrote to the log"

# Minimising hides; the tray's double-click brings the window back.
drive minimize || fail "minimize"
poll 30 state_is hidden || fail "not hidden when minimised: $(drive state)"
drive tray dblclick || fail "tray notify"
poll 30 state_is visible || fail "not shown after tray double-click: $(drive state)"

# The Help commands open help windows beside the server and leave it
# running (what they open: tests/extras/help_test.sh). Posted commands are
# taken in order, so the Exit question below comes only after all of them
# were handled.
for help in 57670 57667 57666 32806 32808; do drive command $help || fail "help $help"; done

# Exit -> No: still running, and the next Exit asks again.
drive command 1002 || fail "exit command"
[ "$(drive answer no 60000)" = "Are you sure?" ] || fail "no question on Exit"
running || fail "ended after No"
drive wait-main 1000 || fail "main window gone after No"

# Exit -> Yes: the listener stops, the window goes, the process ends and
# the tray icon with it (the listener's bound is 10 s).
drive command 1002 || fail "exit command after No"
drive answer yes 60000 >/dev/null || fail "no question on the second Exit"
drive wait-gone 60000 || fail "main window still there"
poll 60 ended || fail "process still running"
server=
poll 30 no_tray_tip Tellistry || fail "tray icon left behind"
echo "program test passed"
