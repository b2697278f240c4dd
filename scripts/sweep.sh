#!/usr/bin/env bash
# Failure sweeps over scenarios: brio-host runs each script once per allocation of the plug-in, per
# call of the plug-in into the host, and per step after which the plug-in is unloaded, failing that one
# (brio-host --fail-each), each run in a process and a temporary folder of its own; a run is judged
# against the script run without failures, whole and with the failing step left out (those runs are
# shared by the kinds of one scenario). Prints brio-host's last line ("failing each ...: N runs ...,
# M faults") and then "sweep: NAME KIND ok" or "sweep: NAME KIND FAILED" (with the faulty runs), and
# exits non-zero when any sweep found a fault.
# Usage: scripts/sweep.sh BUILD_DIR [--kinds "allocation host-call unload"] [--every N] [--most N] SCENARIO.brio...
#   (no scenarios: every one in tests/scenarios). --every N fails only every Nth place of each kind;
#   --most N (default 1000) samples a kind with more places evenly, N runs of it (0: every place; the
#   week-long soak has some 65,000 allocations and 210,000 host calls).
#   A Windows build (BUILD_DIR/host/brio-host.exe) runs under Wine on a virtual display, in the Wine
#   prefix of tests/wine/wine_env.sh; each run is brio-host.exe started again, so a run that crashes
#   ends only itself.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: $0 BUILD_DIR [--kinds KINDS] [--every N] [--most N] [SCENARIO.brio...]}
build=$(cd "$build" && pwd) || exit 2
shift
kinds="allocation host-call unload"
every=1
most=1000
args=("$@")
while [ $# -gt 0 ]; do
  case $1 in
    --kinds) kinds=$2; shift 2 ;;
    --every) every=$2; shift 2 ;;
    --most) most=$2; shift 2 ;;
    *) break ;;
  esac
done
scenarios=()
for s in "$@"; do scenarios+=("$(cd "$(dirname "$s")" && pwd)/$(basename "$s")"); done
[ ${#scenarios[@]} -gt 0 ] || scenarios=("$top"/tests/scenarios/*.brio)

if [ -f "$build/host/brio-host.exe" ]; then
  WIN_BUILD_DIR=$build
  source "$top/tests/wine/wine_env.sh"
  wine_under_display "$0" "$build" "${args[@]}"
  wine_prepare_prefix || { echo "sweep: cannot prepare the Wine prefix $WINEPREFIX" >&2; exit 1; }
  windows_path() { printf 'Z:%s' "${1//\//\\}"; }
  # A whole sweep may take long; each of its runs has a limit of its own inside brio-host.
  host() { timeout --kill-after=10 "${BRIO_SWEEP_TIMEOUT:-3600}" wine "$build/host/brio-host.exe" "$@"; }
  plugin=$(windows_path "$build/Brio.dll")
  path=windows_path
else
  host() { "$build/host/brio-host" "$@"; }
  plugin="$build/libbrio.so"
  path=echo
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for script in "${scenarios[@]}"; do
  name=$(basename "$script" .brio)
  mkdir -p "$work/$name.cache"
  for kind in $kinds; do
    # Each sweep starts from no configuration file, as the scenario tests do, and works in a folder
    # of its own (brio-host makes one per run under it).
    out="$work/$name.$kind.out"
    (cd "$work" && host --plugin "$plugin" --config "$($path "$work/$name.cfg")" --fresh \
      --script "$($path "$script")" --fail-each "$kind" --fail-every "$every" --fail-most "$most" \
      --fail-cache "$($path "$work/$name.cache")") >"$out" 2>&1
    code=$?
    last=$(grep -aE '^failing each ' "$out" | tail -n 1 | tr -d '\r')
    sampled=$(grep -aE '^sampling: ' "$out" | tail -n 1 | tr -d '\r')
    echo "  $name: ${last:-no summary, status $code}${sampled:+ ($sampled)}"
    if [ $code -eq 0 ] && [ -n "$last" ]; then
      echo "sweep: $name $kind ok"
    else
      echo "sweep: $name $kind FAILED"
      grep -aE '^run [0-9]+:|ERROR|Sanitizer|runtime error' "$out" | head -n 20 | cut -c1-400
      status=1
    fi
  done
done
[ -f "$build/host/brio-host.exe" ] && wine_finish
exit $status
