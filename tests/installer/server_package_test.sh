#!/usr/bin/env bash
# The server package installs the server, its files and the component's
# registration in both registry views, and no Startup shortcut unless STARTUP
# is 1; the installed server, started from its installed path, delivers
# alerts that 64-bit and 32-bit VBScript clients raise on the installed
# component; removal leaves registry and files as they were. The Startup
# shortcut never points at nothing: ADDLOCAL=Startup installs the program
# with it; after REMOVE=Server a shortcut left has its program.
. "$TELLISTRY_SOURCE/tests/e2e/e2e_lib.sh"
. "$TELLISTRY_SOURCE/tests/installer/package_lib.sh"
package=$(winpath "$packages/tellistry-server.msi")
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; wine msiexec /x "$package" /qn >/dev/null 2>&1' EXIT

expect_clean_machine
tellconfig reset
tellconfig entry Gsm "$MODEMSIM_COM" "$(winpath "$src/server/modem/scripts/gsm_text_mode.txt")" ""
tellconfig user Dee +444444 "<none>"
settle_script_hosts
snapshot before

msiexec /i "$package" /qn STARTUP=0 || fail "msiexec /i failed"
expect_files "$installed" tellistry.exe TELLISTRY.BMP TELLISTRY.CHM raisealert.exe tellconfig.exe pagoret.dll \
  scripts/gsm_text_mode.txt scripts/dialup_centre.txt
expect_files "$installed32" pagoret.dll
[ -n "$(shortcut Tellistry.lnk)" ] && pass "Start menu shortcut" || fail "no Start menu shortcut"
[ -z "$(shortcut 'StartUp/Tellistry.lnk')" ] && pass "no Startup shortcut with STARTUP=0" ||
  fail "a Startup shortcut with STARTUP=0"
expect_registration
# The event source, removed again with the package (checked below).
event_source='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Tellistry'
expect_value "$event_source" EventMessageFile 64 'C:\Program Files\Tellistry\tellistry.exe'
expect_value "$event_source" TypesSupported 64 0x7
# Nothing else described the registrar interface here, so the package did.
expect_value "HKCR\\Interface\\$iid\\TypeLib" /ve 64 "$libid"
expect_value "HKCR\\Interface\\$iid\\TypeLib" /ve 32 "$libid"

start_installed_server || { finish; exit 1; }
client 64
client 32
wait_count 'send to +444444 OK' 2 90
[ "$(grep -oF ':(From Nightly) raised from VBScript' "$MODEMSIM_DIR/received" | wc -l)" -eq 2 ] &&
  pass "the modem got both alerts" || fail "modem got: $(received)"
stop_server

msiexec /x "$package" /qn || fail "msiexec /x failed"
wine reg query "$event_source" /reg:64 >/dev/null 2>&1 && fail "the event source is still registered" ||
  pass "the event source is gone"
snapshot after
expect_same before after

# The Startup shortcut never points at nothing.
startup_has_target() { [ -z "$(shortcut 'StartUp/Tellistry.lnk')" ] || [ -f "$installed/tellistry.exe" ]; }
msiexec /i "$package" /qn ADDLOCAL=Startup || fail "ADDLOCAL=Startup failed"
[ -n "$(shortcut 'StartUp/Tellistry.lnk')" ] && startup_has_target &&
  pass "ADDLOCAL=Startup installs the program with its shortcut" ||
  fail "ADDLOCAL=Startup: shortcut '$(shortcut 'StartUp/Tellistry.lnk')', files: $(ls "$installed" 2>&1)"
msiexec /i "$package" /qn REMOVE=Server || fail "REMOVE=Server failed"
startup_has_target && pass "REMOVE=Server leaves no shortcut to a missing program" ||
  fail "REMOVE=Server left the Startup shortcut without the program"
msiexec /x "$package" /qn
snapshot removed
expect_same before removed
finish
