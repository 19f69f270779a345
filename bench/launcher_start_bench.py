#!/usr/bin/python3
"""Start-up figures of Launcher.exe against the demo service, beside the
floor (the minimal layered window) measured in the same run, the same Wine
prefix and on the same display. It prints figures; it is not a test.

  bench/launcher_start_bench.py [--build build/x64] [--runs 5] [--idle 10]
                                [--launcher OTHER/Launcher.exe]

Four cases: on loopback and with every answer of the demo service delayed by
100 ms (its "delay" rule on the configuration, its signature and every
picture), each as a first start (an empty tmp folder: every picture is
downloaded) and as a second start (the tmp folder of the start before:
pictures revalidated). The pointer rests in the screen's corner at each
start.
For each: seconds from process start until the filled cards are on screen
(the first card's served icon shows and the loading animation is gone),
connections the demo service accepted, picture bytes it sent, peak resident
memory, and CPU use while idle with the cards shown. For the floor: process
start to first frame (bench/gui_bench.py). Medians of --runs runs after one
warm-up each; the launcher runs from a launcher folder of its own in a
prefix of its own, both deleted afterwards. --launcher measures another
build's program (such as the main branch's) with this harness.
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


def make_launcher_folder(harness, program):
    folder = os.path.join(harness.artifacts, "launcher")
    for sub in ("soft", "Game", "tmp"):
        os.makedirs(os.path.join(folder, sub), exist_ok=True)
    shutil.copy(program, os.path.join(folder, "Launcher.exe"))
    return folder


def empty_tmp(folder):
    tmp = os.path.join(folder, "tmp")
    shutil.rmtree(tmp, ignore_errors=True)
    os.makedirs(tmp)


def delay_rules(site, seconds):
    """The demo service's "delay" rule on the configuration and every picture."""
    paths = ["/FTP/cs/Launcher/Config.ini", "/FTP/cs/Launcher/Config.ini.minisig", "/FTP/cs/Launcher/Logo.png"]
    paths += ["/FTP/cs/images/" + name for name in sorted(os.listdir(os.path.join(site, "FTP", "cs", "images")))]
    return {path: {"delay": seconds} for path in paths}


def picture_bytes(service):
    """Body bytes the demo service sent for the logo and the card pictures."""
    try:
        with open(service.sent_path, encoding="utf-8") as f:
            lines = [line.split(" ") for line in f.read().splitlines()]
    except OSError:
        return 0
    return sum(int(fields[2]) for fields in lines if len(fields) == 3 and fields[0] == "GET" and
               (fields[1].startswith("/FTP/cs/images/") or fields[1] == "/FTP/cs/Launcher/Logo.png"))


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


def run_launcher(harness, service, folder, icon, idle):
    connections_before, bytes_before = service.connections(), picture_bytes(service)
    # The pointer goes where a player's is after starting a program, not on
    # the close button the last run clicked: its hover animation would run
    # during the start and the idle window.
    gui_harness.move_pointer_to(harness.display, 0, 0)
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
    figures["connections"] = service.connections() - connections_before
    figures["picture_bytes"] = picture_bytes(service) - bytes_before
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
    launcher = "connections" in runs[0]
    for key, label, unit in (("first_frame_s", "process start to %s" % ("filled cards" if launcher
                                                                          else "first frame"), "s"),
                             ("connections", "connections accepted", ""),
                             ("picture_bytes", "picture bytes sent", "B"),
                             ("peak_memory_mib", "peak resident memory", "MiB"),
                             ("idle_cpu_percent", "idle CPU over %.0f s" % idle, "% of one core")):
        if key not in runs[0]:
            continue
        values = [run[key] for run in runs]
        print("  %-32s median %8.3f %s  (min %.3f, max %.3f)" % (label, statistics.median(values), unit,
                                                                  min(values), max(values)))
    return statistics.median(run["first_frame_s"] for run in runs)


def measure_case(harness, service, folder, icon, options, second_start):
    """One warm-up and --runs runs; a first start empties tmp before each."""
    runs = []
    for run in range(options.runs + 1):
        if not second_start:
            empty_tmp(folder)
        figures = run_launcher(harness, service, folder, icon, options.idle if run else 0.5)
        if run:
            runs.append(figures)
    return runs


def main():
    parser = gui_bench.bench_parser(__doc__)
    parser.add_argument("--launcher", help="Launcher.exe to measure (default: the build's)")
    options = parser.parse_args()
    build = os.path.abspath(options.build)
    cases = {}

    with gui_bench.test_display(build):
        harness = gui_harness.Harness("launcher_start_bench", build)
        try:
            service = harness.serve_demo_site()
            # Both programs run in the bench's own prefix.
            harness.environment = make_prefix(harness)
            site = os.path.join(build, "demo", "site")
            icon = Image.open(os.path.join(site, "FTP", "cs", "images", "Nebula_icon.png")).convert("RGBA")
            folder = make_launcher_folder(harness, os.path.abspath(options.launcher) if options.launcher
                                          else harness.program("Launcher/Launcher.exe"))
            run_launcher(harness, service, folder, icon, 0.5)  # makes the shortcut, as a very first start does
            for delayed in (False, True):
                service.set_rules(delay_rules(site, 0.1) if delayed else {})
                for second_start in (False, True):
                    name = "%s, %s start" % ("100 ms per answer" if delayed else "loopback",
                                             "second" if second_start else "first")
                    cases[name] = measure_case(harness, service, folder, icon, options, second_start)
            service.set_rules({})

            floor_program = harness.program(gui_bench.FLOOR)
            colour = tuple(int(gui_bench.FLOOR_COLOUR[i:i + 2], 16) for i in (0, 2, 4))
            gui_bench.run_once(harness, floor_program, [], None, colour, 0.5)
            floor = [gui_bench.run_once(harness, floor_program, [], None, colour, options.idle)
                     for _ in range(options.runs)]
        finally:
            harness.close()
            shutil.rmtree(harness.artifacts, ignore_errors=True)

    floor_median = report("MinimalLayeredWindow.exe (floor), same prefix and display", floor, options.idle)
    for name, runs in cases.items():
        median = report("Launcher.exe, %s" % name, runs, options.idle)
        print("  filled cards / floor: %.2f;  filled cards - floor: %.3f s" % (median / floor_median,
                                                                          median - floor_median))
    return 0


if __name__ == "__main__":
    sys.exit(main())
