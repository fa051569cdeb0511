#!/usr/bin/env bash
# The activity log, the splash and the About box on a 144-dpi screen: the
# test programs that draw them run once more, in a Wine prefix of their own
# whose screen is set to 144 dpi, so the shared prefix stays at 96. Their
# screenshots are the *-144dpi.bmp files in build/win/bin/screenshots.
set -u
harness=$(cd "$(dirname "$0")/../harness" && pwd)/wine.sh
bin=$TELLISTRY_WIN_BIN
export TELLISTRY_WINE_DIR=$TELLISTRY_WINE_DIR-144dpi
trap '"$harness" cleanup >/dev/null' EXIT
"$harness" setup || exit 1
"$harness" exec wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f \
  || exit 1

pictures="main_window about_box link_tooltip splash"
for picture in $pictures; do rm -f "$bin/screenshots/$picture-144dpi.bmp"; done
status=0
for test in log_window_test splash_test about_box_test; do
  "$harness" run "$bin/$test.exe" || { echo "FAIL: $test at 144 dpi"; status=1; }
done
for picture in $pictures; do
  [ -f "$bin/screenshots/$picture-144dpi.bmp" ] || { echo "FAIL: no $picture-144dpi.bmp"; status=1; }
done
[ $status = 0 ] && echo "high dpi test passed"
exit $status
