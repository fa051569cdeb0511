#!/usr/bin/env bash
# End to end with the mouse alone: from an empty store, a group, a user, an
# SMS entry on the simulated modem's port and the ID are set up through the
# dialogs; an alert raised while the address book is open is delivered.
. "$(dirname "$0")/e2e_lib.sh"
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null' EXIT
d() { driver "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
step() { "$@" || fail "step: $*"; }
AB="Address Book..." MS="Maintain Settings..." AE="Add SMS Entry"

tellconfig reset
# As the port's driver would: the simulated modem's port in the device map.
wine reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v "Tellistry$MODEMSIM_COM" /d "COM$MODEMSIM_COM" /f \
  >/dev/null 2>&1 || fail "serial port not listed"
start_server || { finish; exit 1; }

step d command 129
step d dialog "$AB" 10000
step d click "$AB" 1010
step d dialog "Add Group" 5000
step d set "Add Group" 1008 Admins
step d click "Add Group" 1
step d dialog-gone "Add Group" 5000
step d click "$AB" 1007
step d dialog "Add User" 5000
step d set "Add User" 1008 Ann
step d set "Add User" 1010 +441111
step d pick "Add User" 1006 Admins
step d click "Add User" 1
step d dialog-gone "Add User" 5000
step d click "$AB" 1
step d dialog-gone "$AB" 5000

step d command 1000
step d dialog "$MS" 10000
step d click "$MS" 1007
step d dialog "$AE" 5000
step d set "$AE" 1013 Centre
step d set "$AE" 1015 0800123
# The sample dial-up script, typed as its lines.
script=$(sed -e 's/\\/\\\\/g' "$src/server/modem/scripts/dialup_centre.txt" | sed -e ':a;N;$!ba;s/\n/\\r\\n/g')
step d set "$AE" 1016 "$script"
d combo "$AE" 1017 | grep -qx "COM$MODEMSIM_COM" && pass "COM$MODEMSIM_COM offered" \
  || fail "ports offered: $(d combo "$AE" 1017 | tr '\n' ' ')"
step d pick "$AE" 1017 "COM$MODEMSIM_COM"
step d pick "$AE" 1018 9600
step d pick "$AE" 1019 8
step d click "$AE" 1
step d dialog-gone "$AE" 5000
step d set "$MS" 1012 Srv
step d click "$MS" 1
step d dialog-gone "$MS" 5000

echo "== an alert while the address book is open"
step d command 129
step d dialog "$AB" 10000
raise Backup Admins "Disk full"
wait_count "Alert done." 1 120
expect_line "INFO: Alert \"(From Backup) Disk full\" send to +441111 OK"
got=$(received_raw)
grep -qF 'ATD 0800123' <<<"$got" && pass "service centre dialled" || fail "sent: $(received)"
grep -qF '+441111' <<<"$got" && pass "number sent" || fail "sent: $(received)"
grep -qF 'Srv:(From Backup) Disk full' <<<"$got" && pass "message with the ID" || fail "sent: $(received)"
d dialog "$AB" 1000 && pass "address book still open" || fail "address book gone"
step d click "$AB" 1
step d dialog-gone "$AB" 5000

# opens_after_delivery TITLE COMMAND N: chosen while the Nth delivery runs,
# the dialog opens only once that delivery is done.
opens_after_delivery() {
  clear_received
  raise Backup Ann "delivery $3"
  poll 20 received_at_least ATD 1 || fail "delivery $3 did not start"
  step d command "$2"
  step d dialog "$1" 60000
  [ "$(log_lines | grep -c 'Alert done.')" = "$3" ] && pass "$1: delivery finished first" \
    || fail "$1 opened during the delivery"
  step d click "$1" 1
  step d dialog-gone "$1" 5000
}
echo "== dialogs chosen during a delivery open after it"
opens_after_delivery "$AB" 129 2
opens_after_delivery "About Tellistry" 57664 3

stop_server
wine reg delete 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v "Tellistry$MODEMSIM_COM" /f >/dev/null 2>&1
finish
