#!/usr/bin/env bash
# Failure sweeps over scenarios: brio-host runs each script once per allocation of the plug-in, per
# call of the plug-in into the host, and per step after which the plug-in is unloaded, failing that one
# (brio-host --fail-each). Prints brio-host's last line ("failing each ...: N runs, M faults") and then
# "sweep: NAME KIND ok" or "sweep: NAME KIND FAILED" (with the faulty runs), and exits non-zero when any
# sweep found a fault.
# Usage: scripts/sweep.sh BUILD_DIR [--kinds "allocation host-call unload"] [--every N] [--most N] SCENARIO.brio...
#   (no scenarios: every one in tests/scenarios). --every N fails only every Nth place of each kind;
#   --most N (default 1000) samples a kind with more places evenly, N runs of it (0: every place; the
#   week-long soak has some 65,000 allocations and 210,000 host calls).
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: $0 BUILD_DIR [--kinds KINDS] [--every N] [SCENARIO.brio...]}
shift
kinds="allocation host-call unload"
every=1
most=1000
while [ $# -gt 0 ]; do
  case $1 in
    --kinds) kinds=$2; shift 2 ;;
    --every) every=$2; shift 2 ;;
    --most) most=$2; shift 2 ;;
    *) break ;;
  esac
done
scenarios=("$@")
[ ${#scenarios[@]} -gt 0 ] || scenarios=("$top"/tests/scenarios/*.brio)
host="$build/host/brio-host"
plugin="$build/libbrio.so"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for script in "${scenarios[@]}"; do
  name=$(basename "$script" .brio)
  for kind in $kinds; do
    # Each sweep starts from no configuration file, as the scenario tests do.
    out="$work/$name.$kind.out"
    "$host" --plugin "$plugin" --config "$work/$name.cfg" --fresh --script "$script" --fail-each "$kind" \
      --fail-every "$every" --fail-most "$most" >"$out" 2>&1
    code=$?
    last=$(grep -E '^failing each ' "$out" | tail -n 1)
    sampled=$(grep -E '^sampling: ' "$out" | tail -n 1)
    echo "  $name: ${last:-no summary, status $code}${sampled:+ ($sampled)}"
    if [ $code -eq 0 ] && [ -n "$last" ]; then
      echo "sweep: $name $kind ok"
    else
      echo "sweep: $name $kind FAILED"
      grep -E '^run [0-9]+:|ERROR|Sanitizer|runtime error' "$out" | head -n 20
      status=1
    fi
  done
done
exit $status
