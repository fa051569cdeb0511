# Polling for test scripts, sourced: a busy machine can make anything slow,
# so a test waits for what it expects to happen, never for a fixed time.
#   poll SECONDS COMMAND [ARGS]   runs COMMAND every 0.2 s until it succeeds;
#                                 fails when SECONDS have passed without
poll() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.2
  done
}
