#!/usr/bin/env bash
# Installs every package the build and the tests need, when missing.
set -eu
packages=(
  cmake g++ clang libgtest-dev googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine64 wine32:i386 libwine-dev xvfb fonts-wine fp-utils
  wixl msitools
)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
updated=
# wine32 runs the 32-bit component and its 32-bit clients under Wine.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "adding the i386 architecture"
  $sudo dpkg --add-architecture i386
  $sudo apt-get update -qq
  updated=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
[ -n "$updated" ] || $sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
