#!/usr/bin/env python3
"""End-to-end tests of the real Nimbrel.exe under Wine.

Run inside a Wine session (tests/wine/session.sh) so that DISPLAY and WINEPREFIX are set:
  e2e_test.py NIMBREL_EXE INSPECTOR_EXE SHIPPED_BOOT_INI WINE_RUN ARTIFACTS_DIR [unittest args]

Every case copies the exe into a directory of its own with a boot.ini that points the weather
portal at a loopback server the case starts, drives the widget with xdotool and reads its
windows back through the inspector exe (Python outside Wine cannot ask user32 anything).
"""

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from loopback_portal import WEATHER_QUERY, LoopbackPortal  # noqa: E402

NIMBREL_EXE = INSPECTOR_EXE = SHIPPED_BOOT_INI = WINE_RUN = ARTIFACTS = None

GBK = "gbk"
START_DEADLINE = 30
# A second instance has nothing to set up before it gives up.
SECOND_INSTANCE_DEADLINE = 10
EXIT_DEADLINE = 30
STEP_DEADLINE = 15
# How long a case watches for something that must NOT happen (an extra request, a menu).
QUIET_PERIOD = 3
POLL_INTERVAL = 0.2
COMMAND_TIMEOUT = 30

WIDGET_SIZE = (258, 194)
WS_CAPTION = 0x00C00000
WS_EX_TRANSPARENT = 0x20
WS_EX_TOOLWINDOW = 0x80
WS_EX_LAYERED = 0x80000
COMPLEXREGION = 3
POPUP_MENU_CLASS = "#32768"
TRACKBAR_CLASS = "msctls_trackbar32"
# The menu opens with its top-right corner this far up and left of the cursor.
MENU_CURSOR_OFFSET = 5


SET_KEYS = ["province", "city", "system startup", "tray", "refresh", "transparent",
            "mouse penetrate", "desktop", "forme", "top", "left"]
DEFAULT_SETTINGS = {"province": "安徽", "city": "淮南", "system startup": "0", "tray": "1",
                    "refresh": "0", "transparent": "200", "mouse penetrate": "0",
                    "desktop": "0", "forme": "0", "top": "", "left": ""}

MANUAL_REFRESH, TIMED_REFRESH, ALWAYS_ON_TOP, CLICK_THROUGH, DESKTOP_EMBEDDING = (
    "手动刷新", "定时刷新", "总是最前", "鼠标穿透", "嵌入桌面")
SYSTEM_SETTINGS, ABOUT, EXIT = "系统设置", "关于...", "退出(X)"
# None is a separator.
MENU_ITEMS = [MANUAL_REFRESH, TIMED_REFRESH, None, ALWAYS_ON_TOP, CLICK_THROUGH,
              DESKTOP_EMBEDDING, None, SYSTEM_SETTINGS, ABOUT, None, EXIT]

SETTINGS_TITLE = "系统设置"
ABOUT_TITLE = "关于 Nimbrel"
OK_TEXT = "确定"
TRAY_WINDOW_NAME = "Wine System Tray"
# Wine's standalone tray draws small icons side by side from its client area's top left corner.
TRAY_FIRST_ICON = (10, 10)
HOVER_PAUSE = 0.5
BUTTON_HOLD = 0.1
KEY_PAUSE = 0.1
MENU_FRAME = 3  # Wine's popup menu border


# --- boot.ini -----------------------------------------------------------------------------

def parse_ini(data):
    """Sections in file order, each an ordered list of (key, value); texts decoded from GBK."""
    sections = []
    for raw in data.decode(GBK).split("\r\n"):
        line = raw.strip()
        if line.startswith("[") and line.endswith("]"):
            sections.append((line[1:-1], []))
        elif "=" in line and sections:
            key, value = line.split("=", 1)
            sections[-1][1].append((key.strip(), value.strip()))
    return sections


def section_entries(data, name):
    found = [entries for section, entries in parse_ini(data) if section.lower() == name.lower()]
    return found[0] if found else None


def without_empty_lines(data):
    return b"".join(line for line in data.splitlines(keepends=True) if line.strip())


