#!/usr/bin/env bash
# Prints the file version and language of a Windows program or library, as
# its version resource states them: "1.0.0.0 2057". Fails when the file has
# no version resource.
#   pe_version.sh FILE
set -euo pipefail
file=$1
export LC_ALL=C

# offset_of KEY [AFTER]: the byte offset of the first UTF-16 key KEY (with
# its terminating NUL) in the file beyond offset AFTER.
offset_of() {
  local pattern
  pattern=$(sed 's/./&\\x00/g' <<<"$1")'\x00\x00'
  grep -obUaP "$pattern" "$file" | cut -d: -f1 | awk -v after="${2:--1}" '$1 > after { print; exit }'
}
u32() { od -An -tu4 -j "$1" -N 4 "$file" | tr -d ' '; }
u16() { od -An -tu2 -j "$1" -N 2 "$file" | tr -d ' '; }

key=$(offset_of VS_VERSION_INFO)
[ -n "$key" ] || { echo "pe_version.sh: $file has no version resource" >&2; exit 1; }
# The key is 32 bytes long and starts 6 bytes into its 32-bit aligned block,
# so the fixed file information starts 34 bytes after it.
fixed=$((key + 34))
[ "$(u32 "$fixed")" = $((0xFEEF04BD)) ] ||
  { echo "pe_version.sh: $file: malformed version resource" >&2; exit 1; }
ms=$(u32 $((fixed + 8)))
ls=$(u32 $((fixed + 12)))
version="$((ms >> 16)).$((ms & 0xFFFF)).$((ls >> 16)).$((ls & 0xFFFF))"

translation=$(offset_of Translation "$key")
[ -n "$translation" ] ||
  { echo "pe_version.sh: $file: the version resource names no language" >&2; exit 1; }
echo "$version $(u16 $((translation + 26)))"
