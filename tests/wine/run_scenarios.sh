#!/usr/bin/env bash
# Runs brio-host scenarios against Brio.dll under Wine; each must give the transcript that it gives
# against libbrio.so on Linux (the same .expected file).
# Usage: tests/wine/run_scenarios.sh WIN_BUILD_DIR [SCENARIO...]
#   SCENARIO: a .brio file, or a name from tests/scenarios; none given: every scenario there.
# Prints "wine: NAME ok" or "wine: NAME FAILED" per scenario, then the wall time of them all; exits
# non-zero if any failed. Each run may take BRIO_WINE_TIMEOUT seconds (120): the plug-in's timers run on
# brio-host's own clock, so "advance" costs no real time.
# BRIO_WINE_PLUGIN names another Brio.dll to load (the release package's), BRIO_WINE_WORKDIR the
# folder the runs work in, where the scripts' relative file names point.
set -uo pipefail
[ $# -ge 1 ] || { echo "usage: $0 WIN_BUILD_DIR [SCENARIO...]" >&2; exit 2; }
WIN_BUILD_DIR="$(cd "$1" && pwd)" || exit 2
here="$(cd "$(dirname "$0")" && pwd)"
scenario_dir="$(cd "$here/../scenarios" && pwd)"
source "$here/wine_env.sh"

host="$WIN_BUILD_DIR/host/brio-host.exe"
plugin="${BRIO_WINE_PLUGIN:-$WIN_BUILD_DIR/Brio.dll}"
for f in "$host" "$plugin"; do
    [ -f "$f" ] || { echo "wine: $f not built (cmake --build $1)" >&2; exit 1; }
done
wine_under_display "$0" "$@"
shift

scripts=()
if [ $# -eq 0 ]; then
    scripts=("$scenario_dir"/*.brio)
    [ -e "${scripts[0]}" ] || { echo "wine: no scenarios in $scenario_dir" >&2; exit 1; }
fi
for s in "$@"; do
    case "$s" in
    */* | *.brio) scripts+=("$(cd "$(dirname "$s")" && pwd)/$(basename "${s%.brio}").brio") ;;
    *) scripts+=("$scenario_dir/$s.brio") ;;
    esac
done

# Windows paths for the program: drive Z: is the Unix root in every Wine prefix.
windows_path() {
    local path="$1"
    printf 'Z:%s' "${path//\//\\}"
}

wine_prepare_prefix || { echo "wine: cannot prepare the prefix $WINEPREFIX" >&2; exit 1; }
[ "$(readlink "$WINEPREFIX/dosdevices/z:")" = "/" ] || { echo "wine: drive Z: is not / in $WINEPREFIX" >&2; exit 1; }

work="${BRIO_WINE_WORKDIR:-$WIN_BUILD_DIR/wine-scenarios}"
mkdir -p "$work"
failed=0
started=$SECONDS
for script in "${scripts[@]}"; do
    name="$(basename "$script" .brio)"
    expected="${script%.brio}.expected"
    if [ ! -f "$script" ] || [ ! -f "$expected" ]; then
        echo "wine: $name FAILED (no $script or no $expected)"
        failed=1
        continue
    fi
    config="$work/$name.cfg"
    output="$work/$name.out"
    rm -f "$config"
    limit=$BRIO_WINE_TIMEOUT
    (cd "$work" && wine_run "$host" --plugin "$(windows_path "$plugin")" --config "$(windows_path "$config")" \
        --fresh --script "$(windows_path "$script")" --check "$(windows_path "$expected")") >"$output" 2>&1
    status=$?
    if [ $status -eq 0 ]; then
        echo "wine: $name ok"
    else
        [ $status -eq 124 ] && echo "(timed out after ${limit}s)" >>"$output"
        echo "wine: $name FAILED (exit $status; output in $output)"
        tail -n 20 "$output" | sed 's/^/    /'
        failed=1
    fi
done
echo "wine: ${#scripts[@]} scenario(s) in $((SECONDS - started)) s of wall time"
wine_finish
exit $failed