def set_section_bytes(settings):
    lines = ["[set]"] + ["%s=%s" % (key, settings[key]) for key in SET_KEYS]
    return ("\r\n".join(lines) + "\r\n").encode(GBK)


class Catalogue:
    def __init__(self, data):
        self.sections = dict(parse_ini(data))

    def provinces(self):
        return [value for key, value in self.sections["province"] if key != "count"]

    def cities(self, province):
        return [value for key, value in self.sections[province] if key != "count"]

    def first_city(self, province):
        return dict(self.sections[province])["1"]


def catalogue_with_base(shipped, base):
    """The shipped catalogue with only its weather base replaced."""
    replaced, count = re.subn(rb"(?m)^base=[^\r\n]*", b"base=" + base.encode("ascii"), shipped)
    assert count == 1, "the shipped boot.ini has no single weather base"
    return replaced


# --- the loopback weather portal ---------------------------------------------------------

def requested_city(path):
    """The city of a weather request, however the browser encoded it: percent-escaped or as raw
    bytes, which http.server hands over decoded as Latin-1."""
    raw = urllib.parse.unquote_to_bytes(path[len(WEATHER_QUERY):].encode("latin-1"))
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError:
        return raw.decode(GBK)


# --- Wine, the inspector and the X display -----------------------------------------------

def wait_until(probe, deadline, what):
    """Polls probe until it returns something truthy; fails the case after deadline seconds.
    what names the awaited state; a callable is asked only then, to tell what was seen."""
    end = time.monotonic() + deadline
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() >= end:
            raise AssertionError("timed out after %d s waiting for %s" %
                                 (deadline, what() if callable(what) else what))
        time.sleep(POLL_INTERVAL)


def stays_false(probe, period):
    end = time.monotonic() + period
    while time.monotonic() < end:
        if probe():
            return False
        time.sleep(POLL_INTERVAL)
    return True


def inspect(*args):
    result = subprocess.run([WINE_RUN, INSPECTOR_EXE] + [str(a) for a in args],
                            stdin=subprocess.DEVNULL, capture_output=True,
                            timeout=COMMAND_TIMEOUT)
    lines = result.stdout.decode("ascii", "replace").splitlines()
    return [json.loads(line) for line in lines if line.startswith("{")]


def title_hex(title):
    return title.encode(GBK).hex()


def windows_titled(title):
    return [w for w in inspect("title", title_hex(title)) if w["visible"]]


def open_menus():
    return inspect("menu")


def xdo(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], stdin=subprocess.DEVNULL,
                   capture_output=True, timeout=COMMAND_TIMEOUT, check=True)


def press(button, x, y):
    # Wine often loses a press that comes together with the pointer's first move onto a window.
    xdo("mousemove", x, y)
    time.sleep(HOVER_PAUSE)
    xdo("mousedown", button)
    time.sleep(BUTTON_HOLD)
    xdo("mouseup", button)


def keys(*names):
    for name in names:
        xdo("key", name)
        time.sleep(KEY_PAUSE)


def open_menu_from_tray():
    tray = wait_until(lambda: windows_titled(TRAY_WINDOW_NAME), STEP_DEADLINE,
                      "Wine's tray window")[0]
    x, y = tray["client_origin"]
    press(1, x + TRAY_FIRST_ICON[0], y + TRAY_FIRST_ICON[1])
    return wait_until(open_menus, STEP_DEADLINE, "the popup menu after a click on the tray icon")[0]


def menu_item_point(menu, item):
    """The middle of an item, found from the menu's height: a separator is half an item high."""
    left, top, right, bottom = menu["rect"]
    separators = MENU_ITEMS.count(None)
    half_units = 2 * (len(MENU_ITEMS) - separators) + separators
    inner = bottom - top - 2 * MENU_FRAME
    assert inner % half_units == 0, "a menu %d pixels high does not hold %s" % (
        bottom - top, MENU_ITEMS)
    half = inner // half_units
    y = top + MENU_FRAME
    for entry in MENU_ITEMS:
        if entry == item:
            return (left + right) // 2, y + half
        y += half if entry is None else 2 * half
    raise KeyError(item)


