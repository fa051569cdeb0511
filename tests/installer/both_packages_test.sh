#!/usr/bin/env bash
# Both packages on one machine share the component: with the server package
# removed, the client package's component still serves 64-bit and 32-bit
# clients (here through a server started from the build); with both removed,
# nothing of either is left.
. "$TELLISTRY_SOURCE/tests/e2e/e2e_lib.sh"
. "$TELLISTRY_SOURCE/tests/installer/package_lib.sh"
server=$(winpath "$packages/tellistry-server.msi")
client=$(winpath "$packages/tellistry-client.msi")
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
      wine msiexec /x "$server" /qn >/dev/null 2>&1; wine msiexec /x "$client" /qn >/dev/null 2>&1' EXIT

expect_clean_machine
tellconfig reset
tellconfig entry Gsm "$MODEMSIM_COM" "$(winpath "$src/server/modem/scripts/gsm_text_mode.txt")" ""
tellconfig user Dee +444444 "<none>"
settle_script_hosts
snapshot before

msiexec /i "$client" /qn || fail "installing the client package failed"
msiexec /i "$server" /qn || fail "installing the server package failed"
msiexec /x "$server" /qn || fail "removing the server package failed"
[ ! -e "$installed/tellistry.exe" ] && pass "the server is gone" || fail "the server stayed"
expect_files "$installed" raisealert.exe pagoret.dll
expect_files "$installed32" pagoret.dll
expect_registration
start_server || { finish; exit 1; }
client 64
client 32
wait_count 'send to +444444 OK' 2 90
stop_server

msiexec /x "$client" /qn || fail "removing the client package failed"
snapshot after
expect_same before after
finish
