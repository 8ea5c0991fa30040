#!/usr/bin/env bash
# Measures Nimbrel: builds what the sections need, then runs every scripts/bench/*.sh section
# in name order. Each section prints its own table (every figure beside a reference measured
# in the same run) and writes build/bench/<section>.json. Not a test: no number fails it.
#   bash scripts/bench.sh [SECTION...]     e.g. bash scripts/bench.sh widget
# NIMBREL_BENCH_ROUNDS, _IDLE_SECONDS, _MEMORY_DELAY and _CYCLES shorten a trial run.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
bash scripts/setup.sh || exit 1

export NIMBREL_BENCH_OUT=$root/build/bench
mkdir -p "$NIMBREL_BENCH_OUT"

# What the sections measure, per preset: only these targets, not the tests. The x86_64 build
# runs under wine64 (this machine runs i686 code only through qemu, whose timings would say
# nothing about Windows); the i686 build is the one that ships.
declare -A targets=(
  [win64]="Nimbrel nimbrel_floor nimbrel_bench_probe"
  [win32]="Nimbrel nimbrel_floor"
)
for preset in win64 win32; do
  # shellcheck disable=SC2086 # the target list is meant to split
  cmake --preset "$preset" -Wno-dev >"$NIMBREL_BENCH_OUT/configure-$preset.log" 2>&1 &&
    cmake --build "build/$preset" -j2 --target ${targets[$preset]} \
      >"$NIMBREL_BENCH_OUT/build-$preset.log" 2>&1 || {
    echo "bench: the $preset build failed (see $NIMBREL_BENCH_OUT/build-$preset.log)" >&2
    exit 1
  }
done

if (($#)); then
  sections=()
  for name in "$@"; do sections+=("scripts/bench/$name.sh"); done
else
  sections=(scripts/bench/*.sh)
fi

failed=()
for section in "${sections[@]}"; do
  name=$(basename "$section" .sh)
  echo "=== $name"
  bash "$section" || failed+=("$name")
done
# A section that could not measure (a program that did not start) is reported, never a number.
((${#failed[@]} == 0)) || echo "bench: sections that could not finish: ${failed[*]}" >&2
exit 0
