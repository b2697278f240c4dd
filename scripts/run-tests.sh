#!/usr/bin/env bash
# Every test: the four builds (Linux i386, Windows, ASan+UBSan, fuzzing), unit and scenario tests on
# Linux and under ASan+UBSan, failure sweeps over two scenarios under ASan+UBSan and one under Wine, the exports of both builds, short fuzzing runs, the Windows checks, the
# scenarios, the ledger and the pictures under Wine, the differential run and the release package.
# Phases that do not wait on each other run side by side: the Linux and Windows builds first, then the
# sanitizer and fuzzing builds beside the tests that need only the first two, the Wine steps in two
# lanes with a Wine prefix each (the checks and scenarios; the differential run and the pictures). Each phase prints its wall time and the CPU time (user+sys) of the
# programs it ran (Wine's own server aside), and the summary lists them; the last line is
# "N passed, N failed", after a line "failed: ..." for each item that failed.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${JOBS:-2}
export JOBS=$jobs
log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT

# ---- phases ------------------------------------------------------------------------------------------
# The CPU time of this shell's finished children, in FILE: the second line of `times`, "XmY.Ys XmY.Ys"
# (`times` itself runs in this shell, not in a subshell, which would have no children yet).
cpu_seconds() {
  sed -n 2p "$1" | awk '{ n = 0; for (i = 1; i <= 2; i++) { split($i, t, "m"); n += t[1] * 60 + t[2] } print n }'
}
# phase NAME COMMAND...: runs the command with its output in $log/NAME.out, then shows it (what show_NAME
# picks of it, or all of it) as one block, and keeps its status and times for the summary.
phase() {
  local name=$1 start status
  shift
  start=$EPOCHREALTIME
  times >"$log/$name.cpu-before"
  ("$@") >"$log/$name.out" 2>&1
  status=$?
  times >"$log/$name.cpu-after"
  awk -v s="$status" -v a="$start" -v b="$EPOCHREALTIME" -v c="$(cpu_seconds "$log/$name.cpu-before")" \
    -v d="$(cpu_seconds "$log/$name.cpu-after")" 'BEGIN { printf "%s %.1f %.1f\n", s, b - a, d - c }' \
    >"$log/$name.result"
  {
    echo "== $name"
    if declare -F "show_$name" >/dev/null; then "show_$name" "$log/$name.out"; else cat "$log/$name.out"; fi
    read -r status wall cpu <"$log/$name.result"
    echo "-- $name: ${wall} s wall, ${cpu} s CPU"
  } >"$log/$name.block"
  flock "$log/console" cat "$log/$name.block"
  return "$status"
}
# A lane runs its phases one after the other, in a subshell of its own (so that `times` is its own).
lane() { ("$@") & }
# Waits until another lane's phase has ended.
after() { while [ ! -f "$log/$1.result" ]; do sleep 1; done; }

# ---- what each phase runs ------------------------------------------------------------------------------
build_tree() { # PRESET DIR
  cmake --preset "$1" >/dev/null && cmake --build "$2" -j"$jobs"
}
show_build() { grep -E 'error|warning:|Error [0-9]' "$1" | head -n 40; }
show_build-linux() { show_build "$@"; }
show_build-windows() { show_build "$@"; }
show_build-asan() { show_build "$@"; }
show_build-fuzz() { show_build "$@"; }
build_fuzz() {
  cmake -S . -B build-fuzz -DCMAKE_TOOLCHAIN_FILE=cmake/clang-i386.cmake -DBRIO_FUZZ=ON >/dev/null &&
    cmake --build build-fuzz -j"$jobs"
}
run_ctest() { ctest --test-dir "$1" -j"$jobs" --output-on-failure --timeout 300; }
show_ctest() { grep -E 'Failed|\*\*\*|tests passed' "$1" | tail -n 40; }
show_linux() { show_ctest "$@"; }
show_asan() { show_ctest "$@"; }
wine_lane() {
  local status=0
  tests/wine/run_checks.sh build-win || status=1
  tests/wine/run_scenarios.sh build-win || status=1
  tests/wine/check_ledger.sh build-win || status=1
  return $status
}
show_wine() { grep -vE '^\[ +(RUN|OK) +\]|^\[[=-]+\]|^Running main|Read access denied|^$' "$1"; }
# The pictures and the differential run share a prefix of their own, beside the one of the lane above.
pictures_lane() {
  WINEPREFIX="$top/build/differential/wineprefix" tests/wine/check_pictures.sh build-win build
}
# Scripts made from fixed seeds, each on both builds: the transcripts must agree.
differential() { tests/differential/run.sh build build-win 1 2 3 4 5 6 7 8; }
# Failure sweeps (each allocation, each host call, each unload failed in turn) over two scenarios, on
# the sanitizers' build: an unload in every state with the feeds running, and the list kept through the
# editor and the list files (at most 200 runs of a kind: the host calls of the first are sampled, every
# third). The sanitizers' tests sweep the allocations of a load that fails after the user emptied the
# list (sweep.delete_all_then_load); `make fuzz` sweeps every scenario.
sweeps() {
  scripts/sweep.sh build-asan --most 200 tests/scenarios/unload_with_feed.brio tests/scenarios/fidelity.brio
}
# The Windows build under Wine, each run a process of its own, in a Wine prefix of the sweeps' own:
# every allocation of the load after an emptied list (a file dialog that lets memory refused escape
# ends the messenger there).
windows_sweeps() {
  WINEPREFIX="$top/build-win/sweep-wineprefix" scripts/sweep.sh build-win --kinds allocation --most 60 \
    tests/scenarios/delete_all_then_load.brio | sed -E 's/^sweep: /sweep: windows /'
}
dist() {
  cmake --build build-win --target dist >"$log/dist-build.txt" 2>&1 || { tail -n 20 "$log/dist-build.txt"; return 1; }
  grep -E '^(dist/|sha256 )' "$log/dist-build.txt"
  tests/dist/check_dist.sh build-win
}

