# Shared steps of the end-to-end tests, sourced by each test script. They run
# inside the Wine harness (WINEPREFIX, DISPLAY set) and, where a modem is
# needed, inside tests/harness/modem_line.sh (MODEMSIM_DIR, MODEMSIM_COM).
set -u
. "$(dirname "${BASH_SOURCE[0]}")/../harness/poll.sh"
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
    if [ $SECONDS -ge $end ]; then
      fail "waited ${3}s for $2 line(s) with '$1', saw $n; the log:"
      log_lines
      return 1
    fi
    sleep 0.5
  done
}

# expect_line TEXT: some log line is (or soon becomes) exactly TEXT, level
# prefix included.
has_line() { log_lines | grep -qxF -- "$1"; }
expect_line() {
  if poll 30 has_line "$1"; then pass "log: $1"; else
    fail "no log line '$1'; the log:"
    log_lines
  fi
}

# received: what the modem got so far, control bytes shown as od -c does.
received() { od -An -c -v "$MODEMSIM_DIR/received" | tr -s ' \n' ' '; }
received_raw() { cat "$MODEMSIM_DIR/received"; }
clear_received() { : >"$MODEMSIM_DIR/received"; }

# expect_received TEXT [N [WHAT]]: the modem receives TEXT (fixed string)
# exactly N times (default 1); what the line has sent may still be on its way
# when the server logs its delivery.
received_count() { grep -aoF -- "$1" "$MODEMSIM_DIR/received" | wc -l; }
received_at_least() { [ "$(received_count "$1")" -ge "$2" ]; }
expect_received() {
  local n=${2:-1} what=${3:-"modem got '$1'"}
  poll 30 received_at_least "$1" "$n"
  if [ "$(received_count "$1")" -eq "$n" ]; then pass "$what"; else
    fail "$what: $(received_count "$1") of $n; the modem got: $(received)"
  fi
}

# control COMMAND: a modem simulator command, done when the simulator's ready
# file counts it.
controls_sent=0
controls_done() { [ "$(cut -d' ' -f1 "$MODEMSIM_DIR/ready" 2>/dev/null)" -ge "$controls_sent" ] 2>/dev/null; }
control() {
  echo "$1" >"$MODEMSIM_DIR/control"
  controls_sent=$((controls_sent + 1))
  poll 30 controls_done || fail "the modem simulator did not take '$1'"
}

start_server() {
  # Output to a file: Wine's helpers must not hold the test's pipe.
  wine "$bin/tellistry.exe" >"$work/server.log" 2>&1 </dev/null &
  server_pid=$!
  driver wait-main 120000 >/dev/null || { fail "no main window"; return 1; }
  wait_count "Welcome to Tellistry" 1 60
}

server_ended() { ! kill -0 "$server_pid" 2>/dev/null; }
# server_end: the server's process, whose window has gone, ends; one that
# crashed or hangs on its way out is named (with Wine's word on a crash)
# and killed. The status is the process's exit code.
server_end() {
  if ! poll 60 server_ended; then
    fail "the server process still runs 60 s after its window went"
    grep -a '^wine: ' "$work/server.log" 2>/dev/null
    kill "$server_pid"
  fi
  wait "$server_pid" 2>/dev/null
  local status=$?
  server_pid=
  return $status
}

stop_server() {
  [ -n "$server_pid" ] || return 0
  driver command 1002 >/dev/null
  driver answer yes 60000 >/dev/null || fail "no Exit question"
  driver wait-gone 60000 >/dev/null || fail "server did not end"
  server_end
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
