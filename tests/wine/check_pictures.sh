#!/usr/bin/env bash
# The README's pictures drawn anew under Wine (scripts/pictures.sh into WIN_BUILD_DIR/pictures-check):
# each must be a well-formed PNG (pngcheck, and read back by png_facts), exactly as large as what it
# shows (the size brio-host reported for it), and not blank (at least 8 colours).
# Usage: tests/wine/check_pictures.sh WIN_BUILD_DIR LINUX_BUILD_DIR
# Prints "wine: picture FILE ok" or "wine: picture FILE FAILED (why)"; exits non-zero if any failed.
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 WIN_BUILD_DIR LINUX_BUILD_DIR" >&2; exit 2; }
win="$(cd "$1" && pwd)" || exit 2
facts="$(cd "$2" && pwd)/tests/png_facts"
top="$(cd "$(dirname "$0")/../.." && pwd)"
[ -x "$facts" ] || { echo "wine: pictures FAILED ($facts not built)"; exit 1; }
command -v pngcheck >/dev/null || { echo "wine: pictures FAILED (pngcheck not installed: scripts/setup.sh)"; exit 1; }
out="$win/pictures-check"
rm -rf "$out"
if ! "$top/scripts/pictures.sh" "$win" "$out" >"$win/pictures-check.log" 2>&1; then
    echo "wine: pictures FAILED (scripts/pictures.sh; see $win/pictures-check.log)"
    tail -n 20 "$win/pictures-check.log" | sed 's/^/    /'
    exit 1
fi
# After each "$ picture ... "FILE"" line brio-host reports "  picture WIDTH x HEIGHT" (Windows line ends).
mapfile -t taken < <(awk '{ sub(/\r$/, "") }
                           /^\$ picture / { n = split($0, q, "\""); file = q[n - 1]; next }
                           /^  picture [0-9]+ x [0-9]+$/ && file != "" { print file, $2, $4; file = "" }' "$win/pictures.out")
wanted=$(grep -c '^picture ' "$top/docs/pictures.brio")
failed=0
if [ "${#taken[@]}" -ne "$wanted" ]; then
    echo "wine: pictures FAILED (${#taken[@]} taken, $wanted asked for)"
    failed=1
fi
for line in "${taken[@]}"; do
    read -r file width height <<<"$line"
    why=""
    if ! pngcheck -q "$out/$file" >/dev/null 2>&1; then
        why="pngcheck: $(pngcheck "$out/$file" 2>&1 | head -n 1)"
    elif ! got=$("$facts" "$out/$file"); then
        why="$got"
    else
        read -r w h colours <<<"$got"
        if [ "$w x $h" != "$width x $height" ]; then why="$w x $h, but what it shows is $width x $height"
        elif [ "$colours" -lt 8 ]; then why="only $colours colours"; fi
    fi
    if [ -z "$why" ]; then echo "wine: picture $file ok"; else echo "wine: picture $file FAILED ($why)"; failed=1; fi
done
exit $failed