def choose(menu, item):
    """With the mouse: typed keys do not always reach the menu under Wine without a window
    manager (after the tray opened it, or right after the widget was embedded)."""
    press(1, *menu_item_point(menu, item))
    wait_until(lambda: not open_menus(), STEP_DEADLINE, "the menu to close after " + item)


def choose_with_keys(item):
    """Walks to the item with the keyboard; a fresh popup has no item selected yet."""
    commands = [entry for entry in MENU_ITEMS if entry is not None]
    keys(*(["Down"] * (commands.index(item) + 1) + ["Return"]))
    wait_until(lambda: not open_menus(), STEP_DEADLINE,
               lambda: "the menu to close after typing the way to %s; focus: %s" % (
                   item, inspect("focus")))


def screenshot(name):
    os.makedirs(ARTIFACTS, exist_ok=True)
    path = os.path.join(ARTIFACTS, name)
    subprocess.run(["/usr/bin/import", "-window", "root", path], stdin=subprocess.DEVNULL,
                   capture_output=True, timeout=COMMAND_TIMEOUT)
    return path


class WineProcess:
    """A Windows program started through wine-run in a process group of its own."""

    # Everything still running, for a signal that ends the script before the cleanups run.
    started = set()

    def __init__(self, program, *args, cwd=None, stdout=subprocess.DEVNULL):
        self.process = subprocess.Popen([WINE_RUN, program] + list(args), cwd=cwd,
                                        stdin=subprocess.DEVNULL, stdout=stdout,
                                        stderr=subprocess.DEVNULL, start_new_session=True)
        WineProcess.started.add(self)

    def running(self):
        return self.process.poll() is None

    def wait(self, deadline):
        try:
            return self.process.wait(deadline)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end within %d s" % deadline)

    def kill(self):
        if self.running():
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.process.wait(STEP_DEADLINE)
        WineProcess.started.discard(self)

    @staticmethod
    def kill_all_and_exit(signal_number, _frame):
        for process in list(WineProcess.started):
            process.kill()
        os._exit(128 + signal_number)


def is_widget(window):
    left, top, right, bottom = window["rect"]
    return (window["visible"] and (right - left, bottom - top) == WIDGET_SIZE and
            not window["style"] & WS_CAPTION and window["class"] != POPUP_MENU_CLASS)


def center(window):
    left, top, right, bottom = window["rect"]
    return (left + right) // 2, (top + bottom) // 2


# --- the cases ------------------------------------------------------------------------------

