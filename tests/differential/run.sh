#!/usr/bin/env bash
# The differential run: for each seed, a script from generate.py runs against libbrio.so on Linux and
# against Brio.dll under Wine; the transcripts must be equal (object addresses in log lines aside), with
# no FAULT and no ERROR. Prints "differential: seed N ok" or "differential: seed N FAILED (why)"; a
# failing seed's script and both transcripts stay in WORK_DIR (see reduce.py to cut it down).
# Usage: tests/differential/run.sh LINUX_BUILD_DIR WIN_BUILD_DIR SEED... [-- STEPS]
set -uo pipefail
[ $# -ge 3 ] || { echo "usage: $0 LINUX_BUILD_DIR WIN_BUILD_DIR SEED... [-- STEPS]" >&2; exit 2; }
linux="$(cd "$1" && pwd)" || exit 2
win="$(cd "$2" && pwd)" || exit 2
shift 2
seeds=()
steps=40
while [ $# -gt 0 ]; do
    if [ "$1" = "--" ]; then steps=$2; break; fi
    seeds+=("$1")
    shift
done
here="$(cd "$(dirname "$0")" && pwd)"
work="${DIFFERENTIAL_WORK_DIR:-$linux/differential}"
mkdir -p "$work"
# A Wine prefix of the run's own, apart from the one the Wine checks and scenarios use, so that the run
# goes on beside them; two runs in one folder take turns on it (tests/wine/wine_env.sh locks it), and a
# reduction has one of its own (reduce.py).
export WINEPREFIX="${WINEPREFIX:-$work/wineprefix}"
failed=0
for seed in "${seeds[@]}"; do
    name="seed-$seed"
    script="$work/$name.brio"
    python3 "$here/generate.py" "$seed" "$steps" >"$script" || { echo "differential: seed $seed FAILED (generate.py)"; failed=1; continue; }
    "$here/compare.sh" "$linux" "$win" "$script" >"$work/$name.why" 2>&1
    if [ $? -eq 0 ]; then
        echo "differential: seed $seed ok"
    else
        echo "differential: seed $seed FAILED ($(tail -n 1 "$work/$name.why"); script: $script)"
        failed=1
    fi
done
exit $failed
