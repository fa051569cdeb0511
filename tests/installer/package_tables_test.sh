#!/usr/bin/env bash
# Reads the built packages' tables back and fails on what Windows Installer's
# rules forbid or a real machine punishes: a shortcut outside the all-users
# Start menu, Startup folder or desktop; a component without a key path; a
# shortcut or registry row referring to a file that its own feature (or a
# feature above it) does not install; a 32-bit component in a 64-bit folder
# or the reverse; a program or library without a version; a per-user or
# non-x64 package; a component that both packages carry but in folders that
# differ or that a public property can move.
set -u
packages=${TELLISTRY_PACKAGES:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# export MSI: every table as WORK/NAME/TABLE, rows only, tab-separated.
export_tables() {
  local name table
  name=$(basename "$1" .msi)
  mkdir -p "$work/$name"
  for table in $(msiinfo tables "$1" | tr -d '\r'); do
    msiinfo export "$1" "$table" | tr -d '\r' | tail -n +4 >"$work/$name/$table"
  done
  for table in Shortcut Registry Condition; do touch "$work/$name/$table"; done
}

# Prints one line per offence; awk reads the tables named before the program.
offences() {
  local dir=$1
  shift
  (cd "$dir" && awk -F'\t' "$@") || echo "(the check itself failed)"
}

# path_awk: DIR_PATH(id) is a directory's chain of ids up to the root,
# "TARGETDIR/ProgramFiles64Folder/..."; needs the Directory table read into
# parent[].
path_awk='
  function dir_path(id,   p) { p = id; while (id in parent && parent[id] != "") { id = parent[id]; p = id "/" p } return p }
  function width(id,   p) {
    p = dir_path(id)
    if (p ~ /(^|\/)(ProgramFiles64Folder|System64Folder|CommonFiles64Folder)(\/|$)/) return 64
    if (p ~ /(^|\/)(ProgramFilesFolder|SystemFolder|CommonFilesFolder)(\/|$)/) return 32
    return 0
  }
  FILENAME == "Directory" { parent[$1] = $2; name[$1] = $3 }'

check_package() {
  local msi=$1 name dir
  name=$(basename "$msi" .msi)
  dir=$work/$name
  export_tables "$msi"

  msiinfo suminfo "$msi" | tr -d '\r' | grep -qx 'Template: x64;[0-9,]*' &&
    pass "$name: x64 package" || fail "$name: template $(msiinfo suminfo "$msi" | grep Template)"
  [ "$(awk -F'\t' '$1 == "ALLUSERS" { print $2 }' "$dir/Property")" = 1 ] &&
    pass "$name: ALLUSERS=1" || fail "$name: ALLUSERS is not 1"

  local bad
  # With ALLUSERS=1 these folders are the all-users ones (Wine puts the
  # shortcuts into the user's profile all the same).
  bad=$(offences "$dir" "$path_awk"'
    FILENAME == "Shortcut" && dir_path($2) !~ /(^|\/)(ProgramMenuFolder|StartupFolder|StartMenuFolder|DesktopFolder)(\/|$)/ {
      print $1 " in " dir_path($2) }' Directory Shortcut)
  [ -z "$bad" ] && pass "$name: shortcuts in the all-users folders" || fail "$name: $bad"

  bad=$(offences "$dir" '$6 == "" { print $1 }' Component)
  [ -z "$bad" ] && pass "$name: every component has a key path" || fail "$name: no key path: $bad"

  bad=$(offences "$dir" '{ n = split($3, f, "|"); if (tolower(f[n]) ~ /\.(exe|dll|ocx|sys)$/ && ($5 == "" || $6 == "")) print $1 }' File)
  [ -z "$bad" ] && pass "$name: every program and library has a version and language" ||
    fail "$name: unversioned: $bad"

  bad=$(offences "$dir" "$path_awk"'
    FILENAME == "Component" && width($3) != 0 && width($3) != (int($4 / 256) % 2 ? 64 : 32) {
      print $1 " (" (int($4 / 256) % 2 ? 64 : 32) "-bit) in " dir_path($3) }' Directory Component)
  [ -z "$bad" ] && pass "$name: every component is in a folder of its width" || fail "$name: $bad"

  # A referring component's features must each hold the referred file's
  # component, themselves or through a feature above them.
  bad=$(offences "$dir" '
    function holds(f, c) { while (f != "") { if ((f SUBSEP c) in fc) return 1; f = parent[f] } return 0 }
    function check(row, comp, text,   ref, c, f) {
      while (match(text, /\[[#!][^]]+\]/)) {
        ref = substr(text, RSTART + 2, RLENGTH - 3); text = substr(text, RSTART + RLENGTH)
        c = file_comp[ref]
        for (f in features) if ((f SUBSEP comp) in fc && !holds(f, c)) print row " (feature " f ") refers to " ref " of component " c
      }
    }
    FILENAME == "Feature" { parent[$1] = $2; features[$1] }
    FILENAME == "FeatureComponents" { fc[$1, $2] }
    FILENAME == "File" { file_comp[$1] = $2 }
    FILENAME == "Shortcut" { check("shortcut " $1, $4, $5) }
    FILENAME == "Registry" { check("registry " $1, $6, $5) }' Feature FeatureComponents File Shortcut Registry)
  [ -z "$bad" ] && pass "$name: shortcuts and registry rows refer to files of their own features" ||
    fail "$name: $bad"
}

# Components both packages carry (the same GUID) must land in one folder,
# whatever properties the installing administrator sets: the same chain of
# folders, none of them a public property other than the system's folders.
check_shared() {
  local bad
  bad=$(cd "$work" && awk -F'\t' '
    BEGIN {
      split("ProgramFiles64Folder ProgramFilesFolder System64Folder SystemFolder CommonFiles64Folder " \
            "CommonFilesFolder CommonAppDataFolder WindowsFolder ProgramMenuFolder StartupFolder " \
            "StartMenuFolder DesktopFolder", list, " ")
      for (i in list) system_folder[list[i]]
    }
    # where(pkg, id): the folder as "SYSTEMFOLDER/name/name"; moved names a
    # public property on the way (no lower-case letters).
    function where(pkg, id,   path, target) {
      path = ""; moved = ""
      while (id != "" && !(id in system_folder)) {
        if (id !~ /[a-z]/) moved = id
        split(name[pkg, id], target, ":"); n = split(target[1], target, "|")
        path = "/" target[n] path; id = parent[pkg, id]
      }
      return id path
    }
    { split(FILENAME, f, "/"); pkg = f[1]; table = f[2] }
    table == "Directory" { parent[pkg, $1] = $2; name[pkg, $1] = $3 }
    table == "Component" { folder[pkg, $2] = where(pkg, $3); mover[pkg, $2] = moved; id[$2] = $1; pkgs[pkg] }
    END {
      for (key in folder) {
        split(key, k, SUBSEP)
        for (other in pkgs) if (other != k[1] && (other SUBSEP k[2]) in folder) {
          if (folder[other, k[2]] != folder[key]) print id[k[2]] " in " folder[key] " and in " folder[other, k[2]]
          if (mover[key] != "") print id[k[2]] " (" k[1] ") in a folder that " mover[key] " moves"
        }
      }
    }' tellistry-server/Directory tellistry-server/Component tellistry-client/Directory tellistry-client/Component ||
    echo "(the check itself failed)")
  [ -z "$bad" ] && pass "the components both packages carry have one fixed folder" || fail "$bad"
}

for msi in "$packages/tellistry-server.msi" "$packages/tellistry-client.msi"; do
  [ -f "$msi" ] || { fail "no package $msi"; continue; }
  check_package "$msi"
done
check_shared
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
