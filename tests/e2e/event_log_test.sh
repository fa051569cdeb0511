#!/usr/bin/env bash
# End to end: the Windows Event Log, on a modem that answers BUSY to every
# dial. Wine's ReportEvent writes each insertion string to its eventlog
# debug channel (err: error events, warn: warnings, trace: the rest), so the
# server runs with that channel on and its output shows exactly what it
# reported: the welcome line, every warning and error, the end; nothing when
# "EventLog" is 0, and nothing but one line in the log when the source is
# not registered.
. "$(dirname "$0")/e2e_lib.sh"
source_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Tellistry'
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; wine reg delete "$source_key" /f /reg:64 >/dev/null 2>&1' EXIT
channel=-all,err+eventlog,warn+eventlog,trace+eventlog
unregistered='WARNING: The Windows Event Log cannot be written (event source Tellistry not registered): warnings and errors are in this log only'

# What the last run reported, one "type:text" a line (text quoted as Wine
# quotes it).
events() {
  grep -a ':eventlog:' "$work/server.log" | tr -d '\r' |
    sed -e 's/^[0-9a-f]*:\([a-z]*\):eventlog:[A-Za-z]* L"\(.*\)"$/\1:\2/'
}
expect_events() {
  local want
  want=$(printf '%s\n' "$@")
  if [ "$(events)" = "$want" ]; then pass "events: $(tr '\n' '|' <<<"$want")"; else
    fail "the events were:"; events; echo "--- instead of:"; echo "$want"
  fi
}

tellconfig reset
tellconfig entry Centre "$MODEMSIM_COM" "$(winpath "$src/server/modem/scripts/dialup_centre.txt")" 0800123
tellconfig user Dee +444444 "<none>"
# As the server package registers it.
wine reg add "$source_key" /v EventMessageFile /d "$(winpath "$bin/tellistry.exe")" /f /reg:64 \
  >>"$work/tool.log" 2>&1 || fail "registering the source"
wine reg add "$source_key" /v TypesSupported /t REG_DWORD /d 7 /f /reg:64 >>"$work/tool.log" 2>&1

echo "== registered: an unknown recipient and a busy line"
WINEDEBUG=$channel start_server || { finish; exit 1; }
raise Ops Nobody "hello"
raise Ops Dee "busy"
wait_count "Failed to send alert" 1 120
expect_line "WARNING: Timed out waiting for CONNECT"
expect_line 'INFO: Last received from the modem: "ATD 0800123\r\r\nBUSY\r\n"'
stop_server
expect_events 'trace:Welcome to Tellistry. Version 1.0' 'warn:Unknown or invalid recipient:Nobody' \
  'warn:Timed out waiting for CONNECT' \
  'err:Failed to send alert: Please check application settings and modem connection' \
  'trace:Tellistry is closing'

echo "== a log-off ends the server with its own closing event"
WINEDEBUG=$channel start_server || { finish; exit 1; }
[ "$(driver endsession | tr -d '\r')" = agreed ] || fail "session end refused"
driver wait-gone 60000 >/dev/null || fail "server still there after the session's end"
server_end || fail "the server ended with code $?"
expect_events 'trace:Welcome to Tellistry. Version 1.0' \
  'trace:Tellistry is closing: Windows is ending the session'

echo "== \"EventLog\"=0: nothing reported"
tellconfig eventlog off
WINEDEBUG=$channel start_server || { finish; exit 1; }
raise Ops Nobody "quiet"
wait_count "recipient:Nobody" 1 60
stop_server
expect_events ''

echo "== not registered: the log says so once, nothing reported"
wine reg delete "$source_key" /f /reg:64 >>"$work/tool.log" 2>&1
tellconfig eventlog on
WINEDEBUG=$channel start_server || { finish; exit 1; }
expect_line "$unregistered"
raise Ops Nobody "unseen"
wait_count "recipient:Nobody" 1 60
[ "$(log_lines | grep -cxF -- "$unregistered")" -eq 1 ] && pass "said once" || fail "said more than once"
stop_server
expect_events ''
finish
