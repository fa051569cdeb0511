#!/usr/bin/env bash
# The server package over an installed one: a newer version upgrades an older
# one in place while the older server runs (what the installer does to the
# running server is printed), keeping the Startup shortcut; a rebuild of the
# same version replaces the installed product; the same package again and a
# repair keep one product and bring back a deleted file; REMOVE=Startup takes
# the Startup shortcut alone; the older package refuses to install; removal
# leaves registry and files as they were before the first.
. "$TELLISTRY_SOURCE/tests/e2e/e2e_lib.sh"
. "$TELLISTRY_SOURCE/tests/installer/package_lib.sh"
new=$(winpath "$packages/tellistry-server.msi")
package server "$work/old.msi" 0.9.0
package server "$work/rebuild.msi"
old=$(winpath "$work/old.msi")
rebuild=$(winpath "$work/rebuild.msi")
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
      for code in $(products | cut -f3); do wine msiexec /x "$code" /qn >/dev/null 2>&1; done' EXIT
current=$(msiinfo export "$packages/tellistry-server.msi" Property | tr -d '\r' |
  awk -F'\t' '$1 == "ProductVersion" { print $2 }')
startup_shortcut() { [ -n "$(shortcut 'StartUp/Tellistry.lnk')" ]; }
pending_renames() {
  export_key 'HKLM\System\CurrentControlSet\Control\Session Manager' 64 | grep -F PendingFileRename
}

expect_clean_machine
settle_script_hosts
tellconfig reset
snapshot before

msiexec /i "$old" /qn STARTUP=1 || fail "installing the older package failed"
[ "$(versions Tellistry)" = 0.9.0 ] && pass "0.9.0 installed" || fail "installed: $(versions Tellistry)"
startup_shortcut && pass "Startup shortcut with STARTUP=1" || fail "no Startup shortcut with STARTUP=1"

# The upgrade while the older server runs.
start_installed_server || { finish; exit 1; }
inode=$(stat -c %i "$installed/tellistry.exe")
wine msiexec /i "$new" /qn >>"$work/tool.log" 2>&1
rc=$?
[ "$rc" = 0 ] || [ "$rc" = 3010 ] && pass "upgrade with the server running (exit code $rc)" ||
  fail "the upgrade with the server running failed ($rc)"
echo "upgrade with the server running: msiexec exit code $rc;" \
  "tellistry.exe $([ "$(stat -c %i "$installed/tellistry.exe" 2>/dev/null)" = "$inode" ] && echo kept || echo replaced);" \
  "server $(kill -0 "$server_pid" 2>/dev/null && echo 'still running' || echo ended);" \
  "reboot $([ -n "$(pending_renames)" ] && echo scheduled || echo 'not scheduled')"
[ "$(versions Tellistry)" = "$current" ] && pass "upgraded to $current alone" || fail "installed: $(versions Tellistry)"
startup_shortcut && pass "the Startup shortcut stays" || fail "the upgrade lost the Startup shortcut"
expect_files "$installed" tellistry.exe raisealert.exe pagoret.dll
expect_files "$installed32" pagoret.dll
expect_registration
if kill -0 "$server_pid" 2>/dev/null; then stop_server; else server_end; fi

# A rebuild at the same version (a new product code) replaces the product.
code=$(products | cut -f3)
msiexec /i "$rebuild" /qn || fail "installing a rebuild of $current failed"
[ "$(versions Tellistry)" = "$current" ] && [ "$(products | cut -f3)" != "$code" ] &&
  pass "the rebuild replaced the installed $current" || fail "after the rebuild: $(products)"
# The same package again, then a repair after a file was deleted.
msiexec /i "$rebuild" /qn || fail "installing the same package again failed"
[ "$(versions Tellistry)" = "$current" ] && pass "the same package again: one product" ||
  fail "after the same package again: $(products)"
rm -f "$installed/raisealert.exe" "$installed32/pagoret.dll"
# (msiexec /fa: the same on Windows; Wine's msiexec refuses /fa.)
msiexec /i "$rebuild" /qn REINSTALL=ALL REINSTALLMODE=amus || fail "the repair failed"
expect_files "$installed" raisealert.exe
expect_files "$installed32" pagoret.dll
[ "$(versions Tellistry)" = "$current" ] && pass "the repair: one product" || fail "after the repair: $(products)"
startup_shortcut && pass "the repair keeps the Startup shortcut" || fail "the repair lost the Startup shortcut"

msiexec /i "$rebuild" /qn REMOVE=Startup || fail "REMOVE=Startup failed"
startup_shortcut && fail "REMOVE=Startup left the Startup shortcut" || pass "REMOVE=Startup"
expect_files "$installed" tellistry.exe
msiexec /i "$old" /qn && fail "the older package installed over the newer one"
[ "$(versions Tellistry)" = "$current" ] && pass "no downgrade" || fail "after a downgrade attempt: $(products)"

msiexec /x "$rebuild" /qn || fail "msiexec /x failed"
snapshot after
expect_same before after
finish
