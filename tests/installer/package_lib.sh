# Shared steps of the package tests, sourced after tests/e2e/e2e_lib.sh. They
# run in a Wine prefix of their own (TELLISTRY_WINE_DIR), so what they install
# never reaches the other tests' prefix.
packages=${TELLISTRY_PACKAGES:?}
drive_c=$WINEPREFIX/drive_c
installed="$drive_c/Program Files/Tellistry"
installed32="$drive_c/Program Files (x86)/Tellistry"
clsid='{E59AF5BB-1072-46BD-BDE7-F33FF2428A37}'
libid='{50FFB38D-3871-404E-97C4-F172D46A8E21}'
iid='{A817E7A2-43FA-11D0-9E44-00AA00B6770A}'
cscript32='C:\windows\syswow64\cscript.exe'

msiexec() { wine msiexec "$@" >>"$work/tool.log" 2>&1; }

# package KIND OUTPUT [VERSION]: builds a package as the build does (a new
# product code each time), for the tests that need one of their own.
package() {
  "$src/installer/package.sh" "$1" "$bin" "$2" ${3:+"$3"} >>"$work/tool.log" 2>&1 ||
    fail "building a $1 package $3"
}

# export_key KEY VIEW: the key and everything below it, as "KEY" and
# "KEY\tNAME=DATA" lines in sorted order; nothing when it is missing.
export_key() {
  local reg
  reg=$(mktemp)   # not in $work: the tests' exit traps use this after finish
  if wine reg export "$1" "$(winpath "$reg")" /y /reg:"$2" >/dev/null 2>&1; then
    iconv -f utf-16 -t utf-8 "$reg" | tr -d '\r' |
      awk '/^\[/ { key = $0; print key; next } NF { print key "\t" $0 }' | sort
  fi
  rm -f "$reg"
}

# products: "NAME<TAB>VERSION<TAB>PRODUCTCODE" lines of the installed
# Tellistry products.
products() {
  export_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' 64 | awk -F'\t' '
    $2 ~ /^"DisplayName"="Tellistry( Client)?"$/ { name[$1] = substr($2, 16, length($2) - 16) }
    $2 ~ /^"DisplayVersion"=/ { version[$1] = substr($2, 19, length($2) - 19) }
    END { for (k in name) { code = k; sub(/^.*\\/, "", code); sub(/\]$/, "", code); print name[k] "\t" version[k] "\t" code } }' |
    sort
}
# versions NAME: the installed versions of the product NAME, on one line.
versions() { products | awk -F'\t' -v name="$1" '$1 == name { print $2 }' | tr '\n' ' ' | sed 's/ $//'; }

# expect_clean_machine: no Tellistry product, file or component registration
# is there (an earlier run that was killed may have left one); what is found
# fails the test and is removed, so that the next run starts clean.
expect_clean_machine() {
  local leftovers code
  leftovers=$(products)
  [ -e "$installed" ] && leftovers+=" $installed"
  [ -e "$installed32" ] && leftovers+=" $installed32"
  for view in 64 32; do
    [ -n "$(export_key "HKCR\\CLSID\\$clsid" $view)" ] && leftovers+=" CLSID ($view-bit)"
  done
  [ -z "$leftovers" ] && { pass "nothing of Tellistry installed before the test"; return; }
  fail "an earlier run left behind: $leftovers"
  for code in $(products | cut -f3); do msiexec /x "$code" /qn; done
  rm -rf "$installed" "$installed32"
  for view in 64 32; do wine reg delete "HKCR\\CLSID\\$clsid" /f /reg:$view >/dev/null 2>&1; done
}

# reg_value KEY NAME VIEW(32|64): the value's data; fails when it is missing
# (NAME /ve: the default value).
reg_value() {
  local name=(/v "$2") out
  [ "$2" = /ve ] && name=(/ve)
  out=$(wine reg query "$1" "${name[@]}" /reg:"$3" 2>/dev/null) || return 1
  tr -d '\r' <<<"$out" | sed -n 's/^    .*    REG_[A-Z_]*\(    \)\{0,1\}//p'
}

# expect_value KEY NAME VIEW EXPECTED
expect_value() {
  local got
  if got=$(reg_value "$1" "$2" "$3") && [ "$got" = "$4" ]; then
    pass "$1 ($3-bit) $2 = '$4'"
  else
    fail "$1 ($3-bit) $2 is '$got', not '$4'"
  fi
}

# shortcut PATH: the shortcuts at PATH in a Start menu (Wine puts a package's
# Start menu shortcuts into the user's profile).
shortcut() { find "$drive_c" -ipath "*/Start Menu/Programs/$1"; }

