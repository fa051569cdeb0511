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
# A mirror caught mid-sync fails an update now and then: try again, and go on
# with what was fetched when it keeps failing (the install says what is missing).
update() {
  local try
  for try in 1 2 3; do
    $sudo apt-get update -qq && return 0
    echo "apt-get update failed (try $try of 3)"
    sleep $((try * 10))
  done
  return 0
}
# wine32 runs the 32-bit component and its 32-bit clients under Wine.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "adding the i386 architecture"
  $sudo dpkg --add-architecture i386
  update
  updated=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
[ -n "$updated" ] || update
install() { $sudo apt-get install -y -qq "$@" "${missing[@]}" >/dev/null; }
install && exit 0
# An index the mirror could not give (seen: the security suite's i386 list)
# leaves the 32-bit libraries without the versions of their 64-bit twins.
# The release's own suites alone still agree with each other.
echo "installing again from the release's suites alone"
release=$(mktemp)
trap 'rm -f "$release"' EXIT
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
for suite in "$codename" "$codename-updates"; do
  echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $suite main"
done >"$release"
install -o Dir::Etc::SourceList="$release" -o Dir::Etc::SourceParts=/nonexistent
