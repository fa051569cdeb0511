#!/usr/bin/env bash
# Makes the pictures of the help file from the program itself, after
# ./scripts/build.sh: runs tellistry.exe under Wine (a Wine folder of its own,
# build/pictures/wine, so a test run is never disturbed) against the
# simulated GSM modem on COM2, sets it up through its own dialogs as the
# Getting started topic does, and saves each window as a PNG in server/help:
#   main_window.png        the log after an alert delivered to a group of two
#   address_book.png       the Address Book with a group and two users
#   add_entry.png          Add SMS Entry filled in for a GSM modem
#   maintain_settings.png  Maintain Settings with that entry active
#   about_box.png          the About box
#   main_window_error.png  the log after a delivery that failed (red line)
# Commit the pictures that changed; the help file's build takes them from
# there. About two minutes; a failed step names itself and stops.
#   ./scripts/help_pictures.sh
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" != --inside ]; then
  for program in build/win/bin/tellistry.exe build/win/bin/guidriver.exe \
                 build/native/tools/modemsim/modemsim; do
    [ -e "$top/$program" ] || { echo "no $program: run ./scripts/build.sh first"; exit 1; }
  done
  export TELLISTRY_WINE_DIR=$top/build/pictures/wine TELLISTRY_WIN_BIN=$top/build/win/bin \
    TELLISTRY_SOURCE=$top TELLISTRY_NATIVE_BIN=$top/build/native
  harness=$top/tests/harness/wine.sh
  "$harness" setup || exit 1
  "$harness" exec "$top/tests/harness/modem_line.sh" --com 2 -- "$0" --inside
  result=$?
  "$harness" cleanup >/dev/null
  exit $result
fi

. "$top/tests/e2e/e2e_lib.sh"
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null' EXIT
shots=$work/pictures
mkdir -p "$shots"
d() { driver "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
step() { "$@" >/dev/null || { fail "$*"; finish; exit 1; }; }
open_dialog() { step d command "$1"; step d dialog "$2" 30000; }
fill() {  # TITLE ID TEXT...
  local title=$1
  shift
  while [ $# -gt 1 ]; do step d set "$title" "$1" "$2"; shift 2; done
}
ok() { step d click "$1" 1; step d dialog-gone "$1" 30000; }
snap() { step d snap "$1" "$(winpath "$shots")\\$2.bmp"; }
snap_main() { step d snap-main 700 "$1" "$(winpath "$shots")\\$2.bmp"; }
AB="Address Book..." MS="Maintain Settings..." AE="Add SMS Entry"

tellconfig reset
# No event source is registered here, as the server package would: without
# its copies in the Event Log the server has nothing to warn about.
tellconfig eventlog off
start_server || { finish; exit 1; }

# The address book: a group of two.
open_dialog 129 "$AB"
step d click "$AB" 1010 && step d dialog "Add Group" 30000
fill "Add Group" 1008 Admins 1009 "On-call administrators"
ok "Add Group"
for user in "Ann|+447700900123|Night shift" "Bob|+447700900456|Day shift, weekends"; do
  IFS='|' read -r name number description <<<"$user"
  step d click "$AB" 1007 && step d dialog "Add User" 30000
  fill "Add User" 1008 "$name" 1009 "$description" 1010 "$number"
  step d pick "Add User" 1006 Admins
  ok "Add User"
done
snap "$AB" address_book
ok "$AB"

# The SMS entry for the GSM modem, with the sample script as pasted in.
script=$(sed -e 's/\\/\\\\/g' "$src/server/modem/scripts/gsm_text_mode.txt" | awk '{ printf "%s\\r\\n", $0 }')
open_dialog 1000 "$MS"
step d click "$MS" 1007 && step d dialog "$AE" 30000
fill "$AE" 1013 "GSM modem" 1015 "+447700900000" 1016 "$script"
for pick in "1017 COM$MODEMSIM_COM" "1018 9600" "1007 None" "1019 8" "1020 1"; do
  step d pick "$AE" "${pick% *}" "${pick#* }"
done
snap "$AE" add_entry
ok "$AE"
fill "$MS" 1012 Srv01 1014 " - IT dept"
snap "$MS" maintain_settings
ok "$MS"

open_dialog 57664 "About Tellistry"
snap "About Tellistry" about_box
ok "About Tellistry"

# A delivery to the group, then one to a modem that has stopped answering.
raise "File server" Admins "Disk D: is 95% full"
wait_count "Alert done." 1 120 || { finish; exit 1; }
snap_main 200 main_window
control silent
raise "Nightly backup" Ann "Backup of FS01 failed"
wait_count "Alert done." 2 120 || { finish; exit 1; }
snap_main 310 main_window_error
stop_server

for picture in "$shots"/*.bmp; do
  name=$(basename "$picture" .bmp)
  python3 "$top/scripts/bmp_to_png.py" "$picture" "$src/server/help/$name.png" || fail "convert $name"
  echo "server/help/$name.png"
done
finish
