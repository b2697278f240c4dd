#!/usr/bin/env bash
# Runs brio-host scenarios against Brio.dll under Wine; each must give the transcript that it gives
# against libbrio.so on Linux (the same .expected file).
# Usage: tests/wine/run_scenarios.sh WIN_BUILD_DIR [SCENARIO...]
#   SCENARIO: a .brio file, or a name from tests/scenarios; none given: every scenario there.
# Prints "wine: NAME ok" or "wine: NAME FAILED" per scenario; exits non-zero if any failed.
# Each run may take BRIO_WINE_TIMEOUT seconds (120) plus the time its "advance" commands let pass.
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

# Linux only: soak_week lets a week of virtual time pass, which under Wine would pass for real, and
# checks the plug-in's heap, which brio-host counts only on Linux (a Windows plug-in allocates from its
# own runtime's heap, out of the host's sight).
linux_only=" soak_week "

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

# Time passes for real under Wine: a scenario gets the time limit plus the time it lets pass (also
# inside message boxes: "onbox advance ...").
advanced_seconds() {
    awk '{ i = 1; while ($i == "onbox") i++ }
         $i == "advance" && match($(i + 1), /^[0-9]+(ms|s|m)$/) {
             w = $(i + 1); n = w + 0; unit = substr(w, length(w + 0) + 1)
             total += unit == "ms" ? n / 1000 : unit == "s" ? n : n * 60
         }
         END { printf "%d\n", total + 1 }' "$1"
}

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
for script in "${scripts[@]}"; do
    name="$(basename "$script" .brio)"
    expected="${script%.brio}.expected"
    if [[ "$linux_only" == *" $name "* ]]; then
        echo "wine: $name skipped (Linux only)"
        continue
    fi
    if [ ! -f "$script" ] || [ ! -f "$expected" ]; then
        echo "wine: $name FAILED (no $script or no $expected)"
        failed=1
        continue
    fi
    config="$work/$name.cfg"
    output="$work/$name.out"
    rm -f "$config"
    limit=$((BRIO_WINE_TIMEOUT + $(advanced_seconds "$script")))
    (cd "$work" && BRIO_WINE_TIMEOUT=$limit wine_run "$host" --plugin "$(windows_path "$plugin")" --config "$(windows_path "$config")" \
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
wine_finish
exit $failed
