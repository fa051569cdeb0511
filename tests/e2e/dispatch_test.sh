#!/usr/bin/env bash
# End to end: tellistry.exe with a dial-up service centre, then a GSM modem,
# on the simulated modem; alerts from raisealert and raw datagrams; checks
# the log lines the driver reads and the bytes the modem received.
. "$(dirname "$0")/e2e_lib.sh"
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null' EXIT
scripts=$src/server/modem/scripts

tellconfig reset
tellconfig entry Centre "$MODEMSIM_COM" "$(winpath "$scripts/dialup_centre.txt")" 0800123
tellconfig settings Srv ""
tellconfig group Admins
tellconfig user Ann +441111 Admins
tellconfig user Bob +442222 Admins
tellconfig user Cy +443333 admins
tellconfig user Dee +444444 "<none>"
start_server || { finish; exit 1; }

echo "== a group of three users: three deliveries, then one Alert done."
raise Backup Admins "Disk full"
wait_count "Alert done." 1 120
expect_line "INFO: Alert for Admins"
for n in +441111 +442222 +443333; do
  expect_line "INFO:    Sending alert to $n"
  expect_line "INFO: Sending alert \"(From Backup) Disk full\" to $n"
  expect_line "INFO: Alert \"(From Backup) Disk full\" send to $n OK"
done
expect_received 'ATH' 3 "three hang-ups"
expect_received 'ATD 0800123' 3 "three dials"
expect_received 'Srv:(From Backup) Disk full' 3 "three messages"
for n in +441111 +442222 +443333; do expect_received "$n" 1 "number $n sent"; done

echo "== unknown recipients and malformed texts are logged, nothing is sent"
clear_received
raise Backup Nobody "hello"
tellconfig raw 'no tabs here'
tellconfig raw 'one\ttab only'
wait_count "Malformed message:one" 1 30
expect_line "INFO: Alert for Nobody"
expect_line "WARNING: Unknown or invalid recipient:Nobody"
expect_line "WARNING: Malformed message:no tabs here"
expect_line "WARNING: Malformed message:one	tab only"
[ ! -s "$MODEMSIM_DIR/received" ] && pass "nothing sent" || fail "sent: $(received)"

echo "== brackets logged as received, sent as parentheses; format text literal"
clear_received
raise "Lab[1]" Dee 'a[b]{c} %s%n%x'
wait_count "Alert done." 2 60
expect_line "INFO: Alert \"(From Lab[1]) a[b]{c} %s%n%x\" send to +444444 OK"
expect_received 'Srv:(From Lab(1)) a(b)(c) %s%n%x' 1 "sent with parentheses"

echo "== an alert raised during a delivery is taken by the same run, after it"
clear_received
raise First Ann "one"
# Once the modem has been dialled, the first delivery is under way.
poll 60 received_at_least 'ATD' 1 || fail "the first delivery did not dial"
raise Second Bob "two"
wait_count "Alert done." 4 120
order=$(log_lines | grep -nE 'Alert for (Ann|Bob)|Alert done\.' | tail -4 | cut -d: -f2- | tr '\n' '|')
[ "$order" = "INFO: Alert for Ann|INFO: Alert done.|INFO: Alert for Bob|INFO: Alert done.|" ] \
  && pass "one after the other" || fail "order: $order"

echo "== GSM text mode; control characters in an alert cannot reach the modem"
tellconfig entry Gsm "$MODEMSIM_COM" "$(winpath "$scripts/gsm_text_mode.txt")" ""
clear_received
: >"$MODEMSIM_DIR/sent"
tellconfig raw 'Mon\tDee\tDisk full\x1a\rAT+CMGS="+1900"\r\x1b\rATD 0900\r'
wait_count "Alert done." 5 60
log_lines | grep -qF 'INFO: Alert "(From Mon) Disk full' && pass "logged as received" \
  || fail "GSM delivery not logged"
# The script's Ctrl-Z ends what the line sends: the rest is there once it is.
expect_received $'\032' 1 "one Ctrl-Z (the script's)"
expect_received 'AT+CMGS="+444444"' 1 "addressed to the user"
[ "$(tr -cd '\033' <"$MODEMSIM_DIR/received" | wc -c)" -eq 0 ] && pass "no ESC" || fail "ESC sent"
expect_received 'Disk full  AT+CMGS="+1900"   ATD 0900 ' 1 "control bytes sent as blanks"
[ "$(grep -c '+CMGS:' "$MODEMSIM_DIR/sent")" -eq 1 ] && pass "exactly one message sent" \
  || fail "modem answered: $(od -c "$MODEMSIM_DIR/sent" | head)"
# A literal number comes from the alert as well, surrounding blanks and all.
clear_received
tellconfig raw 'Mon\t\r+445555\r\tnumber check'
wait_count "Alert done." 6 60
expect_received 'AT+CMGS=" +445555 "' 1 "CRs around a number sent as blanks"

echo "== a user added by another program while the server runs is found"
# "Nobody" was resolved (and found unknown) above, so the server has read
# the address book already.
tellconfig user Nobody +446666 "<none>"
clear_received
raise Backup Nobody "found now"
wait_count "Alert done." 7 60
expect_received 'AT+CMGS="+446666"' 1 "sent to the new user"

echo "== delivery failures: no current entry, no port, a script of blank lines"
printf '  \r\n\t\n\r\n' >"$work/empty.txt"
tellconfig current Missing
raise x Dee "a"
wait_count "Failed to locate current SMS entry" 1 30
expect_line "ERROR: Failed to locate current SMS entry: Please check application settings"
tellconfig entry NoPort 0 "$(winpath "$scripts/gsm_text_mode.txt")" ""
raise x Dee "b"
wait_count "Failed to initate communications" 1 30
expect_line "ERROR: Failed to initate communications: Please check application settings and modem connection"
tellconfig entry Blank "$MODEMSIM_COM" "$(winpath "$work/empty.txt")" ""
raise x Dee "c"
wait_count "Failed to send alert" 1 30
expect_line "WARNING: The script of SMS entry Blank is empty"
[ "$(log_lines | grep -c 'send to +444444 OK')" -eq 2 ] && pass "no false success" || fail "an empty script reported a send"

stop_server
finish
