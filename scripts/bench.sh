#!/usr/bin/env bash
# The benchmark: runs tellistry.exe under Wine against the simulated modem and
# prints each figure with its ratio to its goal (ratio <= 1 meets the goal,
# except for rates, where >= 1 does). Not a test: it passes or fails nothing.
#   scripts/bench.sh
# Builds first, like the test command. Uses a Wine folder of its own
# (TELLISTRY_WINE_DIR, default build/bench/wine), so it never disturbs a
# test run. About six minutes on a 2-core machine. TELLISTRY_BENCH_BIN
# measures the programs of another folder (default build/win/bin); the tools
# there must understand this script and the simulator.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" != --inner ]; then
  "$top/scripts/setup.sh" >/dev/null || exit 1
  "$top/scripts/build.sh" >/dev/null || { echo "bench: build failed" >&2; exit 1; }
  export TELLISTRY_WINE_DIR=${TELLISTRY_WINE_DIR:-$top/build/bench/wine}
  export TELLISTRY_WIN_BIN=${TELLISTRY_BENCH_BIN:-$top/build/win/bin} TELLISTRY_SOURCE=$top
  export MODEMSIM=$top/build/native/tools/modemsim/modemsim
  harness=$top/tests/harness/wine.sh
  echo "bench: running (the figures come at the end, after about six minutes)"
  "$harness" setup >/dev/null || { echo "bench: no Wine" >&2; exit 1; }
  # A crashing helper ends at once instead of waiting in the debugger.
  "$harness" exec wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /f >/dev/null 2>&1
  # The event source, as the server package registers it: the figures
  # include writing the warnings and errors to the Event Log.
  "$harness" exec wine reg add 'HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Tellistry' \
    /v EventMessageFile /d 'C:\Program Files\Tellistry\tellistry.exe' /f /reg:64 >/dev/null 2>&1
  # The dial-up service centre of the sample script; the GSM modem needs no
  # steps. Delays are set per measurement through the simulator's control.
  "$harness" exec "$top/tests/harness/modem_line.sh" --com 5 --connect-delay 0 \
    --step '\r' '\r\nNUMBER:' --step '\r' '\r\nMESSAGE:' --step '\r' '\r\nMESSAGE ACCEPTED\r\n' \
    -- "$0" --inner
  rc=$?
  "$harness" cleanup >/dev/null
  exit $rc
fi

# ---- inside the harness: WINEPREFIX, DISPLAY, MODEMSIM_DIR, MODEMSIM_COM set
. "$top/tests/e2e/e2e_lib.sh"
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null' EXIT
scripts=$src/server/modem/scripts
timeline=$MODEMSIM_DIR/timeline

# The log as the driver reads it, bounded in time whatever the driver does.
log_lines() { timeout 30 wine "$bin/guidriver.exe" lines 2>/dev/null | sed -e 's/^\[[^]]*\] //' | tr -d '\r'; }
# alive PHASE: stops the bench when the server has gone.
alive() {
  kill -0 "$pid" 2>/dev/null && return 0
  fail "the server ended during: $1"
  finish
  exit 1
}

# phase NAME: the next measurement, once the server came through the last.
phase() {
  [ -n "${current:-}" ] && alive "$current"
  current=$1
  echo "== $1"
}

