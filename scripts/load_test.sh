#!/usr/bin/env bash
# Runs the test command RUNS times in a row (default 3) with both cores kept
# busy, to show that the suite holds on a loaded machine. Not part of the
# test command. Prints each run's time and result, then a summary.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
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