class WidgetCase(unittest.TestCase):
    """A widget in a directory of its own, a portal for it and everything stopped afterwards."""

    stored_settings = None  # a [set] section to write before the start, or none at all

    def setUp(self):
        with open(SHIPPED_BOOT_INI, "rb") as f:
            self.shipped = f.read()
        self.catalogue = Catalogue(self.shipped)
        self.portal = LoopbackPortal()
        self.addCleanup(self.portal.stop)
        self.directory = tempfile.mkdtemp(prefix="nimbrel-e2e-")
        self.addCleanup(shutil.rmtree, self.directory, True)
        self.exe = os.path.join(self.directory, "Nimbrel.exe")
        shutil.copyfile(NIMBREL_EXE, self.exe)
        self.written_catalogue = catalogue_with_base(self.shipped, self.portal.base)
        initial = self.written_catalogue
        if self.stored_settings is not None:
            initial += b"\r\n" + set_section_bytes(self.stored_settings)
        self.initial_boot_ini = initial
        with open(self.boot_ini_path, "wb") as f:
            f.write(initial)
        self.widget_window = None

    @property
    def boot_ini_path(self):
        return os.path.join(self.directory, "boot.ini")

    def saved_boot_ini(self):
        with open(self.boot_ini_path, "rb") as f:
            return f.read()

    def start_widget(self):
        process = WineProcess(self.exe, cwd=self.directory)
        self.addCleanup(process.kill)
        self.widget = process
        self.widget_window = wait_until(self.find_widget, START_DEADLINE, "the widget window")
        return self.widget_window

    def find_widget(self):
        found = [w for w in inspect("windows") if is_widget(w)]
        return found[0] if len(found) == 1 else None

    def widget_state(self):
        """The widget window as the inspector reads it now (top-level or embedded)."""
        found = [w for w in inspect("windows", self.widget_window["pid"])
                 if w["hwnd"] == self.widget_window["hwnd"]]
        self.assertEqual(len(found), 1, "the widget window is gone")
        return found[0]

    def widget_state_when(self, holds, what):
        """The widget's state once holds(state): the widget applies its stored settings after
        its window shows, and a menu command after the menu has closed; a slow program (the
        i686 build under qemu) can still be on its way when the inspector looks."""
        return wait_until(lambda: (lambda state: state if holds(state) else None)(
            self.widget_state()), STEP_DEADLINE,
            lambda: "%s; the widget is %s" % (what, self.widget_state()))

    def process_windows(self):
        return inspect("windows", self.widget_window["pid"])

    def wait_for_weather_requests(self, count):
        return wait_until(lambda: (lambda r: r if len(r) >= count else None)(
            self.portal.weather_requests()), START_DEADLINE,
            "%d weather request(s), saw %s" % (count, self.portal.weather_requests()))

    def open_menu_at(self, x, y):
        press(3, x, y)
        return wait_until(open_menus, STEP_DEADLINE, "the popup menu after a right press")[0]

    def open_menu(self):
        return self.open_menu_at(*center(self.widget_state()))

    def run_menu_command(self, item):
        choose(self.open_menu(), item)

    def exit_through_menu(self):
        choose(self.open_menu(), EXIT)
        return self.widget.wait(EXIT_DEADLINE)

    def focus_widget(self):
        """A press without motion: the only way to focus an owned frameless window here."""
        press(1, *center(self.widget_state()))
        time.sleep(0.5)

    def assert_saved(self, expected):
        """The catalogue kept as it was and [set] last, holding the eleven keys in order."""
        saved = self.saved_boot_ini()
        self.assertEqual(section_entries(saved, "set"), [(k, expected[k]) for k in SET_KEYS])
        block = set_section_bytes(expected)
        self.assertTrue(saved.endswith(block), "[set] is not the last section")
        # Wine's kernel32 drops empty lines whenever it rewrites a file; nothing else may change.
        self.assertEqual(without_empty_lines(saved[:-len(block)]),
                         without_empty_lines(self.written_catalogue))


class StartTest(WidgetCase):
    def test_shows_the_frameless_rounded_widget_and_requests_the_stored_city(self):
        window = self.start_widget()
        [path] = self.wait_for_weather_requests(1)
        self.assertEqual(requested_city(path), "淮南")
        window = self.widget_state_when(lambda w: w["exstyle"] & WS_EX_LAYERED, "a layered widget")
        time.sleep(1)
        screenshot("widget.png")
        owner = [w for w in self.process_windows() if w["hwnd"] == window["owner"]]
        with self.subTest("frameless, no taskbar button"):
            self.assertEqual(window["client"], list(WIDGET_SIZE))
            self.assertNotEqual(window["owner"], 0)
            self.assertTrue(window["owner_exstyle"] & WS_EX_TOOLWINDOW)
            self.assertEqual([w["visible"] for w in owner], [False])
        with self.subTest("rounded corners"):
            self.assertEqual(window["region_type"], COMPLEXREGION)
            # A round-rect region leaves out the last column and row, as GDI draws it.
            left, top, right, bottom = window["region"]
            self.assertEqual((left, top), (0, 0))
            self.assertIn(right, (WIDGET_SIZE[0] - 1, WIDGET_SIZE[0]))
            self.assertIn(bottom, (WIDGET_SIZE[1] - 1, WIDGET_SIZE[1]))
        with self.subTest("opacity from the default transparency"):
            self.assertTrue(window["exstyle"] & WS_EX_LAYERED)
            self.assertEqual(window["alpha"], 200)
        with self.subTest("neither topmost nor click-through"):
            self.assertFalse(window["topmost"])
            self.assertFalse(window["exstyle"] & WS_EX_TRANSPARENT)
        self.assertEqual(self.exit_through_menu(), 0)

    def test_second_instance_exits_at_once_and_leaves_the_first_running(self):
        first = self.start_widget()
        second = WineProcess(self.exe, cwd=self.directory)
        self.addCleanup(second.kill)
        self.assertEqual(second.wait(SECOND_INSTANCE_DEADLINE), 0)
        self.assertTrue(self.widget.running())
        self.assertEqual([w["hwnd"] for w in inspect("windows") if is_widget(w)], [first["hwnd"]])
        self.assertEqual(self.exit_through_menu(), 0)


