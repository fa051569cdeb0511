#!/usr/bin/env bash
# The Help menu and the About box of the running program. Each Help command
# must open the help window on its topic. Topic panes stay blank under Wine
# without its browser engine, so the topic is checked in what the program
# asked HTML Help for (Wine's htmlhelp trace), and the window by its
# contents tree.
set -u
. "$(dirname "$0")/../harness/poll.sh"
bin=$TELLISTRY_WIN_BIN
trace=$(mktemp "${TMPDIR:-/tmp}/help_test.XXXXXX")
drive() { wine "$bin/guidriver.exe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
fail() {
  echo "FAIL: $*"
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null
  rm -f "$trace"
  exit 1
}
[ -f "$bin/TELLISTRY.CHM" ] || fail "no help file beside the program"

WINEDEBUG=-all,trace+htmlhelp wine "$bin/tellistry.exe" >/dev/null 2>"$trace" &
server=$!
drive wait-main 120000 || fail "no main window"

# Whether the program has asked for LOCATION with COMMAND.
asked() { grep -aF "HtmlHelpW" "$trace" | grep -qF "TELLISTRY.CHM$1\", command=$2,"; }
about_open() { drive dialog "About Tellistry" 0; }
about_closed() { ! about_open; }
ended() { ! kill -0 "$server" 2>/dev/null; }
contents_filled() {
  contents=$(drive help-window 0 | grep contents) && [ "${contents#contents }" -ge 5 ]
}
check_help() {  # ID LOCATION COMMAND
  : >"$trace"
  drive command "$1" || fail "help command $1"
  poll 60 asked "$2" "$3" || fail "command $1 did not ask for $2 with $3: $(grep -a HtmlHelpW "$trace")"
  drive help-window 60000 >/dev/null || fail "command $1: no help window"
  # The window shows before its contents tree is filled.
  poll 60 contents_filled || fail "command $1: contents tree has $contents"
}
check_help 57670 "" HH_DISPLAY_TOC
check_help 57667 "" HH_DISPLAY_SEARCH
check_help 57666 "" HH_DISPLAY_INDEX
check_help 32806 "::/tutorial.htm" HH_DISPLAY_TOPIC
check_help 32808 "::/csupport.htm" HH_DISPLAY_TOPIC

# About Tellistry...: the version line of the real program file.
drive command 57664 || fail "about command"
drive dialog "About Tellistry" 60000 || fail "no About box"
version=$(drive get "About Tellistry" 1001)
[ "$version" = "Version 1.0" ] || fail "version line: $version"
[ "$(drive get "About Tellistry" 1017)" = "Tellistry Help" ] || fail "help link text"
drive click "About Tellistry" 1 || fail "close button"
poll 60 about_closed || fail "About box still open after Close"

drive command 1002 || fail "exit command"
drive answer yes 60000 >/dev/null || fail "no question on Exit"
drive wait-gone 60000 || fail "main window still there"
poll 60 ended || fail "process still running"
rm -f "$trace"
echo "help test passed"
