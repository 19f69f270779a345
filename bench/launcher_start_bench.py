#!/usr/bin/python3
"""Start-up figures of Launcher.exe against the demo service, beside the
floor (the minimal layered window) measured in the same run, the same Wine
prefix and on the same display. It prints figures; it is not a test.

  bench/launcher_start_bench.py [--build build/x64] [--runs 5] [--idle 10]

For the launcher: seconds from process start until the filled cards are on
screen (the first card's served icon shows and the loading animation is
gone), peak resident memory, and CPU use while idle with the cards shown.
For the floor: process start to first frame (bench/gui_bench.py). Then the
ratio of the two start times. Medians of --runs runs after one warm-up each;
the launcher runs from a launcher folder of its own in a prefix of its own,
both deleted afterwards.
"""
import glob
import os
import shutil
import statistics
import subprocess
import sys
import time

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))
sys.path.insert(0, HERE)
import gui_bench  # noqa: E402
import gui_harness  # noqa: E402

SKIN = (977, 641)
SHADOW = 14
ICON = (40 + 10, 100 + 10)            # the first card's icon in the skin
LOADING_STRIP = (484, 230, 496, 470)  # crossed by the loading animation, bare once the cards show
CLOSE_BUTTON = (920, 45)              # "closebtn" in the skin


def make_prefix(harness):
    """A prefix whose desktop is a folder of its own (the launcher puts its
    shortcut there), made before anything is timed."""
    prefix = harness.isolated_environment("bench-prefix")
    subprocess.run(prefix.command("cmd", ["/c", "exit", "0"]), env=prefix.env(harness.marker),
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=180, check=True)
    for desktop in glob.glob(os.path.join(prefix.prefix, "drive_c", "users", "*", "Desktop")):
        if os.path.islink(desktop):
            os.remove(desktop)
            os.makedirs(desktop)
    return prefix


def make_launcher_folder(harness):
    folder = os.path.join(harness.artifacts, "launcher")
    for sub in ("soft", "Game", "tmp"):
        os.makedirs(os.path.join(folder, sub), exist_ok=True)
    shutil.copy(harness.program("Launcher/Launcher.exe"), folder)
    return folder


def launcher_window(program):
    """The launcher's window as soon as it exists (polled tightly: the
    clock is running)."""
    size = (SKIN[0] + 2 * SHADOW, SKIN[1] + 2 * SHADOW)
    def find():
        for window_id in program.windows():
            window = gui_harness.Window(program.harness, window_id)
            try:
                if tuple(window.geometry()[2:]) == size:
                    return window
            except AssertionError:
                continue
        return None
    return gui_harness.wait_until(find, 60, "the launcher's window", interval=0.005)


def run_launcher(harness, folder, icon, idle):
    started = harness.start(os.path.join(folder, "Launcher.exe"), cwd=folder)
    window = launcher_window(started)
    left, top, _, _ = window.geometry()
    origin = (left + SHADOW, top + SHADOW)
    icon_box = (origin[0] + ICON[0], origin[1] + ICON[1], origin[0] + ICON[0] + 31, origin[1] + ICON[1] + 35)
    strip_box = tuple(origin[i % 2] + v for i, v in enumerate(LOADING_STRIP))
    expected = icon.convert("RGB")
    mask = icon.split()[3]

    def filled():
        shown = gui_harness.grab_screen(harness.display, icon_box)
        pairs = [(a, b) for a, b, m in zip(shown.getdata(), expected.getdata(), mask.getdata()) if m == 255]
        if sum(abs(x - y) for a, b in pairs for x, y in zip(a, b)) / (3 * len(pairs)) > 6:
            return False
        strip = gui_harness.grab_screen(harness.display, strip_box)
        return sum(1 for pixel in strip.getdata() if max(pixel) > 150) <= 20
    gui_harness.wait_until(filled, 60, "the filled cards", interval=0.002)
    figures = {"first_frame_s": time.monotonic() - started.started}
    cpu_before, idle_began = started.cpu_seconds(), time.monotonic()
    time.sleep(idle)  # the measuring window itself
    cpu_after = started.cpu_seconds()
    figures["idle_cpu_percent"] = 100.0 * (cpu_after - cpu_before) / (time.monotonic() - idle_began)
    figures["peak_memory_mib"] = started.peak_memory_kib() / 1024.0
    # The close button, as a player ends it: it works whichever window is
    # active (keys would go to the floor's closed window after a floor run).
    window.click(SHADOW + CLOSE_BUTTON[0], SHADOW + CLOSE_BUTTON[1])
    if started.wait_exit(30) != 0:
        raise SystemExit("Launcher.exe did not end with code 0")
    return figures


def report(name, runs, idle):
    print("%s, %d runs after one warm-up" % (name, len(runs)))
    for key, label, unit in (("first_frame_s", "process start to %s" % ("filled cards" if "Launcher" in name
                                                                          else "first frame"), "s"),
                             ("peak_memory_mib", "peak resident memory", "MiB"),
                             ("idle_cpu_percent", "idle CPU over %.0f s" % idle, "% of one core")):
        values = [run[key] for run in runs]
        print("  %-32s median %8.3f %s  (min %.3f, max %.3f)" % (label, statistics.median(values), unit,
                                                                  min(values), max(values)))
    return statistics.median(run["first_frame_s"] for run in runs)


def main():
    options = gui_bench.bench_parser(__doc__).parse_args()
    build = os.path.abspath(options.build)

    with gui_bench.test_display(build):
        harness = gui_harness.Harness("launcher_start_bench", build)
        try:
            harness.serve_demo_site()
            # Both programs run in the bench's own prefix.
            harness.environment = make_prefix(harness)
            site = os.path.join(build, "demo", "site", "FTP", "cs", "images")
            icon = Image.open(os.path.join(site, "Nebula_icon.png")).convert("RGBA")
            folder = make_launcher_folder(harness)
            run_launcher(harness, folder, icon, 0.5)  # warm-up; makes the shortcut, as a first start does
            launcher = [run_launcher(harness, folder, icon, options.idle) for _ in range(options.runs)]

            floor_program = harness.program(gui_bench.FLOOR)
            colour = tuple(int(gui_bench.FLOOR_COLOUR[i:i + 2], 16) for i in (0, 2, 4))
            gui_bench.run_once(harness, floor_program, [], None, colour, 0.5)
            floor = [gui_bench.run_once(harness, floor_program, [], None, colour, options.idle)
                     for _ in range(options.runs)]
        finally:
            harness.close()
            shutil.rmtree(harness.artifacts, ignore_errors=True)

    launcher_median = report("Launcher.exe against the demo service under wine64", launcher, options.idle)
    floor_median = report("MinimalLayeredWindow.exe (floor), same prefix and display", floor, options.idle)
    print("filled cards / floor first frame: %.2f (aim: at most 2)" % (launcher_median / floor_median))
    return 0


if __name__ == "__main__":
    sys.exit(main())
