#!/usr/bin/env bash
# Runs the Windows build's own checks under Wine: Brio.dll as a host sees it, and the Win32 desktop
# layer. Usage: tests/wine/run_checks.sh WIN_BUILD_DIR [gtest options...]
set -uo pipefail
[ $# -ge 1 ] || { echo "usage: $0 WIN_BUILD_DIR [gtest options...]" >&2; exit 2; }
WIN_BUILD_DIR="$(cd "$1" && pwd)" || exit 2
source "$(dirname "$0")/wine_env.sh"
checks="$WIN_BUILD_DIR/brio-wine-checks.exe"
[ -f "$checks" ] || { echo "wine: $checks not built (cmake --build $1 --target brio-wine-checks)" >&2; exit 1; }
wine_under_display "$0" "$@"
shift

wine_prepare_prefix || { echo "wine: cannot prepare the prefix $WINEPREFIX" >&2; exit 1; }
# A file system of 64 KiB, for a save that really runs out of room halfway (only root may mount one;
# the check that needs it is skipped otherwise). Wine sees it as a folder on drive Z:.
full="$(mktemp -d /tmp/brio-full-XXXXXX)"
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=64k brio-full "$full" 2>/dev/null; then
    export BRIO_FULL_FOLDER="Z:${full//\//\\}"
    trap 'umount "$full" && rmdir "$full"' EXIT
else
    rmdir "$full"
    full=""
fi
cd "$WIN_BUILD_DIR" || exit 1
wine_run "$checks" "$@"
status=$?
wine_finish
if [ $status -eq 0 ]; then echo "wine: checks ok"; else echo "wine: checks FAILED (exit $status)"; fi
exit $status
