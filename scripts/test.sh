#!/usr/bin/env bash
# The project's test command, for a fresh Debian 12 machine as much as for a developer's tree:
# installs what is missing, builds all four presets, runs every test, packages the i686 build
# and tests the packages. The i686 build runs through Wine's i386 half under qemu; when setup
# could not provide that runtime, its runs are shown as skipped, never as passed. Every step
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

summary=() failures=0 skipped=0 tests_passed=0 tests_failed=0

# record NAME ok|FAILED|skipped STARTED [WHY]
record() {
  local name=$1 outcome=$2 started=$3 why=${4:+ ($4)}
  summary+=("$(printf '  %-22s %-8s %5d s%s' "$name" "$outcome" $((SECONDS - started)) "$why")")
  case $outcome in
    ok) ;;
    skipped) skipped=$((skipped + 1)) ;;
    *) failures=$((failures + 1)) ;;
  esac
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

# Adds a Python unittest run's closing lines ("Ran N tests", "FAILED (failures=F, errors=E)").
count_unittests() {
  local ran failed=0 line
  ran=$(sed -nE 's/^Ran ([0-9]+) tests? in .*/\1/p' "$1" | tail -n 1)
  [ -n "$ran" ] || return 0
  line=$(grep -E '^FAILED \(' "$1" | tail -n 1)
  for n in $(grep -oE '(failures|errors)=[0-9]+' <<<"$line" | cut -d= -f2); do
    failed=$((failed + n))
  done
  tests_failed=$((tests_failed + failed))
  tests_passed=$((tests_passed + ran - failed))
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

# The zip and the installer of the i686 build, and their test: a silent install, a start of
# the installed program and a silent uninstall, under Wine with the 32-bit runtime.
package_and_test() {
  local started=$SECONDS log=$logs/package.log packages
  echo "==> package"
  if packages=$(bash scripts/package.sh 2>"$log"); then
    cat "$log"
    record package ok "$started"
  else
    cat "$log"
    record package FAILED "$started"
    record "test package" FAILED "$SECONDS"
    return
  fi
  if [ -n "$i386_skip" ]; then
    record "test package" skipped "$SECONDS" "$i386_skip"
    return
  fi
  started=$SECONDS log=$logs/test-package.log
  echo "==> test package"
  local zip setup
  { read -r zip && read -r setup; } <<<"$packages"
  tests/wine/session.sh build/win32 python3 tests/package/package_test.py "$zip" "$setup" \
    build/win32/platform/win32/Nimbrel.exe resources/boot.ini tests/wine/wine-run 2>&1 |
    tee "$log"
  local status=${PIPESTATUS[0]}
  count_unittests "$log"
  record "test package" "$([ "$status" = 0 ] && echo ok || echo FAILED)" "$started"
}

print_summary() {
  echo
  echo "==> summary"
  printf '%s\n' "${summary[@]}"
  echo "total: $tests_passed passed, $tests_failed failed"
  local time="$((SECONDS / 60)) min $((SECONDS % 60)) s"
  if ((failures)); then
    echo "test.sh: $failures step(s) FAILED after $time"
  elif ((skipped)); then
    echo "test.sh: $skipped step(s) skipped, all others passed in $time"
  else
    echo "test.sh: all steps passed in $time"
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
i386_status=$(cat build/deps/i386-runtime 2>/dev/null || echo "unavailable: setup wrote no status")
i386_skip=''
[ "$i386_status" = ready ] || i386_skip="no 32-bit runtime: ${i386_status#unavailable: }"
if [ -n "$i386_skip" ]; then
  record "test win32" skipped "$SECONDS" "$i386_skip"
else
  run_tests win32 tests/wine/session.sh build/win32
fi
package_and_test
# Builds the fuzz preset and runs each fuzzer a few seconds on its corpus, so that a
# regression in input handling shows here.
started=$SECONDS
echo "==> fuzz"
bash scripts/fuzz.sh 5 && record fuzz ok "$started" || record fuzz FAILED "$started"

print_summary
((failures == 0))
