#!/usr/bin/env bash
# brio-host's ledger of what a plug-in holds of Windows, under Wine, against a plug-in that keeps what
# it should give back (leaky_plugin.cpp): a brush more since the mark fails "expect objects same", and
# at the unload each kind it kept is a fault, while what it gave back shows nowhere; its import of a call
# the ledger does not count is a fault as it is loaded.
# Usage: tests/wine/check_ledger.sh WIN_BUILD_DIR. Prints "wine: ledger ok" or "wine: ledger FAILED".
set -uo pipefail
[ $# -ge 1 ] || { echo "usage: $0 WIN_BUILD_DIR" >&2; exit 2; }
WIN_BUILD_DIR="$(cd "$1" && pwd)" || exit 2
source "$(dirname "$0")/wine_env.sh"
host="$WIN_BUILD_DIR/host/brio-host.exe"
plugin="$WIN_BUILD_DIR/LeakyPlugin.dll"
for f in "$host" "$plugin"; do
    [ -f "$f" ] || { echo "wine: $f not built (cmake --build $1)" >&2; exit 1; }
done
wine_under_display "$0" "$@"
shift

wine_prepare_prefix || { echo "wine: cannot prepare the prefix $WINEPREFIX" >&2; exit 1; }
work="$(mktemp -d /tmp/brio-ledger-XXXXXX)"
trap 'rm -rf "$work"' EXIT
printf '%s\n' load "objects mark" "send 2" "expect objects same" "send 1" unload >"$work/leaks.brio"
(cd "$work" && wine_run "$host" --plugin "Z:${plugin//\//\\}" --config "Z:${work//\//\\}\\leaks.cfg" \
    --script "Z:${work//\//\\}\\leaks.brio") >"$work/out" 2>/dev/null
status=$?
sort >"$work/expected" <<'LINES'
FAIL leaks.brio:4: the plug-in holds 1 GDI objects (at the mark 0)
FAULT: 1 timer(s) of the plug-in still running when it was unloaded
FAULT: 1 windows of the plug-in still held when it was unloaded
FAULT: 1 menus of the plug-in still held when it was unloaded
FAULT: 1 image lists of the plug-in still held when it was unloaded
FAULT: 2 GDI objects of the plug-in still held when it was unloaded
FAULT: 1 properties of the plug-in still held when it was unloaded
FAULT: 1 global memory blocks of the plug-in still held when it was unloaded
FAULT: 1 heap blocks of the plug-in still held when it was unloaded
FAULT: LeakyPlugin.dll imports GDI32.dll CreateHatchBrush, which may make a Windows object that the ledger does not count
LINES
tr -d '\r' <"$work/out" | grep -E '^(FAIL|FAULT)' | sort >"$work/got"
wine_finish
if [ $status -ne 0 ] && cmp -s "$work/expected" "$work/got"; then
    echo "wine: ledger ok"
    exit 0
fi
echo "wine: ledger FAILED (exit $status); the failures and faults differ from those expected:"
diff "$work/expected" "$work/got" | sed 's/^/    /'
exit 1
