#!/usr/bin/env bash
# Load tests; neither is part of the test command.
#   scripts/load_test.sh [RUNS]
#     Runs the test command RUNS times in a row (default 3) with both cores
#     kept busy, to show that the suite holds on a loaded machine. Prints
#     each run's time and result, then a summary.
#   scripts/load_test.sh --soak [N [RUNS]]
#     Raises N alerts (default 1,000), each with its own text, one after the
#     other with raisealert from a shell loop (about two a second), to a
#     literal number, against the simulated modem; RUNS times (default 3).
#     Each alert is counted by raisealert's exit code and at the modem;
#     every alert lost is named.
#     Builds first; uses a Wine folder of its own (build/soak/wine).
set -u
top=$(cd "$(dirname "$0")/.." && pwd)

# ---- the soak, inside the harness and the modem line
if [ "${1:-}" = --soak-inner ]; then
  n=$2 run=$3
  . "$top/tests/e2e/e2e_lib.sh"
  trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null' EXIT
  tellconfig reset
  tellconfig entry Centre "$MODEMSIM_COM" "$(winpath "$src/server/modem/scripts/dialup_centre.txt")" 0800123
  tellconfig settings Soak ""
  start_server || { finish; exit 1; }
  # One Wine start per alert, as a script or a scheduled task raises them,
  # paced to about two a second: about as fast as the modem takes them, so
  # alerts arrive both while the server is idle and while it delivers. Each
  # failed raise is written down with what it printed. Now and then Wine
  # cannot start a program at all ("ShellExecuteEx failed"): raisealert never
  # ran, so that start is counted and made again; only raisealert's own
  # refusal ("raisealert: ...") counts against the server.
  start=$SECONDS failed= said= restarts=0
  for i in $(seq "$n"); do
    for try in 1 2 3; do
      out=$(wine "$bin/raisealert.exe" Soak +440000071 "soak $i end" 2>&1) && break
      rc=$?
      if [ $try -lt 3 ] && ! grep -q '^raisealert' <<<"$out"; then
        restarts=$((restarts + 1))
        continue
      fi
      failed+="$i "
      said+="   raise $i (exit $rc): $(tr -d '\r' <<<"$out" | tr '\n' ' ')"$'\n'
      break
    done
    sleep 0.4
  done
  raised_in=$((SECONDS - start))
  # The modem's count of each text, once no new one has come for a while.
  delivered() { grep -aoE 'soak [0-9]+ end' "$MODEMSIM_DIR/received" | wc -l; }
  last=-1 quiet_since=$SECONDS
  while [ $((SECONDS - quiet_since)) -lt 120 ]; do
    now=$(delivered)
    [ "$now" -ge "$n" ] && break
    [ "$now" != "$last" ] && { last=$now; quiet_since=$SECONDS; }
    sleep 1
  done
  counts=$work/counts
  grep -aoE 'soak [0-9]+ end' "$MODEMSIM_DIR/received" | awk '{ print $2 }' | sort -n | uniq -c >"$counts"
  lost=$(awk -v n="$n" '{ seen[$2] = $1 } END { for (i = 1; i <= n; i++) if (!(i in seen)) printf "%d ", i }' "$counts")
  twice=$(awk '$1 > 1 { printf "%d (x%d) ", $2, $1 }' "$counts")
  dials=$(grep -ao 'ATD 0800123' "$MODEMSIM_DIR/received" | wc -l)
  lost_count=$(wc -w <<<"$lost")
  echo "soak run $run: $n raised in ${raised_in} s, $(wc -w <<<"$failed") refused by raisealert," \
    "$((n - lost_count)) reached the modem ($dials dials), $lost_count lost"
  [ -n "$failed" ] && printf '   raisealert failed for: %s\n%s' "$failed" "$said"
  [ "$restarts" -gt 0 ] && echo "   Wine could not start raisealert $restarts time(s); started again"
  [ -n "$lost" ] && echo "   lost: $lost"
  [ -n "$twice" ] && echo "   sent more than once: $twice"
  [ "$lost_count" -eq 0 ] && [ -z "$twice" ] || fail "alerts lost or repeated"
  stop_server
  finish >/dev/null
  exit $?
fi

if [ "${1:-}" = --soak ]; then
  n=${2:-1000} runs=${3:-3}
  "$top/scripts/setup.sh" >/dev/null || exit 1
  "$top/scripts/build.sh" >/dev/null || { echo "soak: build failed" >&2; exit 1; }
  export TELLISTRY_WINE_DIR=$top/build/soak/wine
  export TELLISTRY_WIN_BIN=$top/build/win/bin TELLISTRY_SOURCE=$top
  export MODEMSIM=$top/build/native/tools/modemsim/modemsim
  # Each delivery takes about half a second: a run may take far longer
  # than a test's usual limit.
  export TELLISTRY_RUN_LIMIT=$((n * 3 + 600))
  harness=$top/tests/harness/wine.sh
  "$harness" setup >/dev/null || { echo "soak: no Wine" >&2; exit 1; }
  passed=0
  for run in $(seq "$runs"); do
    "$harness" exec "$top/tests/harness/modem_line.sh" --com 5 --connect-delay 0 \
      --step '\r' '\r\nNUMBER:' --step '\r' '\r\nMESSAGE:' --step '\r' '\r\nMESSAGE ACCEPTED\r\n' \
      -- "$0" --soak-inner "$n" "$run" && passed=$((passed + 1))
  done
  "$harness" cleanup >/dev/null
  echo "$passed of $runs soak runs lost nothing"
  [ "$passed" -eq "$runs" ]
  exit
fi

# ---- the test command under load
runs=${1:-3}
burners=()
stop_burners() { for pid in "${burners[@]}"; do kill "$pid" 2>/dev/null; done; }
trap stop_burners EXIT
for _ in $(seq "$(nproc)"); do
  yes >/dev/null &
  burners+=($!)
done
mkdir -p "$top/build"
passed=0
for run in $(seq "$runs"); do
  start=$SECONDS
  if "$top/scripts/test.sh" >"$top/build/load_test.$run.log" 2>&1; then
    result=passed
    passed=$((passed + 1))
  else
    result=FAILED
  fi
  echo "run $run: $result in $((SECONDS - start)) s ($(grep -E '^[0-9]+% tests passed' "$top/build/load_test.$run.log"))"
done
echo "$passed of $runs runs passed under load"
[ "$passed" -eq "$runs" ]
