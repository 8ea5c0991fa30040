"""The Windows portal under Wine, and the real widget pointed at it.

Run inside a Wine session (tests/wine/session.sh):
  portal_wine_test.py PORTAL_EXE NIMBREL_EXE SHIPPED_BOOT_INI WINE_RUN
"""

import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fake_open_meteo import FakeOpenMeteo  # noqa: E402

PORTAL_EXE = NIMBREL_EXE = SHIPPED_BOOT_INI = WINE_RUN = None
START_DEADLINE = 60
STEP_DEADLINE = 30
# The widget's city when boot.ini holds no [set] section.
DEFAULT_CITY = "淮南"


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_until(probe, deadline, what):
    end = time.monotonic() + deadline
    while time.monotonic() < end:
        if probe():
            return
        time.sleep(0.2)
    raise AssertionError("gave up waiting for " + what)


def get(url):
    try:
        with urllib.request.urlopen(url, timeout=STEP_DEADLINE) as reply:
            return reply.status, reply.read().decode("utf-8")
    except OSError:
        return None, ""


class WineProgram:
    def __init__(self, *command, cwd, log=None):
        errors = open(log, "wb") if log else subprocess.DEVNULL
        self.process = subprocess.Popen(
            [WINE_RUN, *command], cwd=cwd, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=errors, start_new_session=True)
        if log:
            errors.close()  # the program holds its own copy

    def wait(self, deadline):
        return self.process.wait(deadline)

    def kill(self):
        if self.process.poll() is None:
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.process.wait(STEP_DEADLINE)


class PortalUnderWine(unittest.TestCase):
    def setUp(self):
        self.fake = FakeOpenMeteo().__enter__()
        self.addCleanup(self.fake.__exit__, None, None, None)
        self.directory = tempfile.mkdtemp(prefix="nimbrel-portal-wine-")
        self.addCleanup(shutil.rmtree, self.directory, True)
        self.exe = os.path.join(self.directory, "nimbrel-portal.exe")
        shutil.copy(PORTAL_EXE, self.exe)
        self.port = free_port()
        self.base = "http://127.0.0.1:%d/" % self.port
        self.log = os.path.join(self.directory, "portal.log")

    def start_portal(self):
        portal = WineProgram(self.exe, "--listen", "127.0.0.1:%d" % self.port,
                             "--forecast-base", self.fake.base, "--geocode-base", self.fake.base,
                             cwd=self.directory, log=self.log)
        self.addCleanup(portal.kill)
        wait_until(lambda: get(self.base + "healthz")[0] == 200, START_DEADLINE, "the portal")
        return portal

    def portal_log(self):
        with open(self.log, encoding="utf-8", errors="replace") as log:
            return log.read()

    def run_portal(self, *arguments):
        return WineProgram(self.exe, *arguments, cwd=self.directory).wait(STEP_DEADLINE)

    def test_serves_the_page_runs_once_and_stops_on_request(self):
        portal = self.start_portal()
        status, page = get(self.base + "tb.q?cid=tb.tq&cin=&city=" +
                           urllib.parse.quote("北京".encode("gbk")))
        self.assertEqual(status, 200)
        self.assertIn(">北京<", page)
        self.assertIn("数据 Open-Meteo", page)

        self.assertEqual(self.run_portal(), 0, "a second start leaves at once")
        self.assertEqual(get(self.base + "healthz")[0], 200, "and the first keeps serving")

        self.assertEqual(self.run_portal("--stop"), 0)
        self.assertEqual(portal.wait(STEP_DEADLINE), 0)
        self.assertEqual(self.run_portal("--stop"), 0, "stopping nothing is no error")
        with open(os.path.join(self.directory, "nimbrel-portal-geocode.json"),
                  encoding="utf-8") as places:
            self.assertIn("北京", places.read(), "the geocoding file lies beside the exe")

    def test_the_widget_gets_its_page_from_the_portal(self):
        self.start_portal()
        widget_directory = os.path.join(self.directory, "widget")
        os.makedirs(widget_directory)
        shutil.copy(NIMBREL_EXE, widget_directory)
        with open(SHIPPED_BOOT_INI, "rb") as shipped:
            boot_ini, count = re.subn(rb"(?m)^base=[^\r\n]*",
                                      b"base=" + self.base.encode("ascii"), shipped.read())
        self.assertEqual(count, 1)
        with open(os.path.join(widget_directory, "boot.ini"), "wb") as ini:
            ini.write(boot_ini)
        widget = WineProgram(os.path.join(widget_directory, os.path.basename(NIMBREL_EXE)),
                             cwd=widget_directory)
        self.addCleanup(widget.kill)
        wait_until(lambda: "200 city=%s cache=miss" % DEFAULT_CITY in self.portal_log(),
                   START_DEADLINE, "the widget's request to be answered with 200")
        self.assertEqual(self.fake.names, [DEFAULT_CITY])


if __name__ == "__main__":
    PORTAL_EXE, NIMBREL_EXE, SHIPPED_BOOT_INI, WINE_RUN = sys.argv[1:5]
    del sys.argv[1:5]
    unittest.main(verbosity=2)