now_us() { local t=$EPOCHREALTIME; echo $((10#${t/[.,]/})); }

# figure NAME VALUE UNIT GOAL: prints the figure and VALUE/GOAL (GOAL "-":
# no goal; GOAL 0: ratio 0 when met, "inf" when not).
figure() { awk -v n="$1" -v v="$2" -v u="$3" -v g="$4" 'BEGIN {
  r = g == "-" ? "-" : g > 0 ? sprintf("%.2f", v / g) : v == 0 ? "0.00" : "inf"
  printf "%-58s %9.2f %-6s goal %-8s ratio %s\n", n, v, u, g, r }'; }
# rate NAME VALUE UNIT GOAL: a figure whose goal is a minimum: GOAL/VALUE.
rate() { awk -v n="$1" -v v="$2" -v u="$3" -v g="$4" \
  'BEGIN { printf "%-58s %9.2f %-6s goal >=%-6s ratio %s\n", n, v, u, g, (v > 0 ? sprintf("%.2f", g / v) : "inf") }'; }

# control COMMAND: a simulator command, done when "ready" counts it.
control() {
  local before
  before=$(cut -d' ' -f1 "$MODEMSIM_DIR/ready")
  echo "$*" >"$MODEMSIM_DIR/control"
  for _ in $(seq 200); do
    [ "$(cut -d' ' -f1 "$MODEMSIM_DIR/ready")" != "$before" ] && return 0
    sleep 0.05
  done
  fail "simulator did not take '$*'"
}

# raw TEXT [COUNT]: writes datagrams, prints the time of the first write (us).
raw() {
  local out
  out=$(wine "$bin/tellconfig.exe" raw "$@" 2>&1 | tr -d '\r')
  case "$out" in
    "written "*) sed -e 's/.*first at \([0-9]*\).*/\1/' <<<"$out" ;;
    *) fail "tellconfig raw: $out" >&2; echo 0 ;;
  esac
}

# first_received SINCE PATTERN SECONDS: time (us) of the first piece the
# modem received at or after SINCE whose text matches PATTERN (awk regex).
first_received() {
  local end=$((SECONDS + $3)) t
  while :; do
    t=$(awk -v s="$1" -v p="$2" '$1 >= s && $2 == "R" && substr($0, index($0, "R ") + 2) ~ p \
      { print $1; exit }' "$timeline")
    [ -n "$t" ] && { echo "$t"; return 0; }
    [ $SECONDS -ge $end ] && { fail "modem received nothing like '$2' in ${3}s" >&2; echo 0; return 1; }
    sleep 0.02
  done
}

# wait_last TEXT SECONDS: until the newest log line contains TEXT.
wait_last() {
  local end=$((SECONDS + $2))
  until log_lines | tail -n 1 | grep -qF -- "$1"; do
    [ $SECONDS -ge $end ] && { fail "waited ${2}s for a last log line with '$1'"; return 1; }
    sleep 0.2
  done
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
maximum() { sort -n | tail -n 1; }

# The server's Linux process: the tellistry.exe of this Wine prefix (the
# largest, should a loader process carry the same name).
server_process() {
  local p
  for p in $(pgrep -f 'tellistry\.exe'); do
    tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
      echo "$(awk '/^VmRSS:/ { print $2 }' "/proc/$p/status" 2>/dev/null) $p"
  done | sort -n | tail -n 1 | cut -d' ' -f2
}
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

statements() { grep -c . "$1"; }
waits() { grep -ciE '^[[:space:]]*(DIAL|WAITFOR)' "$1"; }

tellconfig reset
tellconfig entry Dialup "$MODEMSIM_COM" "$(winpath "$scripts/dialup_centre.txt")" 0800123
tellconfig entry Gsm "$MODEMSIM_COM" "$(winpath "$scripts/gsm_text_mode.txt")" ""
tellconfig settings Bench ""
tellconfig group Six
for i in 1 2 3 4 5 6; do tellconfig user "U$i" "+44000000$i" Six; done
start_server || { finish; exit 1; }
pid=$(server_process)
[ -n "$pid" ] || fail "server process not found"

phase "resident memory after 100 log lines"
raw 'Bench\tNobody{n}\tmemory' 50 >/dev/null
wait_last "recipient:Nobody50" 60
rss100=$(rss_kb "$pid")

phase "datagram to first modem byte (20 alerts, GSM modem answering at once)"
tellconfig current Gsm
control answer-delay 0
latencies=()
for i in $(seq 20); do
  t0=$(raw "Bench\t+440000099\tlatency $i")
  t1=$(first_received "$t0" '^ATE0' 30)
  latencies+=($(( (t1 - t0) / 1000 )))
  wait_last "Alert done." 60
done
latency_median=$(printf '%s\n' "${latencies[@]}" | median)
latency_max=$(printf '%s\n' "${latencies[@]}" | maximum)

phase "delivery time: a group of six, one delivery after the other"
declare -A ratio_ms ratio_floor
for script in Gsm Dialup; do
  if [ $script = Gsm ]; then file=$scripts/gsm_text_mode.txt start='^ATE0'
  else file=$scripts/dialup_centre.txt start='^ATD'; fi
  tellconfig current $script
  for delay in 0 200; do
    control answer-delay $delay
    t0=$(raw "Bench\tSix\tdelivery $script $delay")
    first_received "$t0" "$start" 30 >/dev/null
    wait_last "Alert done." 180
    # The time from one delivery's first byte to the next one's: the whole
    # delivery, port opening and closing included.
    ratio_ms[$script.$delay]=$(awk -v s="$t0" -v p="$start" '$1 >= s && $2 == "R" && substr($0, index($0, "R ") + 2) ~ p \
      { if (last) print ($1 - last) / 1000; last = $1 }' "$timeline" | median)
    ratio_floor[$script.$delay]=$(( 50 * $(statements "$file") + delay * $(waits "$file") ))
  done
done

phase "CPU while a script waits 30 s for a modem that says nothing"
tellconfig current Gsm
control silent
t0=$(raw 'Bench\t+440000098\tcpu')
first_received "$t0" '^ATE0' 30 >/dev/null
sleep 2
c0=$(cpu_ticks "$pid")
sleep 25
c1=$(cpu_ticks "$pid")
cpu=$(awk -v a="$c0" -v b="$c1" -v hz="$(getconf CLK_TCK)" 'BEGIN { print (b - a) / hz / 25 * 100 }')
wait_last "Alert done." 60
control talk

phase "burst of 1,000 datagrams during a delivery"
tellconfig current Dialup
control answer-delay 0
control connect-delay 3000
t0=$(raw 'Bench\t+440000097\tcarrier')
tdial=$(first_received "$t0" '^ATD' 30)
burst=$(wine "$bin/tellconfig.exe" raw 'Bench\tNobody{n}\tburst' 1000 2>&1 | tr -d '\r')
raw 'Bench\t+440000096\tafter the burst' >/dev/null
wait_last "Alert done." 180
control connect-delay 0
written=$(sed -n 's/^written \([0-9]*\) of.*/\1/p' <<<"$burst")
burst_end=$(sed -n 's/.*last at \([0-9]*\).*/\1/p' <<<"$burst")
tend=$(awk -v s="$tdial" '$1 >= s && $2 == "R" && /ATH/ { print $1; exit }' "$timeline")
tnext=$(first_received "$tend" '^ATD' 5)
[ "${burst_end:-0}" -lt "${tend:-0}" ] || fail "the burst was still being written when the delivery ended"
# The burst waits in the queue until the delivery ends; the delivery queued
# after it starts once all 1,000 are through (less its own start-up time).
span=$(( (tnext - tend) / 1000 ))
per_second=$(awk -v s="$span" -v l="$latency_median" 'BEGIN { d = s - l; print (d > 0 ? 1000000 / d : 0) }')
# The log keeps the newest 101 lines: the burst alerts still there must be the
# last ones, in order, none missing.
seen=$(log_lines | sed -n 's/^WARNING: Unknown or invalid recipient:Nobody\([0-9]*\)$/\1/p')
newest=$(tail -n 1 <<<"$seen")
count=$(grep -c . <<<"$seen")
gaps=$(awk 'NR > 1 && $1 != prev + 1 { g++ } { prev = $1 } END { print g + 0 }' <<<"$seen")
lost=$(( 1000 - ${written:-0} + (${newest:-0} == 1000 ? 0 : 1000 - ${newest:-0}) + gaps ))

phase "resident memory after 10,000 log lines"
# So far about 2,350 lines; the rest as unknown recipients, two lines each.
raw 'Bench\tNobody{n}\tmemory' 3850 >/dev/null
wait_last "recipient:Nobody3850" 300
rss10000=$(rss_kb "$pid")

# shown_ms: milliseconds from the Address Book command to its dialog on the
# screen, the driver's start-up included; the dialog is closed again.
shown_ms() {
  local t0 t1
  t0=$(now_us)
  driver command 129 >/dev/null
  driver dialog "Address Book..." 120000 >/dev/null || fail "Address Book did not show"
  t1=$(now_us)
  driver click "Address Book..." 1 >/dev/null
  driver dialog-gone "Address Book..." 30000 >/dev/null || fail "Address Book did not close"
  echo $(( (t1 - t0) / 1000 ))
}

phase "Address Book shown and datagram to first modem byte, with 10,000 users"
book_small=$(for i in 1 2 3; do shown_ms; done | median)
tellconfig user 'Many{n}' '+4410{n}' '<none>' 9994
book_large=$(for i in 1 2 3; do shown_ms; done | median)
tellconfig current Gsm
control answer-delay 0
many=()
for i in $(seq 5); do
  t0=$(raw "Bench\t+440000095\tmany users $i")
  t1=$(first_received "$t0" '^ATE0' 60)
  many+=($(( (t1 - t0) / 1000 )))
  wait_last "Alert done." 60
done
many_median=$(printf '%s\n' "${many[@]}" | median)

alive "$current"
stop_server

echo
echo "==== figures (ratio = figure / goal; a rate's ratio = goal / rate)"
figure "server CPU while a script waits 30 s" "$cpu" "%core" 2
figure "datagram to first modem byte, median of 20" "$latency_median" ms 100
figure "datagram to first modem byte, max of 20" "$latency_max" ms 100
for script in Gsm Dialup; do
  for delay in 0 200; do
    ms=${ratio_ms[$script.$delay]:-0} floor=${ratio_floor[$script.$delay]}
    figure "delivery $script, answers after $delay ms: $ms ms / floor $floor ms" \
      "$(awk -v m="$ms" -v f="$floor" 'BEGIN { print m / f }')" "x" 1.1
  done
done
rate "burst of 1,000 during a delivery, processed" "$per_second" "/s" 1000
figure "burst of 1,000 during a delivery, lost" "$lost" "" 0
echo "   (1,000 queued behind the delivery: next delivery began ${span} ms after it ended," \
  "less ${latency_median} ms of its own start-up; $count burst alerts still in the log, newest Nobody${newest:-?})"
figure "resident memory after 100 log lines" "$(awk -v k="$rss100" 'BEGIN { print k / 1024 }')" MB -
figure "resident memory after 10,000 log lines" "$(awk -v k="$rss10000" 'BEGIN { print k / 1024 }')" MB \
  "$(awk -v k="$rss100" 'BEGIN { print k / 1024 * 1.1 }')"
figure "Address Book shown, 6 users, median of 3" "$book_small" ms -
figure "Address Book shown, 10,000 users, median of 3" "$book_large" ms 1000
figure "datagram to first modem byte, 10,000 users, median of 5" "$many_median" ms 100
size_mb() { awk -v b="$(stat -c %s "$1")" 'BEGIN { print b / 1048576 }'; }
figure "tellistry.exe size" "$(size_mb "$bin/tellistry.exe")" MB 0.5
figure "pagoret.dll size" "$(size_mb "$bin/pagoret.dll")" MB 0.3
finish
exit 0
