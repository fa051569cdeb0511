#!/usr/bin/env bash
# The client package installs the component in both widths and raisealert;
# 64-bit and 32-bit script hosts create the component. Where the system
# already describes the registrar interface, the package leaves that
# description alone, also on removal; removal leaves registry and files as
# they were.
. "$TELLISTRY_SOURCE/tests/e2e/e2e_lib.sh"
. "$TELLISTRY_SOURCE/tests/installer/package_lib.sh"
package=$(winpath "$packages/tellistry-client.msi")
system_libid='{00020430-0000-0000-C000-000000000046}'
trap 'wine msiexec /x "$package" /qn >/dev/null 2>&1; wine reg delete "HKCR\\Interface\\$iid" /f /reg:64 >/dev/null 2>&1' EXIT

expect_clean_machine
settle_script_hosts
# The 64-bit view holds another library's description of the interface.
wine reg add "HKCR\\Interface\\$iid\\TypeLib" /ve /d "$system_libid" /f /reg:64 >/dev/null 2>&1
snapshot before

msiexec /i "$package" /qn || fail "msiexec /i failed"
expect_files "$installed" raisealert.exe pagoret.dll
expect_files "$installed32" pagoret.dll
[ -e "$installed/tellistry.exe" ] && fail "the client package installed the server" || pass "no server"
expect_registration
expect_value "HKCR\\Interface\\$iid\\TypeLib" /ve 64 "$system_libid"
expect_value "HKCR\\Interface\\$iid\\TypeLib" /ve 32 "$libid"
client 64
client 32

msiexec /x "$package" /qn || fail "msiexec /x failed"
snapshot after
expect_same before after
finish