class StoredSettingsTest(WidgetCase):
    stored_settings = dict(DEFAULT_SETTINGS, city="芜湖", transparent="150", forme="1",
                           top="100", left="300")

    def test_applies_the_stored_settings_and_writes_them_back_in_place(self):
        window = self.start_widget()
        [path] = self.wait_for_weather_requests(1)
        self.assertEqual(requested_city(path), "芜湖")
        window = self.widget_state_when(lambda w: w["topmost"], "the stored always on top")
        self.assertEqual(window["rect"][:2], [300, 100])
        self.assertEqual(window["alpha"], 150)
        self.assertTrue(window["topmost"])
        self.run_menu_command(ALWAYS_ON_TOP)  # so that there is a change to write back
        self.widget_state_when(lambda w: not w["topmost"], "always on top switched off")
        self.assertEqual(self.exit_through_menu(), 0)
        self.assert_saved(dict(self.stored_settings, forme="0"))
        self.assertEqual([name for name, _ in parse_ini(self.saved_boot_ini())].count("set"), 1)


class StoredClickThroughTest(WidgetCase):
    stored_settings = dict(DEFAULT_SETTINGS, tray="0", top="300", left="400")
    stored_settings["mouse penetrate"] = "1"

    def test_starts_click_through_with_a_tray_icon_that_opens_the_menu(self):
        self.start_widget()
        window = self.widget_state_when(
            lambda w: w["exstyle"] & (WS_EX_TRANSPARENT | WS_EX_LAYERED) ==
            WS_EX_TRANSPARENT | WS_EX_LAYERED, "a click-through widget")
        self.assertEqual(window["exstyle"] & (WS_EX_TRANSPARENT | WS_EX_LAYERED),
                         WS_EX_TRANSPARENT | WS_EX_LAYERED)
        self.assertEqual(window["alpha"], 200)
        press(3, *center(window))
        self.assertTrue(stays_false(open_menus, QUIET_PERIOD), "a right press opened the menu")
        choose(open_menu_from_tray(), EXIT)
        self.assertEqual(self.widget.wait(EXIT_DEADLINE), 0)
        self.assert_saved(self.stored_settings)


class ExitTest(WidgetCase):
    def test_exit_from_the_menu_saves_the_defaults_after_the_catalogue(self):
        self.start_widget()
        self.open_menu()
        choose_with_keys(EXIT)
        self.assertEqual(self.widget.wait(EXIT_DEADLINE), 0)
        self.assert_saved(DEFAULT_SETTINGS)

    def test_escape_saves_and_exits_like_the_menu(self):
        self.start_widget()
        self.focus_widget()
        left, top = self.widget_state()["rect"][:2]
        keys("Escape")
        self.assertEqual(self.widget.wait(EXIT_DEADLINE), 0)
        # The focusing press was a drag of no length, which stores the position as it is.
        self.assert_saved(dict(DEFAULT_SETTINGS, top=str(top), left=str(left)))

    def test_left_drag_moves_the_widget_and_stores_where_it_ended(self):
        self.start_widget()
        left, top = self.widget_state()["rect"][:2]
        x, y = left + 60, top + 50
        step_x, step_y, steps = 10, 7, 10
        xdo("mousemove", x, y)
        time.sleep(HOVER_PAUSE)
        xdo("mousedown", 1)
        for step in range(1, steps + 1):
            xdo("mousemove", x + step * step_x, y + step * step_y)
            time.sleep(0.05)
        xdo("mouseup", 1)
        moved = (left + steps * step_x, top + steps * step_y)
        wait_until(lambda: tuple(self.widget_state()["rect"][:2]) == moved, STEP_DEADLINE,
                   "the widget at %s, it is at %s" % (moved, self.widget_state()["rect"]))
        self.assertEqual(self.exit_through_menu(), 0)
        self.assert_saved(
            dict(DEFAULT_SETTINGS, left=str(moved[0]), top=str(moved[1])))


