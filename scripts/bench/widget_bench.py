#!/usr/bin/env python3
"""The widget's benchmark section, run by scripts/bench/widget.sh inside a Wine session.

  widget_bench.py JSON_OUT

Every figure is measured next to its reference in the same run, alternating round by round,
and reported as min/median/max. Nothing here judges a number: the table is for reading.
The paths of the programs come from the environment that widget.sh sets (NIMBREL_BENCH_*).
"""

import json
import os
import platform
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
from loopback_portal import WEATHER_QUERY, LoopbackPortal  # noqa: E402

DEFAULT_CITY = "淮南"
START_DEADLINE = 60
WINDOW_DEADLINE = 30
POLL_INTERVAL = 0.002
PROBE_TIMEOUT = 900
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
LEAK_WARM_UP_CYCLES = 10
SETTLE_QUIET = 3
SETTLE_DEADLINE = 120
# Kind, label and the pause after each cycle in ms. Refreshes are paced as a user's would be:
# sent back to back, each cancels the page before and the browser piles up a worker thread
# (a stack and a server pipe) per unfinished request, which is load, not a leak.
LEAK_KINDS = [("menu", "open and dismiss ConfigMenu", 0),
              ("settings", "open and close SettingsWindow", 0),
              ("about", "open and close AboutWindow", 0),
              ("refresh", "手动刷新", 100),
              ("slider", "slider move", 0)]
# Wine sets this when a call is only a stub (ERROR_CALL_NOT_IMPLEMENTED).
ERROR_CALL_NOT_IMPLEMENTED = 120


def setting(name, default):
    return int(os.environ.get("NIMBREL_BENCH_" + name, default))


ROUNDS = setting("ROUNDS", 7)
MEMORY_DELAY = setting("MEMORY_DELAY", 10)
IDLE_SECONDS = setting("IDLE_SECONDS", 60)
IDLE_SETTLE = setting("IDLE_SETTLE", 5)
CYCLES = setting("CYCLES", 1000)
# A trial run may measure only some parts: NIMBREL_BENCH_PARTS=start,idle,leak,size.
PARTS = os.environ.get("NIMBREL_BENCH_PARTS", "start,idle,leak,size").split(",")

NIMBREL_EXE = os.environ["NIMBREL_BENCH_EXE"]
FLOOR_EXE = os.environ["NIMBREL_BENCH_FLOOR"]
PROBE_EXE = os.environ["NIMBREL_BENCH_PROBE"]
SHIPPED_BOOT_INI = os.environ["NIMBREL_BENCH_BOOT_INI"]
SHIPPED_I686_EXE = os.environ["NIMBREL_BENCH_I686_EXE"]
FLOOR_I686_EXE = os.environ["NIMBREL_BENCH_I686_FLOOR"]
WINE_RUN = os.environ["NIMBREL_WINE_RUN"]


# --- the loopback portal ----------------------------------------------------------------------

class Portal(LoopbackPortal):
    """The loopback portal, asked when each weather request arrived."""

    def count(self):
        return len(self.weather_arrivals())

    def first_after(self, index):
        arrivals = self.weather_arrivals()
        return arrivals[index] if len(arrivals) > index else None


# --- programs under Wine ----------------------------------------------------------------------

