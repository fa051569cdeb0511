#!/usr/bin/env bash
# The test command: installs what is missing, builds both builds and runs
# every test (native and under Wine) in one ctest run.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
cd "$top/build/native"
exec ctest --output-on-failure -j2 "$@"
