#!/usr/bin/env bash
# The 32-bit pagoret.dll registers itself in the 32-bit registry view with
# its SYS_WIN32 type library, and a 32-bit VBScript client (the syswow64
# script host) raises an alert that the server delivers.
. "$TELLISTRY_SOURCE/tests/e2e/e2e_lib.sh"
. "$TELLISTRY_SOURCE/tests/installer/package_lib.sh"
dll=$(winpath "$bin/x86/pagoret.dll")
regsvr32='C:\windows\syswow64\regsvr32.exe'
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; wine "$regsvr32" /s /u "$dll" >/dev/null 2>&1' EXIT

tellconfig reset
tellconfig entry Gsm "$MODEMSIM_COM" "$(winpath "$src/server/modem/scripts/gsm_text_mode.txt")" ""
tellconfig user Dee +444444 "<none>"
wine "$regsvr32" /s "$dll" >>"$work/tool.log" 2>&1 || fail "32-bit regsvr32"
expect_value "HKCR\\CLSID\\$clsid\\InprocServer32" /ve 32 "$dll"
expect_value "HKCR\\TypeLib\\$libid\\1.0\\409\\win32" /ve 32 "$dll"
start_server || { finish; exit 1; }

client 32
wait_count 'send to +444444 OK' 1 60
grep -qF ':(From Nightly) raised from VBScript' "$MODEMSIM_DIR/received" &&
  pass "the modem got the 32-bit client's alert" || fail "modem got: $(received)"
stop_server

wine "$regsvr32" /s /u "$dll" >>"$work/tool.log" 2>&1 || fail "32-bit regsvr32 /u"
reg_value "HKCR\\CLSID\\$clsid\\InprocServer32" /ve 32 >/dev/null &&
  fail "the 32-bit class entries outlive unregistration" || pass "unregistered"
finish
