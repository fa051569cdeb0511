#!/usr/bin/env bash
# A newer server package upgrades an older one in place: one product
# afterwards, of the newer version, with the older one's Startup shortcut
# kept; the older package then refuses to install; removal leaves registry
# and files as they were before the first.
. "$TELLISTRY_SOURCE/tests/e2e/e2e_lib.sh"
. "$TELLISTRY_SOURCE/tests/installer/package_lib.sh"
old=$(winpath "${TELLISTRY_OLD_SERVER_PACKAGE:?}")
new=$(winpath "$packages/tellistry-server.msi")
trap 'wine msiexec /x "$new" /qn >/dev/null 2>&1; wine msiexec /x "$old" /qn >/dev/null 2>&1' EXIT

# products: "version" lines of the installed products named Tellistry.
products() {
  local reg
  reg=$(mktemp "$work/reg.XXXXXX")
  wine reg export 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' "$(winpath "$reg")" \
    /y /reg:64 >/dev/null 2>&1
  iconv -f utf-16 -t utf-8 "$reg" | tr -d '\r' | awk -v RS= '/"DisplayName"="Tellistry"/' |
    sed -n 's/^"DisplayVersion"="\(.*\)"$/\1/p'
  rm -f "$reg"
}

msiexec /x "$new" /qn
msiexec /x "$old" /qn
settle_script_hosts
snapshot before

msiexec /i "$old" /qn STARTUP=1 || fail "installing the older package failed"
[ "$(products)" = 0.9.0 ] && pass "0.9.0 installed" || fail "installed: $(products)"
[ -n "$(shortcut 'StartUp/Tellistry.lnk')" ] && pass "Startup shortcut with STARTUP=1" ||
  fail "no Startup shortcut with STARTUP=1"

msiexec /i "$new" /qn || fail "the upgrade failed"
[ "$(products)" = 1.0.0 ] && pass "upgraded to 1.0.0 alone" || fail "installed: $(products)"
[ -n "$(shortcut 'StartUp/Tellistry.lnk')" ] && pass "the Startup shortcut stays" ||
  fail "the upgrade lost the Startup shortcut"
expect_files "$installed" tellistry.exe pagoret.dll x86/pagoret.dll
expect_registration
msiexec /i "$old" /qn && fail "the older package installed over the newer one"
[ "$(products)" = 1.0.0 ] && pass "no downgrade" || fail "after a downgrade attempt: $(products)"

msiexec /x "$new" /qn || fail "msiexec /x failed"
snapshot after
expect_same before after
finish
