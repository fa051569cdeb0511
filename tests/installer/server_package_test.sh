#!/usr/bin/env bash
# The server package installs the server, its files and the component's
# registration in both registry views; the installed server, started from its
# installed path, delivers alerts that 64-bit and 32-bit VBScript clients
# raise on the installed component; removal leaves registry and files as they
# were.
. "$TELLISTRY_SOURCE/tests/e2e/e2e_lib.sh"
. "$TELLISTRY_SOURCE/tests/installer/package_lib.sh"
package=$(winpath "$packages/tellistry-server.msi")
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; wine msiexec /x "$package" /qn >/dev/null 2>&1' EXIT

msiexec /x "$package" /qn   # a run killed half way may have left it installed
tellconfig reset
tellconfig entry Gsm "$MODEMSIM_COM" "$(winpath "$src/server/modem/scripts/gsm_text_mode.txt")" ""
tellconfig user Dee +444444 "<none>"
settle_script_hosts
snapshot before

msiexec /i "$package" /qn || fail "msiexec /i failed"
expect_files "$installed" tellistry.exe TELLISTRY.BMP TELLISTRY.CHM raisealert.exe tellconfig.exe pagoret.dll \
  x86/pagoret.dll scripts/gsm_text_mode.txt scripts/dialup_centre.txt
[ -n "$(shortcut Tellistry.lnk)" ] && pass "Start menu shortcut" || fail "no Start menu shortcut"
[ -z "$(shortcut 'StartUp/Tellistry.lnk')" ] && pass "no Startup shortcut by default" ||
  fail "a Startup shortcut without the Startup feature"
expect_registration
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
snapshot after
expect_same before after
finish
