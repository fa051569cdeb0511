#!/usr/bin/env bash
# The whole program under Wine: start, welcome line, tray, second instance,
# Exit -> No, Exit -> Yes. Driven by guidriver from outside the process.
set -u
bin=$TELLISTRY_WIN_BIN
drive() { wine "$bin/guidriver.exe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
fail() {
  echo "FAIL: $*"
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null
  exit 1
}

wine "$bin/tellistry.exe" >/dev/null 2>&1 &
server=$!

drive wait-main 60000 || fail "no main window"
[ "$(drive title)" = "Tellistry" ] || fail "title"
drive wait-line "Welcome" 20000 || fail "no welcome line"
first=$(drive lines | head -n 1)
case "$first" in
  "["*"] INFO: Welcome to Tellistry. Version 1.0") ;;
  *) fail "first line: $first" ;;
esac
[ "$(drive state | head -n 1)" = "hidden" ] || fail "main window not hidden at start"
drive tray-tips | grep -qx "Tellistry" || fail "tray tip: $(drive tray-tips)"

# A restarted shell forgets the icon; its "TaskbarCreated" brings it back.
tray_has() {  # tray_has yes|no: poll until the tip is there (or gone)
  for _ in $(seq 100); do
    if drive tray-tips | grep -qx "Tellistry"; then [ "$1" = yes ] && return 0
    else [ "$1" = no ] && return 0; fi
    sleep 0.1
  done
  return 1
}
drive tray-remove || fail "tray-remove"
tray_has no || fail "icon still there after its removal: $(drive tray-tips)"
drive shell-restarted || fail "shell-restarted"
tray_has yes || fail "icon not back after TaskbarCreated: $(drive tray-tips)"
pid=$(drive pid)

# A second start ends (after its splash) and brings the first one up.
timeout 60 wine "$bin/tellistry.exe" >/dev/null 2>&1 || fail "second instance did not end cleanly"
[ "$(drive state | head -n 1)" = "visible" ] || fail "first instance not restored"
[ "$(drive pid)" = "$pid" ] || fail "another main window"
[ "$(drive lines | wc -l)" = 1 ] || fail "second instance wrote to the log"

# Minimising hides; the tray's double-click brings the window back.
drive minimize || fail "minimize"
sleep 1
[ "$(drive state | head -n 1)" = "hidden" ] || fail "not hidden when minimised"
drive tray dblclick || fail "tray notify"
sleep 1
[ "$(drive state | head -n 1)" = "visible" ] || fail "not shown after tray double-click"

# The Help commands open help windows beside the server and leave it
# running (what they open: tests/extras/help_test.sh).
for help in 57670 57667 57666 32806 32808; do drive command $help || fail "help $help"; done
sleep 1
kill -0 "$server" 2>/dev/null || fail "ended after the Help commands"
drive wait-main 5000 || fail "main window gone after the Help commands"

# Exit -> No: still running.
drive command 1002 || fail "exit command"
[ "$(drive answer no 10000)" = "Are you sure?" ] || fail "no question on Exit"
sleep 1
kill -0 "$server" 2>/dev/null || fail "ended after No"
drive wait-main 1000 || fail "main window gone after No"

# Exit -> Yes: the listener stops, the window goes, the process ends and
# the tray icon with it (the listener's bound is 10 s).
drive command 1002 || fail "exit command"
drive answer yes 10000 >/dev/null || fail "no question on Exit"
drive wait-gone 15000 || fail "main window still there"
for _ in $(seq 150); do kill -0 "$server" 2>/dev/null || break; sleep 0.1; done
kill -0 "$server" 2>/dev/null && fail "process still running"
drive tray-tips | grep -q "Tellistry" && fail "tray icon left behind"
echo "program test passed"
