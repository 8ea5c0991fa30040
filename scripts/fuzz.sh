#!/usr/bin/env bash
# Builds the `fuzz` preset and runs every libFuzzer harness of tests/fuzz in turn:
#   scripts/fuzz.sh [SECONDS] [HARNESS...]
# SECONDS per harness (default 60); HARNESS names (e.g. ini_store) pick some of them. Each
# harness starts from its committed seeds in tests/fuzz/corpus/<name> and keeps what it
# finds in build/fuzz/corpus/<name>, so later runs go on from there. A finding is saved as
# build/fuzz/findings/<name>/crash-* (or leak-, timeout-, oom-) and makes the exit status 1.
# Prints each harness's executions and coverage at the end.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
seconds=${1:-60}
shift $(($# > 0 ? 1 : 0))
harnesses=("$@")
if ((${#harnesses[@]} == 0)); then
  harnesses=(text_to_integer ini_store settings_file icon_file jpeg_pixels)
fi
# Scratch profile files of the harnesses are rewritten for every input: keep them in memory,
# and remove them afterwards.
scratch=$(mktemp -d /dev/shm/nimbrel-fuzz.XXXXXX) || exit 2
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch

# The preset builds the harnesses and only what they need.
mkdir -p build/fuzz/logs
if ! { cmake --preset fuzz -Wno-dev && cmake --build --preset fuzz -j2; } >build/fuzz/logs/build.log 2>&1; then
  tail -n 60 build/fuzz/logs/build.log >&2
  echo "fuzz.sh: the fuzz preset does not build (whole log: build/fuzz/logs/build.log)" >&2
  exit 2
fi

status=0 results=()
for name in "${harnesses[@]}"; do
  corpus=build/fuzz/corpus/$name findings=build/fuzz/findings/$name
  log=build/fuzz/logs/$name.log
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  echo "==> $name for $seconds s"
  build/fuzz/tests/fuzz/${name}_fuzzer -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "tests/fuzz/corpus/$name" \
    >"$log" 2>&1
  outcome=$?
  final=$(grep -E '^#[0-9]+\s+(DONE|pulse|NEW|REDUCE|INITED)' "$log" | tail -n 1)
  executions=$(sed -nE 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' <<<"$final")
  if ((outcome != 0)); then
    status=1
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -n 5
    echo "    (whole log: $log)"
  fi
  results+=("$(printf '  %-16s %-8s %12s executions  %s' "$name" \
    "$([ "$outcome" = 0 ] && echo ok || echo FINDING)" "${executions:-?}" "${coverage:-?}")")
done
echo
echo "==> fuzzing, $seconds s each"
printf '%s\n' "${results[@]}"
exit "$status"
