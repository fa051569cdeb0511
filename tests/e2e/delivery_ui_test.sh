#!/usr/bin/env bash
# End to end: the program's own windows never hold a delivery. The Exit
# question leaves it running; a tray menu or a dialog's Add chosen during
# it opens when the alert is done; an alert closes a menu left open; Exit
# answered Yes while an alert is being sent, and a log-off, stop it at once
# and name what was not sent. The window is gone before a driver could read
# the last lines, so they are read from Wine's trace of the list box.
. "$(dirname "$0")/e2e_lib.sh"
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null' EXIT
d() { driver "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
step() { "$@" || fail "step: $*"; }
done_count() { log_lines | grep -c 'Alert done.'; }
# after_alerts N WHAT: WHAT showed only once N alerts were done.
after_alerts() {
  if [ "$(done_count)" = "$1" ]; then pass "$2 after the alert"; else fail "$2 during the alert"; fi
}
# listed FILE TEXT: the list box of the run traced in FILE got TEXT.
listed() {
  if grep -a 'added item' "$1" | tr -d '\r' | grep -qF -- "$2"; then pass "listed: $2"; else
    fail "not listed: $2"
  fi
}
AB="Address Book..."

tellconfig reset
tellconfig entry Centre "$MODEMSIM_COM" "$(winpath "$src/server/modem/scripts/dialup_centre.txt")" 0800123
tellconfig settings Srv ""
tellconfig user Ann +441111 "<none>"
WINEDEBUG=-all,+listbox start_server || { finish; exit 1; }

echo "== the Exit question leaves the delivery running"
raise Backup Ann "asked"
poll 60 received_at_least ATD 1 || fail "no dial"
step d command 1002
step d dialog Tellistry 10000
mkdir -p "$bin/screenshots"
d snap Tellistry "$(winpath "$bin/screenshots")\\exit_question.bmp" || fail "picture of the question"
wait_count "Alert done." 1 90
expect_line 'INFO: Alert "(From Backup) asked" send to +441111 OK'
d dialog Tellistry 0 && pass "question still open" || fail "question gone"
step d answer no 10000

echo "== a tray menu chosen during a delivery opens after it; an alert closes it"
raise Backup Ann "menu"
poll 60 received_at_least ATD 2 || fail "no second dial"
step d tray rdown
step d menu 90000
after_alerts 2 "menu"
raise Backup Ann "closes the menu"
step d menu-gone 60000
wait_count "Alert done." 3 90

echo "== Add chosen during a delivery opens after it; the delivery keeps its time"
step d command 129
step d dialog "$AB" 10000
raise Backup Ann "add"
poll 60 received_at_least ATD 4 || fail "no fourth dial"
step d click "$AB" 1007
step d dialog "Add User" 90000
after_alerts 4 "Add User"
expect_line 'INFO: Alert "(From Backup) add" send to +441111 OK'
step d click "Add User" 2
step d dialog-gone "Add User" 5000
step d click "$AB" 1
step d dialog-gone "$AB" 5000
step d command 57664
step d dialog "About Tellistry" 10000
[ "$(d modal "About Tellistry")" = 1 ] && pass "About box modal to the main window" \
  || fail "About box not modal to the main window"
step d click "About Tellistry" 1
step d dialog-gone "About Tellistry" 5000

echo "== Exit asked while idle, Yes while an alert is being sent"
control "connect-delay 60000"
step d command 1002
step d dialog Tellistry 10000
clear_received
raise Backup Ann "slow"
poll 60 received_at_least ATD 1 || fail "no slow dial"
step d answer yes 10000
t0=$(date +%s.%N)
driver wait-gone 45000 >/dev/null || fail "window still there 45 s after Yes"
t1=$(date +%s.%N)
awk -v t0="$t0" -v t1="$t1" 'BEGIN { printf "BENCHMARK exit asked while idle: window gone %.2f s after Yes\n", t1 - t0 }'
server_end || fail "the server ended with code $?"
cp "$work/server.log" "$work/exit.log"
listed "$work/exit.log" 'WARNING: Exit requested: stopping the current delivery'
listed "$work/exit.log" 'ERROR: Alert \"(From Backup) slow\" to +441111 interrupted: Tellistry is closing'

echo "== a log-off during a delivery takes the road of Exit"
WINEDEBUG=-all,+listbox start_server || { finish; exit 1; }
clear_received
raise Backup Ann "logoff"
poll 60 received_at_least ATD 1 || fail "no dial before the log-off"
raise Later Ann "queued"
[ "$(d endsession)" = agreed ] && pass "session end agreed" || fail "session end refused"
driver wait-gone 45000 >/dev/null || fail "window still there 45 s after the session's end"
server_end || fail "the server ended with code $?"
listed "$work/server.log" 'WARNING: Windows is ending the session: stopping the current delivery'
listed "$work/server.log" 'ERROR: Alert \"(From Backup) logoff\" to +441111 interrupted: Tellistry is closing'
listed "$work/server.log" 'WARNING: Alert \"(From Later) queued\" not sent to Ann: Tellistry is closing'
[ "$(received_count ATD)" -eq 1 ] && pass "nothing dialled after the log-off" || fail "dialled again: $(received)"
finish
