"""The real nimbrel-portal binary against a loopback fake of Open-Meteo.

usage: portal_e2e_test.py PORTAL_BINARY
"""

import concurrent.futures
import json
import os
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.error
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fake_open_meteo import UNKNOWN_CITY, FakeOpenMeteo  # noqa: E402

PORTAL = None
WEATHER_PATH = "/tb.q?cid=tb.tq&cin=&city="
START_SECONDS = 10


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Portal:
    """One portal process; its stderr (the request log) is kept in a file."""

    def __init__(self, fake, cache_file, *extra):
        self.port = free_port()
        self.log = tempfile.NamedTemporaryFile(prefix="portal-log-", delete=False)
        self.process = subprocess.Popen(
            [PORTAL, "--listen", "127.0.0.1:%d" % self.port, "--forecast-base", fake.base,
             "--geocode-base", fake.base, "--cache-file", cache_file, *extra],
            stdout=subprocess.DEVNULL, stderr=self.log)
        deadline = time.monotonic() + START_SECONDS
        while time.monotonic() < deadline:
            try:
                if self.get("/healthz")[0] == 200:
                    return
            except OSError:
                time.sleep(0.05)
        self.stop()
        raise AssertionError("the portal did not come up")

    def get(self, path, headers=None, timeout=15):
        request = urllib.request.Request("http://127.0.0.1:%d%s" % (self.port, path),
                                         headers=headers or {})
        try:
            with urllib.request.urlopen(request, timeout=timeout) as reply:
                return reply.status, dict(reply.headers), reply.read().decode("utf-8")
        except urllib.error.HTTPError as error:
            return error.code, dict(error.headers), error.read().decode("utf-8")

    def get_raw(self, target):
        """Sends target bytes as they are, the way the WebBrowser control sends GBK."""
        with socket.create_connection(("127.0.0.1", self.port), timeout=15) as conn:
            conn.sendall(b"GET " + target + b" HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
            data = b""
            while True:
                chunk = conn.recv(65536)
                if not chunk:
                    break
                data += chunk
        head, _, body = data.partition(b"\r\n\r\n")
        return int(head.split(b" ")[1]), body.decode("utf-8")

    def log_text(self):
        with open(self.log.name, encoding="utf-8", errors="replace") as log:
            return log.read()

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.unlink(self.log.name)


def quote_utf8(city):
    return urllib.parse.quote(city.encode("utf-8"))


class PortalEndToEnd(unittest.TestCase):
    def setUp(self):
        self.fake = FakeOpenMeteo().__enter__()
        self.addCleanup(self.fake.__exit__, None, None, None)
        self.directory = tempfile.TemporaryDirectory()
        self.addCleanup(self.directory.cleanup)
        self.cache_file = os.path.join(self.directory.name, "geocode.json")

    def start(self, *extra):
        portal = Portal(self.fake, self.cache_file, *extra)
        self.addCleanup(portal.stop)
        return portal

    def test_serves_every_form_of_the_city_from_one_upstream_answer(self):
        portal = self.start()
        status, body = portal.get_raw(b"/tb.q?cid=tb.tq&cin=&city=" + "北京".encode("gbk"))
        self.assertEqual(status, 200)
        self.assertIn(">北京<", body)
        self.assertIn("数据 Open-Meteo", body)
        for path in (WEATHER_PATH + quote_utf8("北京"),
                     WEATHER_PATH + urllib.parse.quote("北京".encode("gbk"))):
            status, headers, page = portal.get(path)
            self.assertEqual(status, 200)
            self.assertEqual(page, body)
            self.assertEqual(headers["Content-Type"], "text/html; charset=utf-8")
            self.assertRegex(headers["Cache-Control"], r"^public, max-age=(59\d|600)$")
        self.assertEqual((self.fake.count("search"), self.fake.count("forecast")), (1, 1))

        etag = headers["ETag"]
        status, headers, page = portal.get(WEATHER_PATH + quote_utf8("北京"),
                                           {"If-None-Match": etag})
        self.assertEqual((status, page, headers["ETag"]), (304, "", etag))

        self.assertEqual(portal.get(WEATHER_PATH + quote_utf8(UNKNOWN_CITY))[0], 404)
        self.assertEqual(portal.get(WEATHER_PATH + "%FF%FF")[0], 400)
        self.assertEqual(portal.get(WEATHER_PATH)[0], 400)
        self.assertEqual(portal.get("/index.html")[0], 404)
        self.assertEqual(portal.get(WEATHER_PATH + "x" * 9000)[0], 414, "request line bound")
        self.assertEqual(portal.get(WEATHER_PATH + "x" * 3000)[0], 400, "city bound")
        log = portal.log_text()
        self.assertRegex(log, r"\d\dZ 200 city=北京 cache=miss upstream_ms=\d+")
        self.assertRegex(log, r"\d\dZ 200 city=北京 cache=hit upstream_ms=0")
        self.assertRegex(log, r"\d\dZ 404 city=%s cache=miss" % UNKNOWN_CITY)

    def test_a_thousand_first_requests_for_one_city_make_one_upstream_call(self):
        portal = self.start()
        self.fake.stall_seconds = 0.5  # the crowd arrives while the one call is out
        city = WEATHER_PATH + quote_utf8("哈尔滨")
        with concurrent.futures.ThreadPoolExecutor(max_workers=200) as pool:
            statuses = list(pool.map(lambda _: portal.get(city, timeout=60)[0], range(1000)))
        self.assertEqual(statuses, [200] * 1000)
        self.assertEqual((self.fake.count("search"), self.fake.count("forecast")), (1, 1))

    def test_a_stalled_upstream_costs_a_client_at_most_the_timeout(self):
        portal = self.start()
        self.fake.stall_seconds = 20
        began = time.monotonic()
        status, headers, page = portal.get(WEATHER_PATH + quote_utf8("拉萨"), timeout=30)
        waited = time.monotonic() - began
        self.assertEqual(status, 503)
        self.assertIn("暂时无法获取天气", page)
        self.assertEqual(headers["Cache-Control"], "no-store")
        self.assertGreater(waited, 4.5)
        self.assertLess(waited, 7)

    def test_serves_the_last_good_page_when_upstream_fails(self):
        portal = self.start("--ttl", "1")
        city = WEATHER_PATH + quote_utf8("广州")
        self.assertEqual(portal.get(city)[0], 200)
        time.sleep(1.2)
        self.fake.failing = True
        status, headers, page = portal.get(city)
        self.assertEqual(status, 200)
        self.assertIn("0 分钟前", page)
        self.assertEqual(headers["Cache-Control"], "public, max-age=0")
        self.assertIn("cache=stale", portal.log_text())
        self.assertEqual(portal.get(WEATHER_PATH + quote_utf8("深圳"))[0], 503)

    def test_looks_a_city_up_once_ever(self):
        first = Portal(self.fake, self.cache_file)
        try:
            self.assertEqual(first.get(WEATHER_PATH + quote_utf8("成都"))[0], 200)
        finally:
            first.stop()
        with open(self.cache_file, encoding="utf-8") as cache:
            self.assertIn("成都", json.load(cache))
        second = self.start()
        self.assertEqual(second.get(WEATHER_PATH + quote_utf8("成都"))[0], 200)
        self.assertEqual(self.fake.names, ["成都"])
        self.assertEqual(self.fake.count("forecast"), 2)

    def test_help_names_every_option(self):
        usage = subprocess.run([PORTAL, "--help"], capture_output=True, text=True, timeout=10)
        self.assertEqual(usage.returncode, 0)
        for option in ("--listen", "--forecast-base", "--geocode-base", "--cache-file", "--ttl"):
            self.assertIn(option, usage.stdout)
        self.assertEqual(subprocess.run([PORTAL, "--bogus"], capture_output=True,
                                        timeout=10).returncode, 2)


if __name__ == "__main__":
    PORTAL = sys.argv.pop(1)
    unittest.main(verbosity=2)
