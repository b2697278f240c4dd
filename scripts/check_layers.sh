#!/usr/bin/env bash
# Keeps src/ and host/ layered in one direction. In each tree a folder includes only itself and the
# folders before it in that tree's order list; src/ includes nothing of host/, and host/ may use all of
# src/ (it stands above the plug-in, as a messenger does). Windows headers belong in src/platform/win32
# (and the resource script) and in host/'s win32/ folders. Prints each include that breaks this as
# "file: #include line (why)" and exits 1; exits 0 when there is none.
# Usage: scripts/check_layers.sh [SRC_DIR] [--host HOST_DIR]
#   (no arguments: the repository's src/ and host/; a SRC_DIR alone: that tree only)
set -uo pipefail

# Bottom to top. Changing the design is one edit here.
LAYERS=(
  formats     # pure text formats
  resources   # resource ids shared by the .rc file and the code that loads them
  platform    # the desktop's interfaces (win32/, headless/) and readWholeFile and readSpeedFile on top of them
  boundary    # the host: records, the host control object, the gateway, message ids, settings
  description # the description setter and the speed texts every activity fills in
  cycling     # list cycling and stealing
  feeds       # the eMule and Azureus speed feeds
  list        # the list editor
  files       # the list files and the text import
  plugin      # the wiring: entry point, plug-in object, actions, pages, the mode controller
)
# brio-host, bottom to top; the files at the top of host/ (main.cpp) stand above every folder.
HOST_LAYERS=(
  common    # code page 1250, file bytes, the heap meter, the transcript
  model     # the messenger's tables: action tree, configuration, contacts, plug-in registry
  desktop   # the desktop drivers: the interface, headless/, win32/, page layout, pictures
  messenger # the host control object and its answers to the plug-in, the plug-in loaders
  commands  # the command language: script, interpreter, expect, show, list and picture commands
)
WINDOWS_HEADERS='windows|winbase|winuser|windef|commctrl|commdlg|shellapi|shlobj|winnt|wingdi|objbase'

top=$(cd "$(dirname "$0")/.." && pwd)
src="$top/src"
host="$top/host"
if [ $# -gt 0 ]; then
  src="" host=""
  [ "$1" != "--host" ] && { src=$1; shift; }
  if [ $# -gt 0 ]; then
    [ "$1" = "--host" ] && [ $# -eq 2 ] || { echo "usage: $0 [SRC_DIR] [--host HOST_DIR]" >&2; exit 2; }
    host=$2
  fi
fi
[ -z "$src" ] || [ -d "$src" ] || { echo "check_layers: no folder $src" >&2; exit 2; }
[ -z "$host" ] || [ -d "$host" ] || { echo "check_layers: no folder $host" >&2; exit 2; }

rank() { # the index of a folder in the order list named by $1, or nothing
  local -n order=$1
  local i
  for i in "${!order[@]}"; do [ "${order[$i]}" = "$2" ] && { echo "$i"; return; }; done
}

bad=0

# check TREE ORDER PREFIX WINDOWS_OK: PREFIX is how the tree's own includes begin ("" for src/, where
# they name the folder directly, "host/" for host/); WINDOWS_OK a regular expression of the files that
# may include Windows headers.
check() {
  local tree=$1 order=$2 prefix=$3 windows_ok=$4 file rel folder own line target used theirs
  while IFS= read -r -d '' file; do
    rel=${file#"$tree"/}
    if [ -n "$prefix" ] && [ "$rel" = "${rel#*/}" ]; then
      folder="" # a file at the top of the tree: above every folder
      own=99
    else
      folder=${rel%%/*}
      own=$(rank "$order" "$folder")
      if [ -z "$own" ]; then
        echo "$rel: the folder $folder/ has no place in the layer order"
        bad=1
        continue
      fi
    fi
    while IFS= read -r line; do
      target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$line")
      [ "$target" = "$line" ] && continue # an include with <...>
      case "$target" in */*) ;; *) continue ;; esac # a file of the same folder
      if [ -n "$prefix" ]; then
        case "$target" in "$prefix"*) target=${target#"$prefix"} ;; *) continue ;; esac # the plug-in's own
      fi
      used=${target%%/*}
      theirs=$(rank "$order" "$used")
      if [ -z "$theirs" ]; then
        echo "$rel: $line (not a folder of the tree)"
        bad=1
      elif [ "$theirs" -gt "$own" ]; then
        echo "$rel: $line ($folder/ may not use $used/, which stands above it)"
        bad=1
      fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
    [[ "$rel" =~ $windows_ok ]] && continue
    while IFS= read -r line; do
      echo "$rel: $line (Windows headers belong in the win32 folders)"
      bad=1
    done < <(grep -iE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<($WINDOWS_HEADERS)\.h>" "$file")
  done < <(find "$tree" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) -print0 | sort -z)
}

[ -z "$src" ] || check "$src" LAYERS "" '^(platform/win32/|resources/.*\.rc$)'
[ -z "$host" ] || check "$host" HOST_LAYERS "host/" '^[a-z_]+/win32/'

exit "$bad"
