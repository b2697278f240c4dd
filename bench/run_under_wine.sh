#!/usr/bin/env bash
# Runs the Windows build's benchmark programs under Wine, with the virtual display the Wine checks use.
# Usage: bench/run_under_wine.sh WIN_BUILD_DIR [program arguments...]
set -uo pipefail
[ $# -ge 1 ] || { echo "usage: $0 WIN_BUILD_DIR [program arguments...]" >&2; exit 2; }
WIN_BUILD_DIR="$(cd "$1" && pwd)" || exit 2
# A benchmark runs longer than a check: it gets a time limit of its own. Five runs of the list editor's
# benchmark over comctl32 take about two minutes under Xvfb.
BRIO_WINE_TIMEOUT="${BRIO_BENCH_TIMEOUT:-900}"
source "$(dirname "$0")/../tests/wine/wine_env.sh"
wine_under_display "$0" "$@"
shift

wine_prepare_prefix || { echo "wine: cannot prepare the prefix $WINEPREFIX" >&2; exit 1; }
cd "$WIN_BUILD_DIR" || exit 1
status=0
for program in bench_*.exe; do
    [ -f "$program" ] || { echo "wine: no benchmark built in $WIN_BUILD_DIR" >&2; exit 1; }
    echo "== $WIN_BUILD_DIR/$program (Wine)"
    wine_run "./$program" "$@" || { status=$?; break; }
done
wine_finish
exit $status
