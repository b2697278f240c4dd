#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one over a copy of its corpus for
# FUZZ_SECONDS (default 10), JOBS (2) of them at a time. Prints "fuzz: NAME ok" or "fuzz: NAME FAILED"
# per target.
set -uo pipefail
dir=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-10}
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/clang-i386.cmake -DBRIO_FUZZ=ON >/dev/null || exit 1
cmake --build "$dir" -j"${JOBS:-2}" >/dev/null || { cmake --build "$dir" -j1 2>&1 | tail -30; exit 1; }
failed=0
# One target over a copy of its corpus; its verdict goes to DIR/NAME.verdict.
fuzz_target() {
  local name=$1 work
  work=$(mktemp -d)
  [ -d "tests/fuzz/corpus/$name" ] && cp -r "tests/fuzz/corpus/$name/." "$work/"
  if "$dir/tests/fuzz/$name" -max_total_time="$seconds" -timeout=10 -artifact_prefix="$dir/" -rss_limit_mb=2048 \
      "$work" >"$dir/$name.log" 2>&1; then
    echo "fuzz: $name ok"
  else
    echo "fuzz: $name FAILED (log: $dir/$name.log)"
    tail -40 "$dir/$name.log"
  fi >"$dir/$name.verdict"
  rm -rf "$work"
}
# JOBS targets at a time, each on a processor of its own; the verdicts in the order of the targets.
names=()
for src in tests/fuzz/fuzz_*.cpp; do
  names+=("$(basename "$src" .cpp)")
  while [ "$(jobs -rp | wc -l)" -ge "${JOBS:-2}" ]; do wait -n; done
  fuzz_target "${names[-1]}" &
done
wait
for name in "${names[@]}"; do
  cat "$dir/$name.verdict"
  grep -q "^fuzz: $name ok$" "$dir/$name.verdict" || failed=1
done
# The property tests with many more cases than `make test` runs, on a seed of the time: PROPERTY_CASES
# of them (`make fuzz` sets it), from the Linux build; the list files' round trip, which saves and loads
# files, a twentieth of them.
if [ -n "${PROPERTY_CASES:-}" ]; then
  seed=$(date +%s)
  for group in "property -ListRoundTrip.* $PROPERTY_CASES" "list_round_trip ListRoundTrip.* $((PROPERTY_CASES / 20 + 1))"; do
    read -r name filter cases <<<"$group"
    if RC_PARAMS="seed=$seed max_success=$cases max_size=200" build/tests/property_tests --gtest_filter="$filter" >"$dir/$name.log" 2>&1; then
      echo "fuzz: $name ok"
    else
      echo "fuzz: $name FAILED (seed $seed, log: $dir/$name.log)"
      tail -40 "$dir/$name.log"
      failed=1
    fi
  done
fi
# The failure sweeps over every scenario (`make fuzz` sets SWEEP_MOST, the most runs of a kind in one
# scenario), on the sanitizers' build when there is one, else on the Linux build: each allocation, each
# host call and each unload failed in turn. The week-long soak (16 s a run under the sanitizers) is swept
# on the Linux build, a tenth as many runs of a kind; then the Windows build under Wine.
if [ -n "${SWEEP_MOST:-}" ]; then
  sweep_build=build
  [ -x build-asan/host/brio-host ] && [ -f build-asan/libbrio.so ] && sweep_build=build-asan
  scenarios=()
  for s in tests/scenarios/*.brio; do [ "$(basename "$s")" = soak_week.brio ] || scenarios+=("$s"); done
  scripts/sweep.sh "$sweep_build" --most "$SWEEP_MOST" "${scenarios[@]}" | sed -E 's/^sweep: /fuzz: sweep /' ||
    failed=1
  scripts/sweep.sh build --most $((SWEEP_MOST / 10 + 1)) tests/scenarios/soak_week.brio |
    sed -E 's/^sweep: /fuzz: sweep /' || failed=1
  # The Windows build under Wine, each run a process of its own (half a second to a few seconds each,
  # as busy as the machine is): every scenario but the soak, WIN_SWEEP_MOST runs a kind (5: some 500
  # runs, 5 to 25 minutes), in a Wine prefix of its own, so that it may run beside the Windows checks.
  if [ -f build-win/host/brio-host.exe ]; then
    WINEPREFIX="$top/build-win/sweep-wineprefix" scripts/sweep.sh build-win --most "${WIN_SWEEP_MOST:-5}" \
      "${scenarios[@]}" | sed -E 's/^sweep: /fuzz: windows sweep /' || failed=1
  fi
fi
# The differential run over DIFFERENTIAL_SEEDS new seeds (`make fuzz` sets it), from the Linux and
# Windows builds; a failing seed's script stays in build/differential for tests/differential/reduce.py.
if [ -n "${DIFFERENTIAL_SEEDS:-}" ]; then
  first=$(( $(date +%s) % 100000 + 1000 ))
  tests/differential/run.sh build build-win $(seq "$first" $((first + DIFFERENTIAL_SEEDS - 1))) || failed=1
fi
exit $failed
