#!/usr/bin/env bash
# Shows the help file as a reader sees it: extracts build/win/bin/TELLISTRY.CHM
# and renders every topic with headless Chromium in a 760-pixel pane, the
# width of a help window's topic pane. Prints each topic's width and height
# (a width above the pane's, without its vertical scroll bar, means a
# horizontal scroll bar) and saves the whole page
# as build/help_render/TOPIC.png; exit code 1 when a topic is too wide.
# Needs the Debian packages chromium and libchm-bin.
#   ./scripts/render_help.sh
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
chm=$top/build/win/bin/TELLISTRY.CHM
out=$top/build/help_render
[ -f "$chm" ] || { echo "no $chm: run ./scripts/build.sh first"; exit 1; }
for tool in chromium extract_chmLib; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install chromium libchm-bin)"; exit 1; }
done
rm -rf "$out"
mkdir -p "$out/chm"
extract_chmLib "$chm" "$out/chm" >/dev/null || { echo "extract_chmLib failed"; exit 1; }
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
browse() {
  timeout 120 chromium --headless=new --no-sandbox --disable-gpu --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" "$@" 2>/dev/null
}
status=0
for page in "$out"/chm/*.htm; do
  name=$(basename "$page" .htm)
  # A copy that reports its size in its title, for --dump-dom to print.
  measured=$out/chm/$name.measured.html
  sed 's|</body>|<script>var e = document.documentElement; document.title = "size " + e.scrollWidth + " " + e.clientWidth + " " + e.scrollHeight;</script></body>|' \
    "$page" >"$measured"
  read -r width pane height < <(browse --window-size=760,1400 --dump-dom "file://$measured" |
    grep -o 'size [0-9]* [0-9]* [0-9]*' | cut -d' ' -f2-4)
  rm -f "$measured"
  [ -n "${width:-}" ] || { echo "$name: could not be rendered"; status=1; continue; }
  browse --window-size="760,$height" --screenshot="$out/$name.png" "file://$page" >/dev/null
  verdict=fits
  [ "$width" -gt "$pane" ] && { verdict="TOO WIDE for its $pane-pixel pane"; status=1; }
  printf '%-12s %4d x %5d  %s  %s\n' "$name" "$width" "$height" "$verdict" "$out/$name.png"
done
exit $status
