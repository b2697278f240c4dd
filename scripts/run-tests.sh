#!/usr/bin/env bash
# Every test: unit and scenario tests (Linux i386), the same under ASan+UBSan, the exports of both
# builds, short fuzzing runs, the scenarios under Wine against Brio.dll, the pictures drawn there, and
# the release package (built here). Expects `make build` to have run. Ends with one line "N passed, N failed".
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${JOBS:-2}
passed=0
failed=0
failures=() # what failed, repeated just above the summary so that the last lines of a run name it
log=$(mktemp -d)

# ctest's summary line: "100% tests passed, 0 tests failed out of 42".
count_ctest() {
  local out=$1 line total bad
  local name=$2
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$out" | tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1)); failures+=("$name: no test summary"); echo "no test summary in $out"; return
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
    echo "$kind: the step ended with status $status before reporting a failure"
  fi
}

run_ctest() {
  local dir=$1 name=$2
  echo "== $name"
  ctest --test-dir "$dir" -j"$jobs" --output-on-failure --timeout 300 >"$log/$name.txt" 2>&1
  grep -E 'Failed|\*\*\*|tests passed' "$log/$name.txt" | tail -n 40
  count_ctest "$log/$name.txt" "$name"
}

run_ctest build linux

echo "== exports"
if tests/wine/check_exports.sh build build-win >"$log/exports.txt" 2>&1; then
  passed=$((passed + 1)); echo "exports: ok"
else
  failed=$((failed + 1)); failures+=("exports"); cat "$log/exports.txt"
fi

echo "== asan+ubsan"
if cmake --preset asan >/dev/null &&
   cmake --build build-asan -j"$jobs" >"$log/asan-build.txt" 2>&1; then
  ASAN_OPTIONS=detect_leaks=1 run_ctest build-asan asan
else
  failed=$((failed + 1)); failures+=("asan: the build failed"); tail -n 30 "$log/asan-build.txt"
fi

echo "== fuzz"
scripts/fuzz.sh build-fuzz 2>&1 | tee "$log/fuzz.txt"
count_lines "$log/fuzz.txt" fuzz "${PIPESTATUS[0]}"

echo "== wine"
wine_status=0
tests/wine/run_checks.sh build-win 2>&1 | tee "$log/wine.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || wine_status=1
tests/wine/run_scenarios.sh build-win 2>&1 | tee -a "$log/wine.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || wine_status=1
tests/wine/check_ledger.sh build-win 2>&1 | tee -a "$log/wine.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || wine_status=1
tests/wine/check_pictures.sh build-win build 2>&1 | tee -a "$log/wine.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || wine_status=1
count_lines "$log/wine.txt" wine "$wine_status"

echo "== differential"
# Scripts made from fixed seeds, each on both builds: the transcripts must agree.
tests/differential/run.sh build build-win 1 2 3 4 5 6 7 8 2>&1 | tee "$log/differential.txt"
count_lines "$log/differential.txt" differential "${PIPESTATUS[0]}"

echo "== dist"
if cmake --build build-win --target dist >"$log/dist-build.txt" 2>&1; then
  grep -E '^(dist/|sha256 )' "$log/dist-build.txt"
  tests/dist/check_dist.sh build-win 2>&1 | tee "$log/dist.txt"
  dist_status=${PIPESTATUS[0]}
else
  tail -n 20 "$log/dist-build.txt" | tee "$log/dist.txt"
  dist_status=1
fi
count_lines "$log/dist.txt" dist "$dist_status"

rm -rf "$log"
for f in "${failures[@]}"; do echo "failed: $f"; done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
