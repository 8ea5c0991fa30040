#!/usr/bin/env bash
# The project's test command, for a fresh Debian 12 machine as much as for a developer's tree:
# installs what is missing, builds all four presets and runs every test this machine can run
# (the i686 build is only compiled and linked: the kernel runs no 32-bit code). Every step
# runs even when an earlier one failed; the exit status is non-zero when any of them did.
set -uo pipefail

# CI may start this with no standard input at all; a tool opening a file would then get fd 0.
{ : <&0; } 2>/dev/null || exec </dev/null

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
presets=(native native-asan win64 win32)
logs=$root/build/test-logs
# For tests that set no timeout of their own, so that a hung test cannot hang the run.
test_timeout=600
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

summary=() failures=0 tests_passed=0 tests_failed=0

record() {
  local name=$1 outcome=$2 started=$3
  summary+=("$(printf '  %-22s %-8s %5d s' "$name" "$outcome" $((SECONDS - started)))")
  [ "$outcome" = ok ] || failures=$((failures + 1))
}

# Build output goes to a log; only a failing build's log is shown.
build() {
  local preset=$1 started=$SECONDS log=$logs/build-$1.log
  echo "==> build $preset"
  if cmake --preset "$preset" -Wno-dev >"$log" 2>&1 &&
    cmake --build "build/$preset" -j2 -- -k 0 >>"$log" 2>&1; then
    record "build $preset" ok "$started"
  else
    tail -n 300 "$log"
    echo "(whole log: $log)"
    record "build $preset" FAILED "$started"
  fi
}

# Adds ctest's own closing count ("N% tests passed, F tests failed out of T") to the totals.
count_tests() {
  local line
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  [ -n "$line" ] || return 0
  local failed total
  failed=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  tests_failed=$((tests_failed + failed))
  tests_passed=$((tests_passed + total - failed))
}

run_tests() {
  local preset=$1 started=$SECONDS log=$logs/test-$1.log
  shift
  echo "==> test $preset"
  "$@" ctest --test-dir "build/$preset" --output-on-failure -j2 --timeout "$test_timeout" \
    --no-tests=error 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  count_tests "$log"
  record "test $preset" "$([ "$status" = 0 ] && echo ok || echo FAILED)" "$started"
}

print_summary() {
  echo
  echo "==> summary"
  printf '%s\n' "${summary[@]}"
  echo "total: $tests_passed passed, $tests_failed failed"
  if ((failures)); then
    echo "test.sh: $failures step(s) FAILED after $((SECONDS / 60)) min $((SECONDS % 60)) s"
  else
    echo "test.sh: all steps passed in $((SECONDS / 60)) min $((SECONDS % 60)) s"
  fi
}

started=$SECONDS
echo "==> setup"
if ! bash scripts/setup.sh; then
  record setup FAILED "$started"
  print_summary
  exit 1
fi
record setup ok "$started"
mkdir -p "$logs"

for preset in "${presets[@]}"; do build "$preset"; done
run_tests native
run_tests native-asan
run_tests win64 tests/wine/session.sh build/win64
# Builds the fuzz preset and runs each fuzzer a few seconds on its corpus, so that a
# regression in input handling shows here.
started=$SECONDS
echo "==> fuzz"
bash scripts/fuzz.sh 5 && record fuzz ok "$started" || record fuzz FAILED "$started"

print_summary
((failures == 0))
