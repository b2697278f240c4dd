#!/usr/bin/env bash
# Keeps src/ layered in one direction: a folder includes only itself and the folders before it in
# LAYERS, and Windows headers only in platform/win32 (and the resource script). Prints each include that breaks this as
# "file: #include line (why)" and exits 1; exits 0 when there is none.
# Usage: scripts/check_layers.sh [SRC_DIR]   (default: the repository's src/)
set -uo pipefail

# Bottom to top. Changing the design is one edit here.
LAYERS=(
  formats     # pure text formats
  resources   # resource ids shared by the .rc file and the code that loads them
  platform    # the desktop's interfaces (win32/, headless/) and readWholeFile on top of them
  boundary    # the host: records, the host control object, the gateway, message ids, settings
  description # the description setter and the speed texts every activity fills in
  cycling     # list cycling and stealing
  feeds       # the eMule and Azureus speed feeds
  list        # the list editor
  files       # the list files and the text import
  plugin      # the wiring: entry point, plug-in object, actions, pages, the mode controller
)
WINDOWS_HEADERS='windows|winbase|winuser|windef|commctrl|commdlg|shellapi|shlobj|winnt|wingdi|objbase'

src=${1:-$(cd "$(dirname "$0")/../src" && pwd)}
[ -d "$src" ] || { echo "check_layers: no folder $src" >&2; exit 2; }

rank() { # the index of a folder in LAYERS, or nothing
  local i
  for i in "${!LAYERS[@]}"; do [ "${LAYERS[$i]}" = "$1" ] && { echo "$i"; return; }; done
}

bad=0
while IFS= read -r -d '' file; do
  rel=${file#"$src"/}
  folder=${rel%%/*}
  own=$(rank "$folder")
  if [ -z "$own" ]; then
    echo "$rel: the folder $folder/ has no place in the layer order"
    bad=1
    continue
  fi
  while IFS= read -r line; do
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$line")
    [ "$target" = "$line" ] && continue # an include with <...>
    case "$target" in */*) ;; *) continue ;; esac # a file of the same folder
    used=${target%%/*}
    theirs=$(rank "$used")
    if [ -z "$theirs" ]; then
      echo "$rel: $line (not a folder of src/)"
      bad=1
    elif [ "$theirs" -gt "$own" ]; then
      echo "$rel: $line ($folder/ may not use $used/, which stands above it)"
      bad=1
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
  case "$rel" in
    platform/win32/* | resources/*.rc) ;;
    *)
      while IFS= read -r line; do
        echo "$rel: $line (Windows headers belong in platform/win32)"
        bad=1
      done < <(grep -iE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<($WINDOWS_HEADERS)\.h>" "$file")
      ;;
  esac
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) -print0 | sort -z)

exit "$bad"
