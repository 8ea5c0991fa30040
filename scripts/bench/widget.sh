#!/usr/bin/env bash
# The widget's section of scripts/bench.sh: start-up time, memory, idle CPU, leak cycles and
# size of Nimbrel.exe, each beside the floor program (tests/bench/floor_browser.cpp) or its own
# reading before the cycles. Runs under the tests' Wine harness; expects the win64 and win32
# trees built (scripts/bench.sh does that). Writes build/bench/widget.json.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out=${NIMBREL_BENCH_OUT:-$root/build/bench}
mkdir -p "$out"

export NIMBREL_BENCH_EXE=$root/build/win64/platform/win32/Nimbrel.exe
export NIMBREL_BENCH_FLOOR=$root/build/win64/tests/bench/nimbrel_floor.exe
export NIMBREL_BENCH_PROBE=$root/build/win64/tests/bench/nimbrel_bench_probe.exe
export NIMBREL_BENCH_I686_EXE=$root/build/win32/platform/win32/Nimbrel.exe
export NIMBREL_BENCH_I686_FLOOR=$root/build/win32/tests/bench/nimbrel_floor.exe
export NIMBREL_BENCH_BOOT_INI=$root/resources/boot.ini
for file in "$NIMBREL_BENCH_EXE" "$NIMBREL_BENCH_FLOOR" "$NIMBREL_BENCH_PROBE" \
  "$NIMBREL_BENCH_I686_EXE" "$NIMBREL_BENCH_I686_FLOOR"; do
  [ -f "$file" ] || { echo "widget bench: $file is not built" >&2; exit 1; }
done

exec "$root/tests/wine/session.sh" "$root/build/win64" \
  python3 "$root/scripts/bench/widget_bench.py" "$out/widget.json"
