#!/usr/bin/env bash
# The address book and settings dialogs of the running program, opened from
# its menu and driven by guidriver; the store is read back with reg.exe.
# Saves a picture of each dialog in build/win/bin/screenshots.
. "$(dirname "$0")/../e2e/e2e_lib.sh"
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null' EXIT
app='HKCU\Software\Orvandel\tellistry'
shots=$bin/screenshots
mkdir -p "$shots"

d() { driver "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# check WHAT ACTUAL EXPECTED
check() { if [ "$2" = "$3" ]; then pass "$1"; else fail "$1: got '$2', expected '$3'"; fi; }
# soon WHAT EXPECTED CODE: check, polling CODE's output for up to 10 s
soon() {
  local got
  for _ in $(seq 50); do
    got=$(eval "$3")
    [ "$got" = "$2" ] && break
    sleep 0.2
  done
  check "$1" "$got" "$2"
}
# value KEY NAME: the stored data as reg.exe shows it (multi-strings with \0)
value() { wine reg query "$app$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -F'    ' 'NF >= 4 { print $4 }'; }
has_key() { wine reg query "$app$1" >/dev/null 2>&1; }
snap() { d snap "$1" "$(winpath "$shots")\\$2.bmp" || fail "picture of $1"; }
open_dialog() { d command "$1" && d dialog "$2" 10000 || fail "dialog $2 did not open"; }
ok() { d click "$1" 1 && d dialog-gone "$1" 10000 || fail "$1 still open after OK"; }
row_of() { d rows "$1" "$2" | grep -n -- "$3" | head -n 1 | cut -d: -f1 | awk '{ print $1 - 1 }'; }
AB="Address Book..." MS="Maintain Settings..."

tellconfig reset
start_server || { finish; exit 1; }

echo "== settings: a fresh store is not created by OK"
open_dialog 1000 "$MS"
check "fresh settings" "$(d get "$MS" 1012)|$(d get "$MS" 1014)|$(d combo "$MS" 1013)" "||"
d set "$MS" 1012 "typed"
ok "$MS"
has_key "" && fail "OK created the application key" || pass "no application key"

echo "== address book: users"
open_dialog 129 "$AB"
check "empty lists" "$(d rows "$AB" 1005)$(d rows "$AB" 1006)" ""
d click "$AB" 1007 && d dialog "Add User" 5000 || fail "Add User"
check "only <none> offered" "$(d combo "Add User" 1006)" "*<none>"
snap "Add User" add_user
d set "Add User" 1008 Ann
d set "Add User" 1010 "+44 1"
d click "Add User" 1
soon "a blank inside the number keeps the dialog, number selected" "1010 0 5" 'd focus "Add User"'
d set "Add User" 1010 "  +441 "
ok "Add User"
check "first user creates Users, trimmed number" "$(value '\Users' 0)|$(value '\Users' Count)" \
  'Ann\0\0+441\0<none>|0x1'
for n in +442 +443; do
  d click "$AB" 1007 && d dialog "Add User" 5000
  d set "Add User" 1008 "$([ $n = +443 ] && echo Cy || echo Ann)"
  d set "Add User" 1010 $n
  ok "Add User"
done
check "two users named Ann" "$(d rows "$AB" 1005 | grep -c '^Ann')" 2
d dblclick "$AB" 1005 "$(row_of "$AB" 1005 +442)"
d dialog "Edit User" 5000 || fail "double click opens Edit User"
check "edit shows its record" "$(d get "Edit User" 1010)" "+442"
d set "Edit User" 1010 "+4422"
ok "Edit User"
check "only its own record changed" "$(value '\Users' 0)|$(value '\Users' 1)" \
  'Ann\0\0+441\0<none>|Ann\0\0+4422\0<none>'

echo "== delete, then edit the row that moved"
d select "$AB" 1005 "$(row_of "$AB" 1005 +441)"
d click "$AB" 1009
check "delete question" "$(d question yes 5000 | tr '\n' '|')" "tellistry|Deleting user. Are you sure?|"
soon "two users left" 0x2 "value '\\Users' Count"
d select "$AB" 1005 "$(row_of "$AB" 1005 +443)"
d click "$AB" 1008 && d dialog "Edit User" 5000
check "the moved row edits record 1" "$(d get "Edit User" 1008)/$(d get "Edit User" 1010)" "Cy/+443"
d set "Edit User" 1009 "night shift"
ok "Edit User"
check "record 1 written" "$(value '\Users' 1)" 'Cy\0night shift\0+443\0<none>'

echo "== groups: rename carried to the users, No keeps the group"
d click "$AB" 1010 && d dialog "Add Group" 5000 || fail "Add Group"
snap "Add Group" add_group
d set "Add Group" 1008 Ops
d set "Add Group" 1009 "operators"
ok "Add Group"
d dblclick "$AB" 1005 "$(row_of "$AB" 1005 +443)"
d dialog "Edit User" 5000
d pick "Edit User" 1006 Ops
ok "Edit User"
d dblclick "$AB" 1006 0
d dialog "Edit Group" 5000 || fail "double click opens Edit Group"
snap "Edit Group" edit_group
d set "Edit Group" 1008 Operations
ok "Edit Group"
check "users list shows the new group name" "$(d rows "$AB" 1005 | grep '^Cy' | cut -f3)" Operations
d select "$AB" 1006 0
d click "$AB" 1012
d question no 5000 >/dev/null || fail "no group question"
d dialog "$AB" 5000
check "No changes nothing" "$(value '\Groups' Count)|$(value '\Users' 1)" \
  '0x1|Cy\0night shift\0+443\0Operations'
snap "$AB" address_book
d click "$AB" 1 && d dialog-gone "$AB" 5000 || fail "Close"

echo "== settings: add an entry with every list set"
open_dialog 1000 "$MS"
check "no entries yet" "$(d combo "$MS" 1013)" ""
d click "$MS" 1007 && d dialog "Add SMS Entry" 5000 || fail "Add SMS Entry"
check "defaults" "$(for id in 1017 1018 1007 1019 1020; do d combo "Add SMS Entry" $id | grep '^\*'; done | tr '\n' ' ')" \
  "*COM1 *300 *None *5 *1 "
d set "Add SMS Entry" 1013 Zed
d set "Add SMS Entry" 1015 " 0800 123"
d set "Add SMS Entry" 1016 '  DIAL\r\n\r\n\tWAITFOR "NUMBER:"  \r\n   \r\nHANGUP'
for pick in "1017 COM3" "1018 57600" "1007 Even" "1019 7" "1020 1.5"; do
  d pick "Add SMS Entry" ${pick% *} "${pick#* }" || fail "pick $pick"
done
snap "Add SMS Entry" add_entry
d click "Add SMS Entry" 1
soon "a bad SMSC keeps the dialog, SMSC selected" "1015 0 9" 'd focus "Add SMS Entry"'
d set "Add SMS Entry" 1015 " 0800123 "
ok "Add SMS Entry"
check "entry stored" "$(for v in SMSC Port Baud Parity Bits Stop Script; do value '\Zed' $v; done | tr '\n' '|')" \
  '0800123|0x3|0xe100|0x2|0x7|0x1|DIAL\0WAITFOR "NUMBER:"\0HANGUP|'
check "listed, selected and current at once" "$(d combo "$MS" 1013)|$(value '' CurrentEntry)" "*Zed|Zed"
d set "$MS" 1012 "typed id"
d click "$MS" 1008 && d dialog "Edit Entry" 5000 || fail "Edit Entry"
snap "Edit Entry" edit_entry
check "name fixed in edit mode" "$(d enabled "Edit Entry" 1013)" 0
check "script shown trimmed" "$(d get "Edit Entry" 1016 | tr '\n' '|')" 'DIAL|WAITFOR "NUMBER:"|HANGUP|'
d click "Edit Entry" 2 && d dialog-gone "Edit Entry" 5000
check "editing keeps the typed ID" "$(d get "$MS" 1012)" "typed id"
for name in Main Alpha; do
  d click "$MS" 1007 && d dialog "Add SMS Entry" 5000
  d set "Add SMS Entry" 1013 $name
  d set "Add SMS Entry" 1015 1
  ok "Add SMS Entry"
done
check "adding replaced the typed ID by the stored one" "$(d get "$MS" 1012)" ""
check "newest entry active" "$(d combo "$MS" 1013 | tr '\n' ' ')" "*Alpha Main Zed "
d click "$MS" 1007 && d dialog "Add SMS Entry" 5000
d set "Add SMS Entry" 1013 users
d set "Add SMS Entry" 1015 1
d click "Add SMS Entry" 1
soon "an unusable name keeps the dialog, name selected" "1013 0 5" 'd focus "Add SMS Entry"'
d click "Add SMS Entry" 2 && d dialog-gone "Add SMS Entry" 5000
d click "$MS" 1010
check "delete question" "$(d question yes 5000 | tail -n 1)" "Deleting entry. Are you sure?"
soon "deleting the active entry selects the first stored one" "Main *Zed " \
  "d combo '$MS' 1013 | tr '\\n' ' '"
has_key '\Alpha' && fail "Alpha's key left" || pass "Alpha's key deleted"
snap "$MS" maintain_settings
d click "$MS" 2 && d dialog-gone "$MS" 5000

echo "== stored values outside the lists"
wine reg add "$app\\Zed" /v Baud /t REG_DWORD /d 50000 /f >/dev/null
wine reg add "$app\\Zed" /v Port /t REG_DWORD /d 40 /f >/dev/null
wine reg add "$app\\Zed" /v Bits /t REG_DWORD /d 9 /f >/dev/null
open_dialog 1000 "$MS"
d click "$MS" 1008 && d dialog "Edit Entry" 5000
check "lower rate, extra port, no data bits" \
  "$(d combo "Edit Entry" 1018 | grep '^\*')|$(d combo "Edit Entry" 1017 | grep '^\*')|$(d combo "Edit Entry" 1019 | grep -c '^\*')" \
  "*38400|*COM40|0"
ok "Edit Entry"
check "kept on OK" "$(value '\Zed' Baud)|$(value '\Zed' Port)|$(value '\Zed' Bits)" "0x9600|0x28|0x9"

echo "== OK with no entry selected, then the next alert"
d click "$MS" 2 && d dialog-gone "$MS" 5000
wine reg add "$app" /v CurrentEntry /d Gone /f >/dev/null
open_dialog 1000 "$MS"
check "nothing selected" "$(d combo "$MS" 1013 | grep -c '^\*')" 0
d set "$MS" 1012 Srv
d set "$MS" 1014 End
ok "$MS"
check "settings saved" "$(value '' ID)|$(value '' CurrentEntry)|$(value '' Footer)" "Srv||End"
raise Test +15551234 "hello"
wait_count "Failed to locate current SMS entry" 1 60 &&
  expect_line "ERROR: Failed to locate current SMS entry: Please check application settings"

echo "== Exit with two dialogs open ends the program cleanly"
open_dialog 129 "$AB"
d click "$AB" 1007 && d dialog "Add User" 5000
d command 1002
d answer yes 20000 >/dev/null || fail "no Exit question"
d wait-gone 30000 || fail "server did not end"
server_end
check "exit code" $? 0
finish
