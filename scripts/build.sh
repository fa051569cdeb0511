#!/usr/bin/env bash
# Builds the two builds: build/win (mingw-w64 programs, the 32-bit component
# in build/win/bin/x86 and the installer packages) and build/native.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc)
cmake -S . -B build/win -G "Unix Makefiles" --no-warn-unused-cli \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build/win -j"$jobs"
cmake -S . -B build/native -G "Unix Makefiles" \
  -DTELLISTRY_WIN_BIN="$top/build/win/bin" >/dev/null
cmake --build build/native -j"$jobs"