class WineProgram:
    """A Windows program started through wine-run in a process group of its own. wine-run
    ends in exec, so the Linux process is the Windows program itself: /proc tells its memory
    and CPU time."""

    def __init__(self, args, cwd=None):
        self.started = time.monotonic()
        self.process = subprocess.Popen([WINE_RUN] + args, cwd=cwd, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        start_new_session=True)

    @property
    def pid(self):
        return self.process.pid

    def cpu_ticks(self):
        with open("/proc/%d/stat" % self.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])  # utime + stime

    def memory_kib(self):
        """Resident and private (anonymous and file-backed pages mapped by this process
        alone) memory in KiB."""
        resident = private = 0
        with open("/proc/%d/smaps_rollup" % self.pid) as f:
            for line in f:
                key, _, rest = line.partition(":")
                if key == "Rss":
                    resident = int(rest.split()[0])
                elif key in ("Private_Clean", "Private_Dirty"):
                    private += int(rest.split()[0])
        return resident, private

    def stop(self):
        if self.process.poll() is None:
            try:
                os.killpg(self.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.process.wait(WINDOW_DEADLINE)


def probe(*args):
    result = subprocess.run([WINE_RUN, PROBE_EXE] + [str(a) for a in args],
                            stdin=subprocess.DEVNULL, capture_output=True, timeout=PROBE_TIMEOUT)
    lines = [l for l in result.stdout.decode("ascii", "replace").splitlines()
             if l.startswith("{")]
    if not lines:
        raise RuntimeError("the probe said nothing: %s" % result.stderr.decode(errors="replace"))
    return json.loads(lines[-1])


def wait_until(check, deadline, what):
    end = time.monotonic() + deadline
    while time.monotonic() < end:
        value = check()
        if value:
            return value
        time.sleep(POLL_INTERVAL)
    raise RuntimeError("timed out waiting for " + what)


class Subjects:
    """Starts the widget (in a fresh directory of its own, as on a first start) and the floor
    program, both pointed at the same portal and the same page."""

    def __init__(self, portal):
        self.portal = portal
        with open(SHIPPED_BOOT_INI, "rb") as f:
            shipped = f.read()
        self.catalogue, count = re.subn(rb"(?m)^base=[^\r\n]*",
                                        b"base=" + portal.base.encode("ascii"), shipped)
        assert count == 1, "the shipped boot.ini has no single weather base"
        self.address = portal.base + WEATHER_QUERY[1:] + DEFAULT_CITY
        self.directories = []

    def widget(self, stored_settings=b""):
        directory = tempfile.mkdtemp(prefix="nimbrel-bench-")
        self.directories.append(directory)
        exe = os.path.join(directory, "Nimbrel.exe")
        shutil.copyfile(NIMBREL_EXE, exe)
        with open(os.path.join(directory, "boot.ini"), "wb") as f:
            f.write(self.catalogue + stored_settings)
        return WineProgram([exe], cwd=directory)

    def floor(self):
        return WineProgram([FLOOR_EXE, self.address])

    def cleanup(self):
        for directory in self.directories:
            shutil.rmtree(directory, True)


# --- figures ----------------------------------------------------------------------------------

def spread(values):
    return {"min": min(values), "median": statistics.median(values), "max": max(values),
            "values": values}


def ratio(figure, reference):
    return figure["median"] / reference["median"] if reference["median"] else None


def start_and_memory(subjects, portal):
    """Start to first weather request, then resident and private memory MEMORY_DELAY s after
    the start, widget and floor alternating."""
    samples = {name: {"start_s": [], "resident_kib": [], "private_kib": []}
               for name in ("widget", "floor")}
    for round_number in range(ROUNDS):
        order = ["widget", "floor"] if round_number % 2 == 0 else ["floor", "widget"]
        for name in order:
            seen = portal.count()
            program = subjects.widget() if name == "widget" else subjects.floor()
            try:
                arrival = wait_until(lambda: portal.first_after(seen), START_DEADLINE,
                                     "the weather request of the " + name)
                samples[name]["start_s"].append(arrival - program.started)
                time.sleep(max(0.0, program.started + MEMORY_DELAY - time.monotonic()))
                resident, private = program.memory_kib()
                samples[name]["resident_kib"].append(resident)
                samples[name]["private_kib"].append(private)
            finally:
                program.stop()
        print("  round %d/%d: start widget %.3f s, floor %.3f s" % (
            round_number + 1, ROUNDS, samples["widget"]["start_s"][-1],
            samples["floor"]["start_s"][-1]), flush=True)
    return {name: {key: spread(values) for key, values in figures.items()}
            for name, figures in samples.items()}


TIMED_REFRESH_ON = b"\r\n[set]\r\nrefresh=1\r\n"


def idle_cpu(subjects, portal):
    """CPU ticks over IDLE_SECONDS of sitting still, widget and floor side by side in the same
    window of time, once with timed refresh off and once with it on."""
    samples = {"widget_still": [], "floor_still": [], "widget_timed": [], "floor_timed": []}
    for round_number in range(ROUNDS):
        for mode, stored in (("still", b""), ("timed", TIMED_REFRESH_ON)):
            seen = portal.count()
            programs = {"widget": subjects.widget(stored), "floor": subjects.floor()}
            try:
                wait_until(lambda: portal.count() >= seen + 2, START_DEADLINE,
                           "both weather requests")
                time.sleep(IDLE_SETTLE)
                before = {name: p.cpu_ticks() for name, p in programs.items()}
                time.sleep(IDLE_SECONDS)
                for name, program in programs.items():
                    samples[name + "_" + mode].append(program.cpu_ticks() - before[name])
            finally:
                for program in programs.values():
                    program.stop()
        print("  round %d/%d: widget %d/%d ticks, floor %d/%d ticks (still/timed)" % (
            round_number + 1, ROUNDS, samples["widget_still"][-1], samples["widget_timed"][-1],
            samples["floor_still"][-1], samples["floor_timed"][-1]), flush=True)
    return {name: spread(values) for name, values in samples.items()}


def counts_of(program):
    counts = probe("counts")
    if "error" in counts:
        raise RuntimeError("the probe cannot read the widget: " + counts["error"])
    counts["resident_kib"], counts["private_kib"] = program.memory_kib()
    counts["fds"] = len(os.listdir("/proc/%d/fd" % program.pid))
    return counts


def settle(portal):
    """Waits until the page requests have stopped arriving, so that the browser's worker
    threads for them are gone before the counts are read."""
    end = time.monotonic() + SETTLE_DEADLINE
    count = portal.count()
    while time.monotonic() < end:
        time.sleep(SETTLE_QUIET)
        if portal.count() == count:
            return
        count = portal.count()


def leak_cycles(subjects, portal):
    """CYCLES of each action on one running widget; counts before (after a short warm-up that
    fills the caches a first use fills) and after."""
    results = {}
    seen = portal.count()
    widget = subjects.widget()
    try:
        wait_until(lambda: portal.count() > seen, START_DEADLINE, "the widget's weather request")
        # The request goes out before the window is first shown; let the start-up finish.
        wait_until(lambda: "error" not in probe("counts"), WINDOW_DEADLINE, "the widget window")
        for kind, label, pause_ms in LEAK_KINDS:
            warm_up = probe("cycles", kind, LEAK_WARM_UP_CYCLES, pause_ms)
            if not warm_up.get("ok"):
                raise RuntimeError("%s cycles do not run: %s" % (kind, warm_up))
            before = counts_of(widget)
            run = probe("cycles", kind, CYCLES, pause_ms)
            settle(portal)
            after = counts_of(widget)
            results[kind] = {"label": label, "pause_ms": pause_ms, "run": run, "before": before,
                             "after": after}
            print("  %s: %d cycles in %.1f s, ok=%s" % (kind, run.get("cycles", 0),
                                                       run.get("ms", 0) / 1000.0,
                                                       run.get("ok")), flush=True)
    finally:
        widget.stop()
    return results


def sizes():
    return {"widget_i686_bytes": os.path.getsize(SHIPPED_I686_EXE),
            "floor_i686_bytes": os.path.getsize(FLOOR_I686_EXE)}


# --- the table --------------------------------------------------------------------------------

def row(name, figure, reference, unit, scale=1.0, digits=3):
    def triple(f):
        return "/".join("%.*f" % (digits, f[key] * scale) for key in ("min", "median", "max"))
    r = ratio(figure, reference)
    print("%-34s %-26s %-26s %s" % (name + " (" + unit + ")", triple(figure), triple(reference),
                                    "%.2f" % r if r is not None else "-"))


def counter_text(counts, key):
    """A counter Wine only stubs reads "stub": GetGuiResources fails with
    ERROR_CALL_NOT_IMPLEMENTED, GetProcessHandleCount answers 0 for any live process."""
    if counts.get(key + "_error") == ERROR_CALL_NOT_IMPLEMENTED or (
            key == "handles" and counts[key] == 0):
        return "stub"
    return str(counts[key])


def print_table(result):
    print()
    print("widget benchmark: %d rounds, alternating; min/median/max" % ROUNDS)
    print("%-34s %-26s %-26s %s" % ("figure", "Nimbrel.exe", "floor program", "ratio"))
    if "start_and_memory" in result:
        print_start(result["start_and_memory"])
    if "idle_cpu" in result:
        print_idle(result["idle_cpu"])
    if "size" in result:
        print_size(result["size"])
    if "leak_cycles" in result:
        print_leaks(result["leak_cycles"])


def print_start(start):
    row("start to first page request", start["widget"]["start_s"], start["floor"]["start_s"],
        "s")
    row("resident %d s after start" % MEMORY_DELAY, start["widget"]["resident_kib"],
        start["floor"]["resident_kib"], "MiB", 1 / 1024.0, 1)
    row("private %d s after start" % MEMORY_DELAY, start["widget"]["private_kib"],
        start["floor"]["private_kib"], "MiB", 1 / 1024.0, 1)


def print_idle(idle):
    row("CPU over %d s still" % IDLE_SECONDS, idle["widget_still"], idle["floor_still"],
        "ticks", 1, 0)
    row("CPU over %d s, timed refresh on" % IDLE_SECONDS, idle["widget_timed"],
        idle["floor_timed"], "ticks", 1, 0)


def print_size(size):
    print("%-34s %-26d %-26d %.2f" % ("shipped i686 exe (bytes)", size["widget_i686_bytes"],
                                      size["floor_i686_bytes"],
                                      size["widget_i686_bytes"] / size["floor_i686_bytes"]))


def print_leaks(leaks):
    print()
    print("%d cycles each on one widget, before -> after (after %d warm-up cycles)" % (
        CYCLES, LEAK_WARM_UP_CYCLES))
    print("%-30s %-8s %-17s %-17s %-11s %-11s %-11s %-11s %-11s" % (
        "action", "seconds", "resident KiB", "private KiB", "handles", "Linux fds", "windows",
        "GDI", "USER"))
    for kind, leak in leaks.items():
        b, a = leak["before"], leak["after"]
        print("%-30s %-8.1f %-17s %-17s %-11s %-11s %-11s %-11s %-11s" % (
            leak["label"] + (" %d ms apart" % leak["pause_ms"] if leak["pause_ms"] else "") +
            ("" if leak["run"].get("ok") else " (FAILED)"),
            leak["run"].get("ms", 0) / 1000.0,
            "%d->%d" % (b["resident_kib"], a["resident_kib"]),
            "%d->%d" % (b["private_kib"], a["private_kib"]),
            "%s->%s" % (counter_text(b, "handles"), counter_text(a, "handles")),
            "%d->%d" % (b["fds"], a["fds"]), "%d->%d" % (b["windows"], a["windows"]),
            "%s->%s" % (counter_text(b, "gdi"), counter_text(a, "gdi")),
            "%s->%s" % (counter_text(b, "user"), counter_text(a, "user"))))
    print("'stub': Wine does not count handles (GetProcessHandleCount gives 0) nor GDI/USER "
          "objects (GetGuiResources is not implemented); 'Linux fds' (the files, sockets and "
          "server objects Wine holds for the process) and 'windows' (the process's windows, "
          "the USER objects Wine does report) stand in for them.")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    portal = Portal()
    subjects = Subjects(portal)
    result = {"machine": {"cpu": cpu_name(), "cores": os.cpu_count(),
                          "kernel": platform.release(), "wine": wine_version()},
              "settings": {"rounds": ROUNDS, "memory_delay_s": MEMORY_DELAY,
                           "idle_s": IDLE_SECONDS, "cycles": CYCLES}}
    try:
        if "start" in PARTS:
            print("start-up and memory:", flush=True)
            result["start_and_memory"] = start_and_memory(subjects, portal)
            start = result["start_and_memory"]
            result["start_ratio"] = ratio(start["widget"]["start_s"], start["floor"]["start_s"])
        if "idle" in PARTS:
            print("idle CPU:", flush=True)
            result["idle_cpu"] = idle_cpu(subjects, portal)
        if "leak" in PARTS:
            print("leak cycles:", flush=True)
            result["leak_cycles"] = leak_cycles(subjects, portal)
        if "size" in PARTS:
            result["size"] = sizes()
    finally:
        subjects.cleanup()
        portal.stop()
    with open(sys.argv[1], "w") as f:
        json.dump(result, f, indent=1, ensure_ascii=False)
    print_table(result)
    print("machine: %s, %d cores, Linux %s, %s" % (
        result["machine"]["cpu"], result["machine"]["cores"], result["machine"]["kernel"],
        result["machine"]["wine"]))


def cpu_name():
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return platform.machine()


def wine_version():
    try:
        return subprocess.run(["/usr/lib/wine/wine64", "--version"], capture_output=True,
                              timeout=30).stdout.decode().strip()
    except (OSError, subprocess.SubprocessError):
        return "wine"


if __name__ == "__main__":
    main()
