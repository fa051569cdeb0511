#!/usr/bin/env bash
# Builds one installer package: wixl writes it from the .wxs sources, then
# this script adds what the installed wixl (0.101) cannot express and reads
# every addition back. Any failure stops the build and leaves no package.
#   package.sh server|client BIN OUTPUT [VERSION]
# BIN: the Windows build's bin folder (the programs, the help file and
# x86/pagoret.dll). VERSION (major.minor.build): by default the product
# version in server/res/tellistry.rc, read now, so a version bump reaches the
# package without reconfiguring.
set -euo pipefail
kind=$1 bin=$2 output=$3
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
part=$output.part
trap 'rm -f "$part"' EXIT
die() { echo "package.sh: $output: $*" >&2; exit 1; }

rc=$src/server/res/tellistry.rc
version=${4:-$(sed -n 's/^ *PRODUCTVERSION *\([0-9]*\) *, *\([0-9]*\) *, *\([0-9]*\) *, *[0-9]* *$/\1.\2.\3/p' "$rc")}
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "no product version major.minor.build ('$version' from the command line or $rc)"

case $kind in
  server) wxs=("$here/server.wxs" "$here/submission.wxs") ;;
  client) wxs=("$here/client.wxs" "$here/submission.wxs") ;;
  *) die "unknown package '$kind'" ;;
esac
mkdir -p "$(dirname "$output")"
rm -f "$part"
# wixl takes sources relative to the folder it runs in.
(cd "$bin" && wixl -a x64 -D Version="$version" -D SourceDir="$(realpath --relative-to=. "$src")" \
   -o "$part" "${wxs[@]}") ||
  die "wixl failed"

sql() { msibuild "$part" -q "$1" || die "query failed: $1"; }
# rows TABLE: the table's rows, tab-separated, without the header lines.
rows() { msiinfo export "$part" "$1" | tr -d '\r' | tail -n +4; }
# field TABLE KEY N: column N of the row whose first column is KEY.
field() { rows "$1" | awk -F'\t' -v key="$2" -v n="$3" '$1 == key { print $n; found = 1 } END { exit !found }'; }
quote() { sed "s/'/''/g" <<<"$1"; }

# The registrar interface's keys are the package's only where no other type
# library describes that interface already (what the searches found).
libid='{50FFB38D-3871-404E-97C4-F172D46A8E21}'
for width in 64 32; do
  component=Interface$width
  condition="NOT INTERFACE${width}_TYPELIB OR INTERFACE${width}_TYPELIB = \"$libid\""
  sql "UPDATE \`Component\` SET \`Condition\` = '$(quote "$condition")' WHERE \`Component\` = '$component'"
  [ "$(field Component "$component" 5)" = "$condition" ] || die "component $component has no condition"
done

# The Startup feature (off by default) is installed when STARTUP is 1.
if [ "$kind" = server ]; then
  feature=Startup level=1 condition='STARTUP = "1"'
  msiinfo tables "$part" | tr -d '\r' | grep -qx Condition ||
    sql 'CREATE TABLE `Condition` (`Feature_` CHAR(38) NOT NULL, `Level` SHORT NOT NULL, `Condition` CHAR(255) PRIMARY KEY `Feature_`, `Level`)'
  field Feature "$feature" 1 >/dev/null || die "no feature $feature"
  if ! rows Condition | grep -qxF "$feature	$level	$condition"; then
    sql "INSERT INTO \`Condition\` (\`Feature_\`, \`Level\`, \`Condition\`) VALUES ('$feature', $level, '$(quote "$condition")')"
  fi
  rows Condition | grep -qxF "$feature	$level	$condition" || die "feature $feature has no condition"
fi

# A package of the same version replaces the installed one: the upgrade row
# includes its upper bound (the current version).
upgrade_row=$(rows Upgrade | awk -F'\t' -v v="$version" '$3 == v && int($5 / 2) % 2 == 0')
[ "$(wc -l <<<"$upgrade_row")" = 1 ] && [ -n "$upgrade_row" ] || die "no single upgrade row up to $version"
# Attributes is a part of the row's key: the row is written anew.
column() { cut -f"$1" <<<"$upgrade_row"; }
sql "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = '$(column 7)'"
sql "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMin\`, \`VersionMax\`, \`Language\`, \`Attributes\`, \`Remove\`, \`ActionProperty\`) VALUES ('$(column 1)', '$(column 2)', '$(column 3)', '$(column 4)', $(($(column 5) | 512)), '$(column 6)', '$(column 7)')"
rows Upgrade | awk -F'\t' -v v="$version" '$3 == v && int($5 / 512) % 2 == 1 { found = 1 } END { exit !found }' ||
  die "the upgrade row leaves out $version"

# Every program and library carries its version and language, from its
# version resource, so the installer never replaces a newer copy by an older
# one. The sources come from the File elements of the .wxs files.
sources=$(cat "${wxs[@]}" | tr '\n' ' ' | grep -o '<File [^>]*>' |
  sed -n 's/.* Id="\([^"]*\)".* Source="\([^"]*\)".*/\1	\2/p')
while read -r file; do
  source=$(awk -F'\t' -v id="$file" '$1 == id { print $2 }' <<<"$sources")
  [ -n "$source" ] || die "no source for file $file"
  source=${source//'$(var.SourceDir)'/$src}
  [[ $source = /* ]] || source=$bin/$source
  read -r file_version language < <("$here/pe_version.sh" "$source") || die "$source has no version"
  sql "UPDATE \`File\` SET \`Version\` = '$file_version', \`Language\` = '$language' WHERE \`File\` = '$file'"
  sql "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = '$file'"
  [ "$(field File "$file" 5)" = "$file_version" ] || die "file $file has no version"
done < <(rows File | awk -F'\t' '{ n = split($3, names, "|"); if (tolower(names[n]) ~ /\.(exe|dll)$/) print $1 }')

# What the searches find must reach the installation when the user interface
# runs as a user: every searched property is a secure one.
secure=$(field Property SecureCustomProperties 2)
for property in $(rows AppSearch | cut -f1 | sort -u); do
  [[ ";$secure;" = *";$property;"* ]] || secure="$secure;$property"
done
sql "UPDATE \`Property\` SET \`Value\` = '$secure' WHERE \`Property\` = 'SecureCustomProperties'"
for property in $(rows AppSearch | cut -f1); do
  [[ ";$(field Property SecureCustomProperties 2);" = *";$property;"* ]] || die "$property is not secure"
done

mv "$part" "$output"
