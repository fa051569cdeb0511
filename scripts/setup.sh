#!/usr/bin/env bash
# Installs every package the build and the tests need, when missing.
set -eu
packages=(
  cmake g++ clang libgtest-dev googletest
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 libwine-dev xvfb fonts-wine fp-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
