#!/usr/bin/env bash
# Checks that a Windows DLL exports exactly the expected names, undecorated: the functions
# the given public headers declare with WD_EXPORT, plus any names given with --name.
# Prints what is missing and what is extra, and exits 1 when either is not empty.
#
#   usage: scripts/check-dll-exports.sh DLL [HEADER...] [--name NAME...]
set -euo pipefail
dll=$1
shift
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

expected=$(mktemp)
actual=$(mktemp)
trap 'rm -f "$expected" "$actual"' EXIT
while [ $# -gt 0 ]; do
  if [ "$1" = --name ]; then
    echo "$2" >>"$expected"
    shift 2
    continue
  fi
  # A declaration starts "WD_EXPORT <type> WINAPI <Name>(" on one line.
  sed -nE 's/^WD_EXPORT [^(]*[ *]([A-Za-z_][A-Za-z0-9_]*)\(.*/\1/p' "$1" >>"$expected"
  shift
done
sort -u -o "$expected" "$expected"

"$objdump" -p "$dll" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -nE 's/^[[:space:]]*\[[[:space:]]*[0-9]+\] (.*)$/\1/p' | sort >"$actual"

status=0
if [ ! -s "$expected" ]; then
  echo "no expected export given" >&2
  exit 2
fi
missing=$(comm -23 "$expected" "$actual")
extra=$(comm -13 "$expected" "$actual")
[ -n "$missing" ] && { echo "not exported by $(basename "$dll"):"; echo "$missing" | sed 's/^/  /'; status=1; }
[ -n "$extra" ] && { echo "exported but not expected from $(basename "$dll"):"; echo "$extra" | sed 's/^/  /'; status=1; }
[ $status -eq 0 ] && echo "$(basename "$dll"): $(wc -l <"$actual") exports, exactly the expected names"
exit $status
