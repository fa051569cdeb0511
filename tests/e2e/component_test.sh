#!/usr/bin/env bash
# End to end: a VBScript client calls PagoretMsg through the registered
# pagoret.dll, and the running server delivers the alert to the modem.
. "$(dirname "$0")/e2e_lib.sh"
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; wine regsvr32 /s /u "$bin/pagoret.dll" >/dev/null 2>&1' EXIT

tellconfig reset
tellconfig entry Gsm "$MODEMSIM_COM" "$(winpath "$src/server/modem/scripts/gsm_text_mode.txt")" ""
tellconfig user Dee +444444 "<none>"
wine regsvr32 /s "$bin/pagoret.dll" >>"$work/tool.log" 2>&1 || fail "regsvr32"
start_server || { finish; exit 1; }

wine cscript //nologo "$(winpath "$src/tests/e2e/vbscript_alert.vbs")" >>"$work/tool.log" 2>&1 \
  || fail "the VBScript client failed"
wait_count 'send to +444444 OK' 1 60
expect_line "INFO: Alert for Dee"
expect_received ':(From Nightly) raised from VBScript' 1 "the modem got the VBScript alert"

stop_server
finish
