#!/usr/bin/env bash
# End to end: a silent modem and a vanished modem. The wait ends in its
# time-out and the send-failure entries, nothing more is sent, and the next
# alert works once the modem is back. Prints the server's CPU time over the
# 30-second wait (a figure, not an assertion).
. "$(dirname "$0")/e2e_lib.sh"
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null' EXIT

# CPU clock ticks (user + system) of the server's process (wine execs the
# program in the process it was started as).
server_cpu() { awk '{print $14 + $15}' "/proc/$server_pid/stat"; }

tellconfig reset
tellconfig entry Centre "$MODEMSIM_COM" "$(winpath "$src/server/modem/scripts/dialup_centre.txt")" 0800123
tellconfig user Dee +444444 "<none>"
start_server || { finish; exit 1; }

echo "== a silent modem: time-out, send failure, no hang-up"
control silent
cpu0=$(server_cpu); t0=$(date +%s.%N)
raise Ops Dee "first"
wait_count "Failed to send alert" 1 90
cpu1=$(server_cpu); t1=$(date +%s.%N)
expect_line "WARNING: Timed out waiting for CONNECT"
expect_line "INFO: Nothing was received from the modem"
expect_line "ERROR: Failed to send alert: Please check application settings and modem connection"
expect_received 'ATD 0800123' 1 "dialled"
grep -qF 'ATH' "$MODEMSIM_DIR/received" && fail "hung up after a failure" \
  || pass "nothing sent after the failure"
hz=$(getconf CLK_TCK)
awk -v c=$((cpu1 - cpu0)) -v hz="$hz" -v t0="$t0" -v t1="$t1" 'BEGIN {
  s = c / hz; w = t1 - t0
  printf "BENCHMARK server CPU during a %.1f s modem wait: %.2f s (%.2f%% of one core)\n", w, s, 100 * s / w }'

echo "== the modem vanishes mid-script, then comes back"
control talk
clear_received
raise Ops Dee "second"
poll 60 received_at_least 'ATD' 1 || fail "the second alert did not dial"
control vanish
wait_count "Failed to send alert" 2 90
[ "$(log_lines | grep -c 'Timed out waiting for CONNECT')" -eq 2 ] && pass "timed out again" \
  || fail "no second time-out"
control back
clear_received
raise Ops Dee "third"
wait_count 'send to +444444 OK' 1 90
expect_received ':(From Ops) third' 1 "delivered once the modem is back"

stop_server
finish
