#!/usr/bin/env bash
# The portal's section of scripts/bench.sh: throughput and p99 latency of a cached weather
# page under wrk (32 keep-alive connections on loopback), beside /healthz measured the same
# way in the same run, and the upstream calls a burst of 1,000 concurrent first requests for
# one city makes. Against a loopback fake of Open-Meteo. Writes build/bench/portal.json.
# NIMBREL_BENCH_ROUNDS (3) and NIMBREL_BENCH_PORTAL_SECONDS (30) shorten a trial run.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out=${NIMBREL_BENCH_OUT:-$root/build/bench}
mkdir -p "$out"

# The native build, optimised: the Debug tree of the tests would measure assertions.
cmake -S "$root" -B "$root/build/bench-portal" -G Ninja -DCMAKE_BUILD_TYPE=Release -Wno-dev \
  >"$out/configure-portal.log" 2>&1 &&
  cmake --build "$root/build/bench-portal" -j2 --target nimbrel-portal >"$out/build-portal.log" 2>&1 || {
  echo "portal bench: the build failed (see $out/build-portal.log)" >&2
  exit 1
}
command -v wrk >/dev/null || { echo "portal bench: wrk is not installed" >&2; exit 1; }

exec python3 "$root/scripts/bench/portal_bench.py" "$root/build/bench-portal/portal/nimbrel-portal" \
  "$out/portal.json"
