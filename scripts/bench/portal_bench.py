"""Measures the portal binary against a loopback fake of Open-Meteo.

usage: portal_bench.py PORTAL_BINARY OUTPUT_JSON
"""

import concurrent.futures
import json
import os
import re
import socket
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "portal"))
from fake_open_meteo import FakeOpenMeteo  # noqa: E402

ROUNDS = int(os.environ.get("NIMBREL_BENCH_ROUNDS", "3"))
SECONDS = int(os.environ.get("NIMBREL_BENCH_PORTAL_SECONDS", "30"))
CONNECTIONS = 32
WRK_THREADS = 2
BURST = 1000
BURST_CLIENT_THREADS = 200
WEATHER_PATH = "/tb.q?cid=tb.tq&cin=&city="
UNITS = {"us": 1e-3, "ms": 1.0, "s": 1000.0}


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def get(url, timeout=60):
    with urllib.request.urlopen(url, timeout=timeout) as reply:
        reply.read()
        return reply.status


def wrk(url):
    """Requests per second and the 99th percentile latency in ms of one wrk run."""
    output = subprocess.run(["wrk", "-t%d" % WRK_THREADS, "-c%d" % CONNECTIONS,
                             "-d%ds" % SECONDS, "--latency", url],
                            capture_output=True, text=True, timeout=SECONDS + 60).stdout
    rate = float(re.search(r"Requests/sec:\s+([\d.]+)", output).group(1))
    value, unit = re.search(r"^\s+99%\s+([\d.]+)(us|ms|s)\s*$", output, re.M).groups()
    errors = re.search(r"Non-2xx or 3xx responses: (\d+)", output)
    if errors:
        raise SystemExit("portal bench: wrk saw %s failed answers" % errors.group(1))
    return rate, float(value) * UNITS[unit]


def burst(base, fake, city):
    """Upstream calls made by BURST concurrent first requests for one city."""
    before = (fake.count("search"), fake.count("forecast"))
    url = base + WEATHER_PATH + urllib.parse.quote(city)
    with concurrent.futures.ThreadPoolExecutor(max_workers=BURST_CLIENT_THREADS) as pool:
        statuses = list(pool.map(lambda _: get(url), range(BURST)))
    if statuses != [200] * BURST:
        raise SystemExit("portal bench: the burst got answers other than 200")
    return fake.count("search") - before[0], fake.count("forecast") - before[1]


def spread(values):
    return min(values), statistics.median(values), max(values)


def main():
    portal_binary, output_json = sys.argv[1:3]
    with FakeOpenMeteo() as fake, tempfile.TemporaryDirectory() as directory:
        port = free_port()
        base = "http://127.0.0.1:%d" % port
        portal = subprocess.Popen(
            [portal_binary, "--listen", "127.0.0.1:%d" % port, "--forecast-base", fake.base,
             "--geocode-base", fake.base, "--cache-file", os.path.join(directory, "g.json"),
             "--ttl", "3600"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            for _ in range(100):
                try:
                    get(base + "/healthz", timeout=1)
                    break
                except OSError:
                    time.sleep(0.1)
            page = base + WEATHER_PATH + urllib.parse.quote("北京")
            get(page)  # cached from here on
            pages, healths, bursts = [], [], []
            for round_number in range(ROUNDS):
                healths.append(wrk(base + "/healthz"))
                pages.append(wrk(page))
                fake.stall_seconds = 0.5  # the crowd arrives while the first call is out
                bursts.append(burst(base, fake, "城市%d" % round_number))
                fake.stall_seconds = 0
        finally:
            portal.terminate()
            portal.wait(10)

    rows = [
        ("cached page, requests/s", spread([r for r, _ in pages]),
         spread([r for r, _ in healths])),
        ("cached page, p99 ms", spread([p for _, p in pages]), spread([p for _, p in healths])),
        ("burst of %d first requests, geocoding calls" % BURST,
         spread([s for s, _ in bursts]), (BURST, BURST, BURST)),
        ("burst of %d first requests, forecast calls" % BURST,
         spread([f for _, f in bursts]), (BURST, BURST, BURST)),
    ]
    print("portal: %d rounds, wrk %d connections x %d s on loopback; reference: /healthz "
          "under the same load, and the burst's request count" % (ROUNDS, CONNECTIONS, SECONDS))
    print("%-45s %28s   %28s" % ("figure", "min / median / max", "reference min / median / max"))
    for name, measured, reference in rows:
        print("%-45s %28s   %28s" % (name, " / ".join("%.2f" % v for v in measured),
                                     " / ".join("%.2f" % v for v in reference)))
    with open(output_json, "w") as out:
        json.dump({"rounds": ROUNDS, "seconds": SECONDS, "connections": CONNECTIONS,
                   "figures": [{"name": name, "min_median_max": measured,
                                "reference_min_median_max": reference}
                               for name, measured, reference in rows]}, out, indent=1)


if __name__ == "__main__":
    main()
