#!/usr/bin/env bash
# The client package's registry rows are what the libraries' own
# registration writes, value for value, in both registry views: the package
# installed, its entries exported; the package removed, the same files at
# the same paths registered with the 64-bit and the 32-bit regsvr32, their
# entries exported; both exports equal. Unregistering and removal both leave
# the registry as it was.
. "$TELLISTRY_SOURCE/tests/e2e/e2e_lib.sh"
. "$TELLISTRY_SOURCE/tests/installer/package_lib.sh"
package=$(winpath "$packages/tellistry-client.msi")
dll64='C:\Program Files\Tellistry\pagoret.dll'
dll32='C:\Program Files (x86)\Tellistry\pagoret.dll'
regsvr32() { wine "$1" /s "${@:2}" >>"$work/tool.log" 2>&1; }
regsvr64='C:\windows\system32\regsvr32.exe' regsvr32_32='C:\windows\syswow64\regsvr32.exe'
trap 'wine msiexec /x "$package" /qn >/dev/null 2>&1
      wine "$regsvr64" /s /u "$dll64" >/dev/null 2>&1; wine "$regsvr32_32" /s /u "$dll32" >/dev/null 2>&1
      rm -rf "$installed" "$installed32"' EXIT

# registration: every key and value of the component in both views.
registration() {
  local view key
  for view in 64 32; do
    for key in "CLSID\\$clsid" "TypeLib\\$libid" "AppID\\$libid" 'AppID\pagoret.DLL' \
               'CCompReg.CCompReg' 'CCompReg.CCompReg.1' "Interface\\$iid"; do
      export_key "HKCR\\$key" $view | sed "s/^/$view-bit /"
    done
  done
}

expect_clean_machine
snapshot before
msiexec /i "$package" /qn || fail "msiexec /i failed"
registration >"$work/package.txt"
cp "$installed/pagoret.dll" "$work/pagoret64.dll"
cp "$installed32/pagoret.dll" "$work/pagoret32.dll"
msiexec /x "$package" /qn || fail "msiexec /x failed"
snapshot removed
expect_same before removed

mkdir -p "$installed" "$installed32"
cp "$work/pagoret64.dll" "$installed/pagoret.dll"
cp "$work/pagoret32.dll" "$installed32/pagoret.dll"
regsvr32 "$regsvr64" "$dll64" || fail "64-bit regsvr32"
regsvr32 "$regsvr32_32" "$dll32" || fail "32-bit regsvr32"
registration >"$work/regsvr32.txt"
if diff "$work/package.txt" "$work/regsvr32.txt" >"$work/diff"; then
  pass "the package registers what regsvr32 does ($(wc -l <"$work/package.txt") keys and values)"
else
  fail "the package's registration (<) differs from regsvr32's (>):"; cat "$work/diff"
fi
regsvr32 "$regsvr64" /u "$dll64" || fail "64-bit regsvr32 /u"
regsvr32 "$regsvr32_32" /u "$dll32" || fail "32-bit regsvr32 /u"
rm -rf "$installed" "$installed32"
snapshot unregistered
expect_same before unregistered
finish