class MenuTest(WidgetCase):
    # Away from the screen's edges, so that the menu opens where it is asked to.
    stored_settings = dict(DEFAULT_SETTINGS, top="300", left="400")
    def test_right_press_anywhere_opens_the_menu_beside_the_cursor(self):
        window = self.start_widget()
        left, top = window["rect"][:2]
        width, height = WIDGET_SIZE
        for name, dx, dy in [("centre", width // 2, height // 2), ("top left", 30, 30),
                             ("bottom right", width - 30, height - 30)]:
            with self.subTest(name):
                x, y = left + dx, top + dy
                menu = self.open_menu_at(x, y)
                if name == "centre":
                    screenshot("menu.png")
                self.assertEqual(menu["rect"][2], x - MENU_CURSOR_OFFSET)
                self.assertEqual(menu["rect"][1], y - MENU_CURSOR_OFFSET)
                keys("Escape")
                wait_until(lambda: not open_menus(), STEP_DEADLINE, "the menu to close")
        self.assertTrue(self.widget.running())
        self.assertEqual(self.exit_through_menu(), 0)

    def test_manual_refresh_requests_the_page_once_more(self):
        self.start_widget()
        [first] = self.wait_for_weather_requests(1)
        self.run_menu_command(MANUAL_REFRESH)
        self.wait_for_weather_requests(2)
        self.assertTrue(stays_false(lambda: len(self.portal.weather_requests()) > 2,
                                    QUIET_PERIOD))
        self.assertEqual(self.portal.weather_requests(), [first, first])

    def test_always_on_top_toggles_the_topmost_state_and_is_saved(self):
        self.start_widget()
        for topmost in (True, False, True):
            self.run_menu_command(ALWAYS_ON_TOP)
            self.widget_state_when(lambda w: w["topmost"] == topmost, "topmost %s" % topmost)
        self.assertEqual(self.exit_through_menu(), 0)
        self.assert_saved(dict(self.stored_settings, forme="1"))

    def test_click_through_makes_the_widget_transparent_to_the_mouse(self):
        window = self.start_widget()
        self.run_menu_command(CLICK_THROUGH)
        state = self.widget_state_when(
            lambda w: w["exstyle"] & (WS_EX_TRANSPARENT | WS_EX_LAYERED) ==
            WS_EX_TRANSPARENT | WS_EX_LAYERED, "a click-through widget")
        self.assertEqual(state["exstyle"] & (WS_EX_TRANSPARENT | WS_EX_LAYERED),
                         WS_EX_TRANSPARENT | WS_EX_LAYERED)
        self.assertEqual(state["alpha"], 200)
        press(3, *center(window))
        self.assertTrue(stays_false(open_menus, QUIET_PERIOD), "a right press still opens the menu")
        # The tray icon is the way left to the menu.
        choose(open_menu_from_tray(), EXIT)
        self.assertEqual(self.widget.wait(EXIT_DEADLINE), 0)
        self.assert_saved(dict(self.stored_settings, **{"mouse penetrate": "1"}))

    def test_timed_refresh_is_switched_on_and_saved(self):
        self.start_widget()
        self.run_menu_command(TIMED_REFRESH)
        self.assertEqual(self.exit_through_menu(), 0)
        self.assert_saved(dict(self.stored_settings, refresh="1"))

    def test_embedding_makes_the_widget_a_child_of_the_desktop_host(self):
        host_output = os.path.join(self.directory, "progman.json")
        with open(host_output, "wb") as out:
            host = WineProcess(INSPECTOR_EXE, "make-progman", stdout=out)
        self.addCleanup(host.kill)
        wait_until(lambda: os.path.getsize(host_output) > 0, START_DEADLINE, "the Progman window")
        with open(host_output) as f:
            host_window = json.loads(f.readline())
        window = self.start_widget()
        self.run_menu_command(ALWAYS_ON_TOP)
        self.widget_state_when(lambda w: w["topmost"], "topmost")
        # Embedding and always on top exclude each other.
        self.run_menu_command(DESKTOP_EMBEDDING)
        embedded = self.widget_state_when(lambda w: w["container"] == host_window["hwnd"],
                                          "the widget in the desktop host")
        self.assertFalse(embedded["topmost"])
        self.assertEqual(embedded["rect"], window["rect"])
        self.run_menu_command(DESKTOP_EMBEDDING)
        self.widget_state_when(lambda w: w["container"] == window["container"],
                               "the widget back on the desktop")
        self.run_menu_command(DESKTOP_EMBEDDING)
        self.widget_state_when(lambda w: w["container"] == host_window["hwnd"],
                               "the widget in the desktop host again")
        self.assertEqual(self.exit_through_menu(), 0)
        self.assert_saved(dict(self.stored_settings, desktop="1"))


class TrayTest(WidgetCase):
    # Clear of Wine's tray window in the top left corner.
    stored_settings = dict(DEFAULT_SETTINGS, top="300", left="400")

    def test_a_click_on_the_tray_icon_opens_the_menu(self):
        self.start_widget()
        choose(open_menu_from_tray(), EXIT)
        self.assertEqual(self.widget.wait(EXIT_DEADLINE), 0)


class SettingsWindowTest(WidgetCase):
    def open_settings(self):
        self.run_menu_command(SYSTEM_SETTINGS)
        settings = wait_until(lambda: windows_titled(SETTINGS_TITLE), STEP_DEADLINE,
                              "the settings window")[0]
        self.assertEqual(settings["pid"], self.widget_window["pid"])
        return settings

    def controls(self, settings):
        return inspect("children", settings["hwnd"])

    def combos(self, settings):
        """The province and the city combo, left to right."""
        return sorted((c for c in self.controls(settings) if c["class"] == "ComboBox"),
                      key=lambda c: c["rect"][0])

    def test_opens_modal_and_shows_the_current_settings(self):
        self.start_widget()
        settings = self.open_settings()
        time.sleep(1)
        screenshot("settings.png")
        self.assertFalse(self.widget_state()["enabled"])
        controls = self.controls(settings)
        texts = {bytes.fromhex(c["title"]).decode(GBK): c for c in controls}
        with self.subTest("check boxes"):
            self.assertEqual(texts["系统启动时运行"]["checked"], 0)
            self.assertEqual(texts["显示系统托盘图标"]["checked"], 1)
        with self.subTest("groups"):
            self.assertIn("城市", texts)
            self.assertIn("透明度", texts)
        with self.subTest("combos"):
            province_combo, city_combo = self.combos(settings)
            self.assertEqual(self.combo_text(settings, province_combo), "安徽")
            self.assertEqual(province_combo["rows"], len(self.catalogue.provinces()))
            self.assertEqual(self.combo_text(settings, city_combo), "淮南")
            self.assertEqual(city_combo["rows"], len(self.catalogue.cities("安徽")))
        with self.subTest("transparency"):
            self.assertIn("200", texts)
            self.assertEqual(texts["200"]["class"], "Static")
        self.close(settings)
        self.assertEqual(self.exit_through_menu(), 0)
        self.assert_saved(DEFAULT_SETTINGS)

    def test_choosing_a_province_shows_its_first_city(self):
        self.start_widget()
        self.wait_for_weather_requests(1)
        settings = self.open_settings()
        province_combo, city_combo = self.combos(settings)
        left, top, right, bottom = province_combo["rect"]
        press(1, right - 8, (top + bottom) // 2)  # the drop-down button
        time.sleep(0.5)
        screenshot("settings-provinces.png")
        keys("Down", "Return")
        province = wait_until(
            lambda: self.combo_text(settings, province_combo, "安徽"), STEP_DEADLINE,
            "another province in the combo")
        city = self.catalogue.first_city(province)
        wait_until(lambda: city in map(requested_city, self.portal.weather_requests()),
                   STEP_DEADLINE, "the request for %s" % city)
        self.assertEqual(self.combo_text(settings, city_combo), city)
        [city_combo] = [c for c in self.controls(settings) if c["hwnd"] == city_combo["hwnd"]]
        self.assertEqual(city_combo["rows"], len(self.catalogue.cities(province)))
        self.close(settings)
        self.assertEqual(self.exit_through_menu(), 0)
        self.assert_saved(dict(DEFAULT_SETTINGS, province=province, city=city))

    def combo_text(self, settings, combo, unless=None):
        found = [c for c in self.controls(settings) if c["hwnd"] == combo["hwnd"]]
        text = bytes.fromhex(found[0]["title"]).decode(GBK) if found else None
        return None if text == unless else text

    def test_the_transparency_slider_sets_the_widget_alpha_at_once(self):
        self.start_widget()
        settings = self.open_settings()
        [slider] = [c for c in self.controls(settings) if c["class"] == TRACKBAR_CLASS and
                    c["visible"] and c["rect"][1] < settings["rect"][3]]
        self.assertEqual((slider["range_min"], slider["range_max"], slider["line_size"]),
                         (50, 255, 10))
        self.assertEqual(slider["position"], 200)
        left, top, right, bottom = slider["rect"]
        press(1, left + 3, bottom - 3)  # focuses it; a channel click may move it too
        for key, expected in [("Home", 50), ("Right", 60), ("Right", 70), ("Left", 60)]:
            with self.subTest(key=key):
                keys(key)
                wait_until(lambda: self.widget_state()["alpha"] == expected, STEP_DEADLINE,
                           "alpha %d after %s, it is %s" % (expected, key,
                                                            self.widget_state()["alpha"]))
        self.close(settings)
        self.assertEqual(self.exit_through_menu(), 0)
        self.assert_saved(dict(DEFAULT_SETTINGS, transparent="60"))

    def close(self, window):
        keys("alt+F4")
        wait_until(lambda: not [w for w in self.process_windows() if w["hwnd"] == window["hwnd"]
                                and w["visible"]], STEP_DEADLINE, "the window to close")
        wait_until(lambda: self.widget_state()["enabled"], STEP_DEADLINE,
                   "the widget enabled again")


class AboutWindowTest(WidgetCase):
    def open_about(self):
        self.run_menu_command(ABOUT)
        about = wait_until(lambda: windows_titled(ABOUT_TITLE), STEP_DEADLINE,
                           "the about window")[0]
        self.assertFalse(self.widget_state()["enabled"])
        return about

    def wait_closed(self, about):
        wait_until(lambda: not windows_titled(ABOUT_TITLE), STEP_DEADLINE,
                   "the about window to close")
        wait_until(lambda: self.widget_state()["enabled"], STEP_DEADLINE,
                   "the widget enabled again")

    def test_ok_and_escape_close_the_about_window(self):
        self.start_widget()
        about = self.open_about()
        time.sleep(1)
        screenshot("about.png")
        [ok] = [c for c in inspect("children", about["hwnd"])
                if c["class"] == "Button" and bytes.fromhex(c["title"]) == OK_TEXT.encode(GBK)]
        press(1, *center(ok))
        self.wait_closed(about)
        about = self.open_about()
        keys("Escape")
        self.wait_closed(about)
        self.assertTrue(self.widget.running())
        self.assertEqual(self.exit_through_menu(), 0)


def main():
    global NIMBREL_EXE, INSPECTOR_EXE, SHIPPED_BOOT_INI, WINE_RUN, ARTIFACTS
    if len(sys.argv) < 6:
        sys.exit(__doc__)
    NIMBREL_EXE, INSPECTOR_EXE, SHIPPED_BOOT_INI, WINE_RUN, ARTIFACTS = sys.argv[1:6]
    if not os.environ.get("DISPLAY"):
        sys.exit("no DISPLAY: run this inside tests/wine/session.sh")
    for signal_number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(signal_number, WineProcess.kill_all_and_exit)
    unittest.main(argv=[sys.argv[0]] + sys.argv[6:], verbosity=2)


if __name__ == "__main__":
    main()
