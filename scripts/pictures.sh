#!/usr/bin/env bash
# Draws the README's pictures: brio-host.exe runs docs/pictures.brio against Brio.dll under Wine on a
# virtual display, as on a Polish desktop (code page 1250), and writes PNG files into OUTPUT_DIR.
# Usage: scripts/pictures.sh WIN_BUILD_DIR OUTPUT_DIR
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 WIN_BUILD_DIR OUTPUT_DIR" >&2; exit 2; }
WIN_BUILD_DIR="$(cd "$1" && pwd)" || exit 2
mkdir -p "$2" && out="$(cd "$2" && pwd)" || exit 2
top="$(cd "$(dirname "$0")/.." && pwd)"
source "$top/tests/wine/wine_env.sh"
host="$WIN_BUILD_DIR/host/brio-host.exe"
plugin="$WIN_BUILD_DIR/Brio.dll"
for f in "$host" "$plugin"; do
    [ -f "$f" ] || { echo "pictures: $f not built (cmake --build $1)" >&2; exit 1; }
done

wine_under_display "$0" "$@"

# Wine takes its code page from the locale: a Polish one is made here, without touching the system's.
locales="$WIN_BUILD_DIR/locale"
if [ ! -f "$locales/pl_PL.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$locales"
    localedef -i pl_PL -f UTF-8 "$locales/pl_PL.UTF-8" >/dev/null 2>&1 ||
        { echo "pictures: cannot make the pl_PL.UTF-8 locale (scripts/setup.sh installs locales)" >&2; exit 1; }
fi

wine_prepare_prefix || { echo "pictures: cannot prepare the prefix $WINEPREFIX" >&2; exit 1; }
# Wine's own fonts (Tahoma for dialogs, Marlett for the frame buttons and arrows) are found in the
# prefix's font folder only.
for font in /usr/share/wine/fonts/*.ttf; do
    [ -e "$font" ] && ln -sf "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
log="$WIN_BUILD_DIR/pictures.out"
(cd "$out" && env LOCPATH="$locales" LC_ALL=pl_PL.UTF-8 timeout --kill-after=10 "$BRIO_WINE_TIMEOUT" \
    wine "$host" --plugin "$(windows_path "$plugin")" --config "$(windows_path "$WIN_BUILD_DIR/pictures.cfg")" \
    --fresh --script "$(windows_path "$top/docs/pictures.brio")") >"$log" 2>&1
status=$?
wine_finish
if [ $status -ne 0 ]; then
    echo "pictures: brio-host.exe failed (exit $status); its output:" >&2
    tail -n 30 "$log" >&2
    exit 1
fi
grep -h '^\$ picture \|^  picture ' "$log"