# snapshot NAME: the machine and user registry (with the event log's
# sources) and the file tree, without the Windows Installer's
# empty bookkeeping keys and its cache (they stay behind by design), Wine's
# own settings and temporary files.
snapshot() {
  local reg
  for hive in 'HKLM\Software' 'HKCU\Software' 'HKLM\System\CurrentControlSet\Services\EventLog'; do
    reg=$(mktemp "$work/reg.XXXXXX")
    wine reg export "$hive" "$(winpath "$reg")" /y /reg:64 >/dev/null 2>&1
    iconv -f utf-16 -t utf-8 "$reg" | tr -d '\r'
    rm -f "$reg"
  done | awk -v RS= -v ORS='\n\n' '
    # Empty keys of the Windows Installer bookkeeping stay behind by design;
    # anything with a value in them counts.
    /^\[HKEY_LOCAL_MACHINE\\Software\\(Microsoft\\Windows\\CurrentVersion\\|Classes\\)Installer(\\[^]\n]*)?\]$/ { next }
    # A fresh prefix has an empty Application log key, which Wine'\''s installer
    # removes with the last source under it (on Windows it is never empty).
    /^\[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\EventLog\\Application\]$/ { next }
    !/^\[HKEY_CURRENT_USER\\Software\\Wine\\/' >"$work/$1.reg"
  (cd "$drive_c" && find . | grep -v -i -e '^\./windows/installer' -e '/temp/' -e '^\./windows/temp' |
     sort) >"$work/$1.files"
}

# expect_same BEFORE AFTER: registry and file tree unchanged.
expect_same() {
  if diff "$work/$1.reg" "$work/$2.reg" >"$work/diff" && diff "$work/$1.files" "$work/$2.files" >>"$work/diff"; then
    pass "$2: registry and files as at $1"
  else
    fail "$2 differs from $1:"; head -40 "$work/diff"
  fi
}

# expect_files DIR FILE...: each file is there.
expect_files() {
  local dir=$1 f
  shift
  for f in "$@"; do [ -f "$dir/$f" ] && pass "installed $f" || fail "missing $dir/$f"; done
}

# The component's registration in both views points at the installed files.
expect_registration() {
  expect_value "HKCR\\CLSID\\$clsid\\InprocServer32" /ve 64 'C:\Program Files\Tellistry\pagoret.dll'
  expect_value "HKCR\\CLSID\\$clsid\\InprocServer32" /ve 32 'C:\Program Files (x86)\Tellistry\pagoret.dll'
  expect_value "HKCR\\CLSID\\$clsid\\InprocServer32" ThreadingModel 32 ''
  expect_value "HKCR\\TypeLib\\$libid\\1.0\\409\\win64" /ve 64 'C:\Program Files\Tellistry\pagoret.dll'
  expect_value "HKCR\\TypeLib\\$libid\\1.0\\409\\win32" /ve 32 'C:\Program Files (x86)\Tellistry\pagoret.dll'
  expect_value 'HKCR\CCompReg.CCompReg\CLSID' /ve 64 "$clsid"
  expect_value "HKCR\\AppID\\$libid" /ve 64 pagoret
}

# The script hosts register their own type library when they first run a
# script; run one in each so that a snapshot taken next holds it already (the
# component is not registered yet: the script ends at CreateObject).
settle_script_hosts() {
  local script
  script=$(winpath "$src/tests/e2e/vbscript_alert.vbs")
  wine cscript //nologo "$script" >/dev/null 2>&1
  wine "$cscript32" //nologo "$script" >/dev/null 2>&1
}

# client HOST: a VBScript client creates the installed component in the
# 64-bit (cscript) or 32-bit (syswow64 cscript) host and raises an alert.
client() {
  local host=cscript
  [ "$1" = 32 ] && host=$cscript32
  wine "$host" //nologo "$(winpath "$src/tests/e2e/vbscript_alert.vbs")" >>"$work/tool.log" 2>&1 &&
    pass "the $1-bit VBScript client raised its alert" || fail "the $1-bit VBScript client failed ($?)"
}

# start_server for the installed program, started by its installed path as
# the Start menu shortcut does.
start_installed_server() {
  wine 'C:\Program Files\Tellistry\tellistry.exe' >"$work/server.log" 2>&1 </dev/null &
  server_pid=$!
  driver wait-main 60000 >/dev/null || { fail "no main window"; return 1; }
  wait_count "Welcome to Tellistry" 1 30
}
