#!/usr/bin/env python3
"""Tests of what users download: the zip and the installer made by scripts/package.sh.

Run inside a Wine session of the win32 tree (tests/wine/session.sh build/win32), whose prefix
runs 32-bit programs:
  package_test.py ZIP SETUP_EXE TESTED_EXE SHIPPED_BOOT_INI WINE_RUN [unittest args]

TESTED_EXE is the Nimbrel.exe the Win32 and end-to-end tests ran; both packages must carry
exactly that file. The installer is driven in its silent mode (/S, /D=) as an administrator's
script would, the installed program is started against a loopback weather portal, and the
silent uninstaller must leave the machine as it found it, apart from what belongs to others.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from loopback_portal import WEATHER_QUERY, LoopbackPortal  # noqa: E402

ZIP = SETUP = TESTED_EXE = SHIPPED_BOOT_INI = WINE_RUN = None

GBK = "gbk"
PROGRAM = "Nimbrel.exe"
PORTAL = "nimbrel-portal.exe"
README = "使用说明.txt"
UNINSTALLER = "uninstall.exe"
PACKAGED_FILES = {PROGRAM, "boot.ini", README, PORTAL}
RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
# Where every process's HKLM Run value lives in the registry as a 64-bit program sees it: a
# 32-bit program's own view of HKLM\Software is the Wow6432Node branch.
HKLM_RUN_64 = "HKLM\\" + RUN_KEY
HKLM_RUN_32 = r"HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Run"
HKCU_RUN = "HKCU\\" + RUN_KEY
RUN_KEYS = [HKLM_RUN_64, HKLM_RUN_32, HKCU_RUN]
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nimbrel"
AUTORUN_VALUE = "Nimbrel"
PORTAL_AUTORUN_VALUE = "Nimbrel Portal"
# Someone else's values beside ours, which the uninstaller must leave alone.
FOREIGN_VALUE = "NimbrelPackageTestForeign"

COMMAND_TIMEOUT = 120
# A 32-bit program starts in about 3 s under qemu, 5 s cold.
START_DEADLINE = 60
UNINSTALL_DEADLINE = 60
POLL_INTERVAL = 0.5


def wine(*args):
    return subprocess.run([WINE_RUN] + [str(a) for a in args], stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=COMMAND_TIMEOUT)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def reg_value(key, name):
    """The data of a REG_SZ or REG_DWORD value, or None when the key or value is missing."""
    result = wine("reg", "query", key, "/v", name)
    if result.returncode != 0:
        return None
    for line in result.stdout.decode(GBK, "replace").splitlines():
        match = re.match(r"\s+(.+?)\s+(REG_SZ|REG_DWORD)\s+(.*)$", line)
        if match and match.group(1) == name:
            return match.group(3).rstrip("\r")
    return None


def reg_set(key, name, data):
    assert wine("reg", "add", key, "/v", name, "/d", data, "/f").returncode == 0


def reg_delete(key, name):
    wine("reg", "delete", key, "/v", name, "/f")


def wait_until(probe, deadline, what):
    end = time.monotonic() + deadline
    while not probe():
        if time.monotonic() >= end:
            raise AssertionError("timed out after %d s waiting for %s" % (deadline, what))
        time.sleep(POLL_INTERVAL)


SHELL_FOLDERS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"


def shell_folder(name):
    """A folder of this prefix's user as Wine spells it (the Startup folder is "StartUp"), as a
    Linux path; None before any program has asked for it."""
    folder = reg_value(SHELL_FOLDERS, name)
    if not folder:
        return None
    assert folder[:3].upper() == "C:\\", folder
    return os.path.join(os.environ["WINEPREFIX"], "drive_c", *folder[3:].split("\\"))


def start_menu_shortcut():
    return os.path.join(shell_folder("Programs"), "Nimbrel.lnk")


def startup_shortcut():
    return os.path.join(shell_folder("StartUp"), "Nimbrel.lnk")


def read(path):
    with open(path, "rb") as f:
        return f.read()


class ZipTest(unittest.TestCase):
    def test_holds_exactly_the_program_its_settings_and_the_instructions(self):
        with zipfile.ZipFile(ZIP) as z:
            names = z.namelist()
            self.assertEqual(len(names), len(set(names)))
            self.assertEqual(set(names), PACKAGED_FILES)
            self.assertEqual(z.read(PROGRAM), read(TESTED_EXE), "not the tested exe")
            self.assertEqual(z.read("boot.ini"), read(SHIPPED_BOOT_INI))
            readme = z.read(README)
        text = readme.decode(GBK)
        self.assertIn(b"\r\n", readme)
        self.assertNotIn(b"\n", readme.replace(b"\r\n", b""), "a bare LF in the instructions")
        for topic in ("Nimbrel.exe", "boot.ini", "系统启动时运行"):
            self.assertIn(topic, text)


class InstallerTest(unittest.TestCase):
    """One user's life with the installer: install, change settings, upgrade, run, remove."""

    def setUp(self):
        self.clean_up()
        self.addCleanup(self.clean_up)
        self.workspace = tempfile.mkdtemp(prefix="nimbrel-package-")
        self.addCleanup(shutil.rmtree, self.workspace, True)
        # A blank in the path: every command the installer writes must survive it.
        self.install_dir = os.path.join(self.workspace, "Nimbrel Test")
        self.neighbour = os.path.join(self.workspace, "neighbour.txt")
        with open(self.neighbour, "w") as f:
            f.write("not ours")
        for key in RUN_KEYS:
            reg_set(key, FOREIGN_VALUE, "C:\\elsewhere.exe")
        self.portal = LoopbackPortal()
        self.addCleanup(self.portal.stop)

    @staticmethod
    def clean_up():
        for key in RUN_KEYS:
            for name in (AUTORUN_VALUE, PORTAL_AUTORUN_VALUE, FOREIGN_VALUE):
                reg_delete(key, name)
        wine("reg", "delete", UNINSTALL_KEY, "/f")
        for folder in (shell_folder("Programs"), shell_folder("StartUp")):
            if folder and os.path.exists(os.path.join(folder, "Nimbrel.lnk")):
                os.remove(os.path.join(folder, "Nimbrel.lnk"))

    def install(self):
        # The installer reads /D= up to the end of its command line, blanks and all, and takes
        # no quotes there; Wine would quote an argument with a blank, so cmd passes it on as
        # a user types it. cmd waits for the installer and returns its exit code.
        # The installer starts the portal, which would hold captured pipes open for good.
        result = subprocess.run([WINE_RUN, "cmd", "/c", "%s /S /D=%s" % (
            windows_path(SETUP), windows_path(self.install_dir))], stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=COMMAND_TIMEOUT)
        self.assertEqual(result.returncode, 0)

    def installed(self, name):
        return os.path.join(self.install_dir, name)

    def start_installed_program(self):
        process = subprocess.Popen([WINE_RUN, self.installed(PROGRAM)], cwd=self.install_dir,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, start_new_session=True)

        def stop():
            # The whole group: under qemu the program is a child of the process wine-run became.
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGKILL)
            process.wait(COMMAND_TIMEOUT)

        self.addCleanup(stop)
        return stop

    def test_silent_install_run_upgrade_and_uninstall(self):
        self.install()
        expected = PACKAGED_FILES | {UNINSTALLER}
        with self.subTest("installed files"):
            self.assertEqual(set(os.listdir(self.install_dir)), expected)
            self.assertEqual(read(self.installed(PROGRAM)), read(TESTED_EXE))
            self.assertEqual(read(self.installed("boot.ini")), read(SHIPPED_BOOT_INI))
            self.assertTrue(os.path.exists(start_menu_shortcut()))
        exe = windows_path(self.installed(PROGRAM))
        with self.subTest("uninstall entry"):
            self.assertEqual(reg_value(UNINSTALL_KEY, "DisplayName"), "Nimbrel")
            self.assertRegex(reg_value(UNINSTALL_KEY, "DisplayVersion"), r"^\d+\.\d+\.\d+$")
            self.assertIn(reg_value(UNINSTALL_KEY, "DisplayVersion"), os.path.basename(SETUP))
            self.assertEqual(reg_value(UNINSTALL_KEY, "Publisher"), "Nimbrel")
            self.assertEqual(reg_value(UNINSTALL_KEY, "DisplayIcon"), '"%s",0' % exe)
            self.assertEqual(reg_value(UNINSTALL_KEY, "UninstallString"),
                             '"%s"' % windows_path(self.installed(UNINSTALLER)))
            self.assertGreater(int(reg_value(UNINSTALL_KEY, "EstimatedSize"), 0), 0)
        self.assertEqual(reg_value(HKCU_RUN, PORTAL_AUTORUN_VALUE),
                         '"%s"' % windows_path(self.installed(PORTAL)))

        # The user's settings: the loopback portal, and start at logon.
        shipped = read(SHIPPED_BOOT_INI)
        settings, count = re.subn(rb"(?m)^base=[^\r\n]*",
                                  b"base=" + self.portal.base.encode("ascii"), shipped)
        self.assertEqual(count, 1)
        settings += "\r\n[set]\r\nsystem startup=1\r\n".encode(GBK)
        with open(self.installed("boot.ini"), "wb") as f:
            f.write(settings)
        self.install()
        with self.subTest("an upgrade keeps boot.ini"):
            self.assertEqual(read(self.installed("boot.ini")), settings)

        stop = self.start_installed_program()
        wait_until(self.portal.weather_requests, START_DEADLINE, "the installed program's request")
        # A 32-bit program's machine-wide value, in the view it wrote; quoted for the blank.
        wait_until(lambda: reg_value(HKLM_RUN_32, AUTORUN_VALUE), START_DEADLINE,
                   "the autorun value in the 32-bit view")
        self.assertEqual(reg_value(HKLM_RUN_32, AUTORUN_VALUE), '"%s"' % exe)
        stop()

        # Everywhere else the program may have left it, on another machine or as another user.
        for key in (HKLM_RUN_64, HKCU_RUN):
            reg_set(key, AUTORUN_VALUE, exe)
        os.makedirs(os.path.dirname(startup_shortcut()), exist_ok=True)
        open(startup_shortcut(), "wb").close()

        result = wine(self.installed(UNINSTALLER), "/S")
        self.assertEqual(result.returncode, 0)
        # The uninstaller hands over to a copy of itself in TEMP and returns at once.
        wait_until(lambda: not os.path.exists(self.install_dir) and
                   reg_value(UNINSTALL_KEY, "DisplayName") is None, UNINSTALL_DEADLINE,
                   "the uninstaller to remove the program and its entry")
        with self.subTest("what the uninstaller removes"):
            self.assertFalse(os.path.exists(start_menu_shortcut()))
            self.assertFalse(os.path.exists(startup_shortcut()))
            for key in RUN_KEYS:
                self.assertIsNone(reg_value(key, AUTORUN_VALUE), key)
                self.assertIsNone(reg_value(key, PORTAL_AUTORUN_VALUE), key)
        with self.subTest("what the uninstaller leaves alone"):
            self.assertTrue(os.path.exists(self.neighbour))
            for key in RUN_KEYS:
                self.assertEqual(reg_value(key, FOREIGN_VALUE), "C:\\elsewhere.exe", key)


def main():
    global ZIP, SETUP, TESTED_EXE, SHIPPED_BOOT_INI, WINE_RUN
    if len(sys.argv) < 6:
        sys.exit(__doc__)
    # Absolute, as the program runs with its install directory as the working directory.
    ZIP, SETUP, TESTED_EXE, SHIPPED_BOOT_INI, WINE_RUN = map(os.path.abspath, sys.argv[1:6])
    if not os.environ.get("WINEPREFIX"):
        sys.exit("no WINEPREFIX: run this inside tests/wine/session.sh")
    unittest.main(argv=[sys.argv[0]] + sys.argv[6:], verbosity=2)


if __name__ == "__main__":
    main()
