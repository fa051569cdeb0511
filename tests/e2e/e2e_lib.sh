# Shared steps of the end-to-end tests, sourced by each test script. They run
# inside the Wine harness (WINEPREFIX, DISPLAY set) and, where a modem is
# needed, inside tests/harness/modem_line.sh (MODEMSIM_DIR, MODEMSIM_COM).
set -u
bin=${TELLISTRY_WIN_BIN:?}
src=${TELLISTRY_SOURCE:?}
work=$(mktemp -d "${TMPDIR:-/tmp}/e2e.XXXXXX")
failures=0
server_pid=

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

tellconfig() { wine "$bin/tellconfig.exe" "$@" >>"$work/tool.log" 2>&1 || fail "tellconfig $*"; }
driver() { wine "$bin/guidriver.exe" "$@" 2>>"$work/driver.log"; }
raise() { wine "$bin/raisealert.exe" "$@" >>"$work/tool.log" 2>&1 || fail "raisealert $*"; }
winpath() { winepath -w "$1" 2>/dev/null; }

# The server's log lines, without time stamps: "INFO: text".
log_lines() { driver lines | sed -e 's/^\[[^]]*\] //' | tr -d '\r'; }

# wait_count TEXT N SECONDS: until N log lines contain TEXT (fixed string).
wait_count() {
  local end=$((SECONDS + $3)) n
  while :; do
    n=$(log_lines | grep -cF -- "$1")
    [ "$n" -ge "$2" ] && return 0
    [ $SECONDS -ge $end ] && { fail "waited ${3}s for $2 line(s) with '$1', saw $n"; return 1; }
    sleep 0.5
  done
}

# expect_line TEXT: some log line is exactly TEXT (level prefix included).
expect_line() {
  if log_lines | grep -qxF -- "$1"; then pass "log: $1"; else fail "no log line '$1'"; fi
}

# received: what the modem got so far, control bytes shown as od -c does.
received() { od -An -c -v "$MODEMSIM_DIR/received" | tr -s ' \n' ' '; }
received_raw() { cat "$MODEMSIM_DIR/received"; }
clear_received() { : >"$MODEMSIM_DIR/received"; }

start_server() {
  # Output to a file: Wine's helpers must not hold the test's pipe.
  wine "$bin/tellistry.exe" >"$work/server.log" 2>&1 </dev/null &
  server_pid=$!
  driver wait-main 60000 >/dev/null || { fail "no main window"; return 1; }
  wait_count "Welcome to Tellistry" 1 30
}

stop_server() {
  [ -n "$server_pid" ] || return 0
  driver command 1002 >/dev/null
  driver answer yes 20000 >/dev/null || fail "no Exit question"
  driver wait-gone 30000 >/dev/null || fail "server did not end"
  wait "$server_pid" 2>/dev/null
  server_pid=
}

finish() {
  if [ -n "$server_pid" ]; then
    echo "--- log at the end"
    driver lines
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
  fi
  if [ "$failures" -ne 0 ]; then
    echo "--- tool output"; cat "$work/tool.log" "$work/driver.log" 2>/dev/null
  fi
  rm -rf "$work"
  echo "$failures failure(s)"
  [ "$failures" -eq 0 ]
}