# ---- the run ---------------------------------------------------------------------------------------------
started=$EPOCHREALTIME
# What git sees in the tree before the run; whatever it sees after and not before, a run left there.
tree_status() { git -C "$top" status --porcelain=v1 --untracked-files=all 2>/dev/null | LC_ALL=C sort; }
tree_status >"$log/tree.before"
# The Windows and Linux builds first, side by side; each lane goes on as soon as what it needs is built.
lane eval 'phase build-windows build_tree windows build-win; phase wine wine_lane; phase dist dist'
lane eval 'phase build-linux build_tree linux build; phase linux run_ctest build; after build-windows;
           phase exports tests/wine/check_exports.sh build build-win; phase differential differential;
           phase pictures pictures_lane; phase sweeps-windows windows_sweeps'
# The sanitizers' tree, then its tests; the fuzzing tree beside it, its fuzzers once the sanitizers' tree
# is built (so that they do not share the processors with two compilers for their ten seconds).
lane eval 'after build-linux; phase build-asan build_tree asan build-asan;
           ASAN_OPTIONS=detect_leaks=1 phase asan run_ctest build-asan; phase sweeps sweeps'
lane eval 'after build-linux; phase build-fuzz build_fuzz; after build-asan; phase fuzz scripts/fuzz.sh build-fuzz'
wait
# A test, scenario or script that writes into the work tree instead of a folder of its own.
tree_status | LC_ALL=C comm -13 "$log/tree.before" - >"$log/tree.left"
total=$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')

# ---- counting ----------------------------------------------------------------------------------------------
passed=0
failed=0
failures=() # what failed, repeated just above the summary so that the last lines of a run name it

# ctest's summary line: "100% tests passed, 0 tests failed out of 42".
count_ctest() {
  local out=$1 name=$2 line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$out" | tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1)); failures+=("$name: no test summary"); return
  fi
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  # ctest lists them as "   12 - Suite.Case (Failed)" after "The following tests FAILED:".
  while read -r test; do failures+=("$name: $test"); done < <(
    sed -n '/The following tests FAILED:/,$p' "$out" | grep -E '^[[:space:]]+[0-9]+ - ' |
      sed -E 's/^[[:space:]]+[0-9]+ - //')
}

# Lines "<kind>: NAME ok" / "<kind>: NAME FAILED", and the step's exit status: a step that fails
# before it reports any FAILED line (a missing tool, a build that broke, a time limit) counts as one
# failure, so that a step that never ran cannot end in "0 failed".
count_lines() {
  local out=$1 kind=$2 status=$3 bad
  bad=$(grep -cE "^$kind: .* FAILED" "$out")
  passed=$((passed + $(grep -cE "^$kind: .* ok$" "$out")))
  failed=$((failed + bad))
  while read -r line; do failures+=("$line"); done < <(grep -E "^$kind: .* FAILED" "$out")
  if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then
    failed=$((failed + 1))
    failures+=("$kind: the step ended with status $status")
  fi
}

# A phase that is one check (a build, the exports): its status.
count_status() {
  local name=$1 status=$2
  if [ "$status" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); failures+=("$name"); fi
}

phases=(build-linux build-windows build-asan build-fuzz linux exports asan sweeps sweeps-windows fuzz wine differential pictures dist)
for p in "${phases[@]}"; do
  [ -f "$log/$p.result" ] || echo "1 0 0" >"$log/$p.result"
done
status_of() { read -r s _ <"$log/$1.result"; echo "$s"; }
count_ctest "$log/linux.out" linux
count_ctest "$log/asan.out" asan
count_status exports "$(status_of exports)"
for p in build-linux build-windows build-asan build-fuzz; do
  [ "$(status_of "$p")" -eq 0 ] || { failed=$((failed + 1)); failures+=("$p: the build failed"); }
done
count_lines "$log/sweeps.out" sweep "$(status_of sweeps)"
count_lines "$log/sweeps-windows.out" sweep "$(status_of sweeps-windows)"
count_lines "$log/fuzz.out" fuzz "$(status_of fuzz)"
count_lines "$log/wine.out" wine "$(status_of wine)"
count_lines "$log/pictures.out" wine "$(status_of pictures)"
count_lines "$log/differential.out" differential "$(status_of differential)"
count_lines "$log/dist.out" dist "$(status_of dist)"
if [ -s "$log/tree.left" ]; then
  while read -r line; do failed=$((failed + 1)); failures+=("tree: a run left ${line:3} (git: ${line:0:2})"); done \
    <"$log/tree.left"
else
  passed=$((passed + 1))
fi

echo "== times (wall, and CPU: user+sys of the phase's programs; lanes ran side by side)"
for p in "${phases[@]}"; do
  read -r _ wall cpu <"$log/$p.result"
  printf '%-14s %7s s wall %7s s CPU\n' "$p" "$wall" "$cpu"
done
printf '%-14s %7s s wall\n' total "$total"
for f in "${failures[@]}"; do echo "failed: $f"; done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
