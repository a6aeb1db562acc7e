#!/usr/bin/env bash
# Checks the direction of every #include "folder/..." in the engine, the host and the
# public headers: each folder may include only from the folders listed for it below (and
# from itself); and that no engine folder holds a system conditional. Prints every
# offending line and exits 1 when there is one.
#
#   usage: scripts/check-layering.sh [ROOT]   (ROOT defaults to the repository)
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}

# Folder: the folders it may include from. The floors, bottom up: res and include hold
# data and the public headers; platform the Windows-shaped layers; model the samples,
# tracks and history; services the process-wide services; audio, formats, edit and
# effects the work on tracks; ui the windows; api the exported functions.
declare -A allowed=(
  [include]=""
  [res]=""
  [platform]="res"
  [model]="platform"
  [services]="model platform"
  [audio]="services model platform"
  [formats]="services model platform"
  [edit]="services model platform"
  [effects]="edit services model platform"
  [ui]="audio effects edit services model platform res"
  [api]="ui audio formats edit effects services model platform res"
  [host]=""
  [desktop]=""
)

status=0
for folder in "${!allowed[@]}"; do
  [ -d "$root/$folder" ] || continue
  while IFS= read -r -d '' file; do
    line=0
    while IFS= read -r text; do
      line=$((line + 1))
      [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^/\"]+)/ ]] || continue
      target=${BASH_REMATCH[1]}
      [ "$target" = "$folder" ] && continue
      case " ${allowed[$folder]} " in *" $target "*) continue ;; esac
      rel=${file#"$root"/}
      echo "$rel:$line: $text    <- $folder/ may not include from $target/"
      status=1
    done <"$file"
  done < <(find "$root/$folder" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) -print0)
done
# The engine's folders read the same on every system: what differs lives in platform/
# (one implementation per system) and include/.
for folder in model services audio formats edit effects ui api res; do
  [ -d "$root/$folder" ] || continue
  while IFS= read -r hit; do
    echo "${hit#"$root"/}    <- $folder/ may not depend on the system: move it into platform/"
    status=1
  done < <(grep -rnE --include='*.h' --include='*.cpp' --include='*.c' \
    '^[[:space:]]*#[[:space:]]*(if|ifdef|ifndef|elif).*\b(_WIN32|_WIN64|WIN32|__linux__|__unix__|__APPLE__|_MSC_VER|__MINGW32__)\b' \
    "$root/$folder" || true)
done
[ $status -eq 0 ] && echo "layering: every include goes the allowed way, no engine file depends on the system"
exit $status
