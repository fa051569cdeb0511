#!/usr/bin/env bash
# End to end: Exit confirmed while a delivery waits for a modem that takes a
# minute to connect. The delivery stops at once, nothing more is dialled, the
# window closes promptly, and the log names the interrupted delivery, each
# number left and the alert still queued. The window is gone before a driver
# could read those lines, so they are read from Wine's trace of the list box
# (the server runs with the listbox channel on).
. "$(dirname "$0")/e2e_lib.sh"
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null' EXIT

tellconfig reset
tellconfig entry Centre "$MODEMSIM_COM" "$(winpath "$src/server/modem/scripts/dialup_centre.txt")" 0800123
tellconfig settings Srv ""
tellconfig group Admins
tellconfig user Ann +441111 Admins
tellconfig user Bob +442222 Admins
tellconfig user Cy +443333 Admins
tellconfig user Dee +444444 "<none>"
WINEDEBUG=-all,+listbox start_server || { finish; exit 1; }

raise Backup Admins "Disk full"
poll 60 received_at_least 'ATD' 1 || fail "no dial"
raise Later Dee "queued"

driver command 1002 >/dev/null || fail "exit command"
driver answer yes 60000 >/dev/null || fail "no Exit question"
t0=$(date +%s.%N)
# Before the fix the delivery went on to its 30 s time-out, then the next
# number's: well over a minute. The bound leaves room for a busy machine.
driver wait-gone 45000 >/dev/null || fail "window still there 45 s after Yes"
t1=$(date +%s.%N)
awk -v t0="$t0" -v t1="$t1" 'BEGIN { printf "BENCHMARK exit during a delivery: window gone %.2f s after Yes\n", t1 - t0 }'
server_end || fail "the server ended with code $?"

# The lines as the list received them; the trace quotes them as C strings.
shown=$(grep -a 'added item' "$work/server.log" | tr -d '\r')
listed() {
  if grep -qF -- "$1" <<<"$shown"; then pass "listed: $1"; else fail "not listed: $1"; fi
}
listed 'WARNING: Exit requested: stopping the current delivery'
listed 'INFO: Last received from the modem: \"ATD 0800123\\r\"'
listed 'ERROR: Alert \"(From Backup) Disk full\" to +441111 interrupted: Tellistry is closing'
listed 'WARNING: Alert \"(From Backup) Disk full\" not sent to +442222: Tellistry is closing'
listed 'WARNING: Alert \"(From Backup) Disk full\" not sent to +443333: Tellistry is closing'
listed 'WARNING: Alert \"(From Later) queued\" not sent to Dee: Tellistry is closing'
grep -qF 'Alert done.' <<<"$shown" && fail "an interrupted alert reported done"
[ "$(grep -o 'ATD' "$MODEMSIM_DIR/received" | wc -l)" -eq 1 ] && pass "nothing dialled after Exit" \
  || fail "dialled again: $(received)"
finish
