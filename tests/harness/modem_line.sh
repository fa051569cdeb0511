#!/usr/bin/env bash
# Runs a command with a simulated modem (tools/modemsim) on a Wine COM port,
# and stops the simulator when the command ends, however it ends.
#   modem_line.sh --com N [other modemsim options] -- COMMAND [ARGS]
# The simulator's folder is made here. The command finds in its environment:
#   MODEMSIM_DIR  that folder (ready, received, sent, control; see modemsim)
#   MODEMSIM_COM  N
# Returns the command's exit code; 1 when the simulator does not start.
# Needs WINEPREFIX (the harness sets it) and TELLISTRY_NATIVE_BIN or MODEMSIM.
set -u
. "$(dirname "$0")/poll.sh"
sim=${MODEMSIM:-${TELLISTRY_NATIVE_BIN:-}/tools/modemsim/modemsim}
args=()
com=
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  [ "$1" = --com ] && com=${2:-}
  args+=("$1")
  shift
done
[ $# -gt 1 ] && [ -n "$com" ] || { echo "usage: $0 --com N [modemsim options] -- COMMAND [ARGS]" >&2; exit 2; }
shift

dir=$(mktemp -d "${TMPDIR:-/tmp}/modemsim.XXXXXX")
# Output to a file: nothing long-lived may hold the test's output pipe.
"$sim" "${args[@]}" --dir "$dir" >"$dir/log" 2>&1 </dev/null &
pid=$!
stop_sim() {
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  [ -s "$dir/log" ] && { echo "modemsim said:"; cat "$dir/log"; }
  rm -rf "$dir"
}
trap stop_sim EXIT
trap 'exit 143' TERM INT HUP

started() { [ -f "$dir/ready" ] || ! kill -0 "$pid" 2>/dev/null; }
poll 60 started
[ -f "$dir/ready" ] || { echo "modemsim did not start"; exit 1; }

export MODEMSIM_DIR=$dir MODEMSIM_COM=$com
"$@"
