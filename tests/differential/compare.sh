#!/usr/bin/env bash
# One script on both builds: its transcript on Linux becomes the expected one (addresses in log lines
# read as {n}), which the Windows build must give under Wine. Exits 0 when they agree and neither run
# has a FAULT or an ERROR; otherwise says why on its last line. Both runs work in the script's folder.
# Usage: tests/differential/compare.sh LINUX_BUILD_DIR WIN_BUILD_DIR SCRIPT.brio
set -uo pipefail
linux="$(cd "$1" && pwd)" || exit 2
win="$(cd "$2" && pwd)" || exit 2
script="$(cd "$(dirname "$3")" && pwd)/$(basename "$3")"
folder="$(dirname "$script")"
name="$(basename "$script" .brio)"
expected="$folder/$name.expected"
(cd "$folder" && timeout 300 "$linux/host/brio-host" --plugin "$linux/libbrio.so" --config "$folder/$name.cfg" \
    --fresh --script "$script") >"$folder/$name.linux" 2>/dev/null
status=$?
sed -E 's/(pCtrl|txt|list) = -?[0-9]+"/\1 = {n}"/' "$folder/$name.linux" >"$expected"
if [ $status -ne 0 ] || grep -qE '^(FAULT|ERROR)|^ +FAULT' "$folder/$name.linux"; then
    echo "Linux: status $status: $(grep -m 1 -E '^(FAULT|ERROR)|^ +FAULT' "$folder/$name.linux")"
    exit 1
fi
out=$(BRIO_WINE_WORKDIR="$folder" "$(dirname "$0")/../wine/run_scenarios.sh" "$win" "$script" 2>&1)
if grep -q "wine: $name ok" <<<"$out"; then exit 0; fi
echo "$out" | tail -n 20
echo "Wine: $(grep -m 1 "wine: $name" <<<"$out")"
exit 1
