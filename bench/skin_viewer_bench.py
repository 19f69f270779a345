#!/usr/bin/python3
"""Figures of the launcher's skin on screen (SkinViewer) against the floor,
the minimal layered window, in the same run under wine64 on the test
display. It prints figures; it is not a test.

  bench/skin_viewer_bench.py [--build build/x64] [--runs 5] [--idle 10]

Per program and run: seconds from process start to the first frame on
screen (the first change of a probe pixel of the window's background; for
SkinViewer also the end of its fade-in, when the pixel shows the background
colour), then CPU use over --idle seconds as a percent of one core and the
peak resident memory, both while idle with the loading animation playing.
One extra SkinViewer run times full-window paints: the program repaints its
whole client area 60 times and writes how long each WM_PAINT took.
"""
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))
sys.path.insert(0, HERE)
import gui_bench  # noqa: E402
import gui_harness  # noqa: E402

VIEWER = "tools/SkinViewer/SkinViewer.exe"
BACK = (0x20, 0x23, 0x2A)
WINDOW = (1005, 669)   # the skin's 977 x 641 and the 14-pixel shadow band
EMPTY = (34, 614)      # a window point where only the background shows
PAINT_LOG_VARIABLE = "SKINVIEWER_PAINT_LOG"


def probe_point(display, program):
    """A screen point of the program's background once its window is up."""
    width, height = gui_harness.screen_size(display)
    if program == "floor":
        return width // 2, height // 2
    return (width - WINDOW[0]) // 2 + EMPTY[0], (height - WINDOW[1]) // 2 + EMPTY[1]


def close_with_alt_f4(harness, started, point):
    """alt+F4 after a click at `point` (a screen point of bare background)
    has made the window the active one: Wine types keys into its active
    window, which after the previous run's program is none."""
    window = started.wait_window()
    left, top, _, _ = window.geometry()
    window.activate(point[0] - left, point[1] - top)
    window.key("alt+F4")


def measure(harness, path, args, point, idle):
    box = (point[0], point[1], point[0] + 1, point[1] + 1)

    def pixel():
        return gui_harness.grab_screen(harness.display, box).getpixel((0, 0))
    gui_harness.wait_until(lambda: not gui_harness.colour_close(pixel(), BACK), 60, "the probe pixel to clear")
    empty = pixel()
    started = harness.start(path, *args)
    gui_harness.wait_until(lambda: pixel() != empty, 60, "a first frame", interval=0.002)
    figures = {"first_frame_s": time.monotonic() - started.started}
    gui_harness.wait_until(lambda: gui_harness.colour_close(pixel(), BACK), 60, "an opaque frame", interval=0.002)
    figures["opaque_frame_s"] = time.monotonic() - started.started
    cpu_before, idle_began = started.cpu_seconds(), time.monotonic()
    time.sleep(idle)  # the measuring window itself
    cpu_after = started.cpu_seconds()
    figures["idle_cpu_percent"] = 100.0 * (cpu_after - cpu_before) / (time.monotonic() - idle_began)
    figures["peak_memory_mib"] = started.peak_memory_kib() / 1024.0
    close_with_alt_f4(harness, started, point)
    if started.wait_exit(30) != 0:
        raise SystemExit("%s did not end with 0" % os.path.basename(path))
    return figures


def paint_times(harness, viewer):
    log = os.path.join(harness.artifacts, "paint-times.txt")
    os.environ[PAINT_LOG_VARIABLE] = gui_harness.wine_path(log)
    try:
        started = harness.start(viewer)
    finally:
        del os.environ[PAINT_LOG_VARIABLE]

    def times():
        try:
            with open(log) as f:
                values = [float(line) for line in f.read().split()]
        except (OSError, ValueError):
            return None
        return values or None
    values = gui_harness.wait_until(times, 60, "the paint times")
    close_with_alt_f4(harness, started, probe_point(harness.display, "viewer"))
    started.wait_exit(30)
    return values


def report(name, runs):
    print(name)
    for key, label, unit in (("first_frame_s", "start to first frame", "s"),
                             ("opaque_frame_s", "start to opaque frame", "s"),
                             ("idle_cpu_percent", "idle CPU", "% of a core"),
                             ("peak_memory_mib", "peak resident memory", "MiB")):
        values = [run[key] for run in runs]
        print("  %-24s median %8.3f %-12s (min %.3f, max %.3f)" % (label, statistics.median(values), unit,
                                                                   min(values), max(values)))


def main():
    options = gui_bench.bench_parser(__doc__).parse_args()
    build = os.path.abspath(options.build)

    with gui_bench.test_display(build):
        harness = gui_harness.Harness("skin_viewer_bench", build)
        try:
            floor, viewer = harness.program(gui_bench.FLOOR), harness.program(VIEWER)
            programs = {"floor": (floor, []), "viewer": (viewer, [])}
            points = {name: probe_point(harness.display, name) for name in programs}
            # One unmeasured start of each warms Wine's caches as a second start would.
            for name, (path, args) in programs.items():
                measure(harness, path, args, points[name], 0.5)
            runs = {name: [] for name in programs}
            for _ in range(options.runs):
                for name, (path, args) in programs.items():
                    runs[name].append(measure(harness, path, args, points[name], options.idle))
            paints = paint_times(harness, viewer)
        finally:
            harness.close()

    print("under wine64, %d runs each after one warm-up, %.0f s idle per run" % (options.runs, options.idle))
    report("MinimalLayeredWindow.exe (floor)", runs["floor"])
    report("SkinViewer.exe (launcher skin)", runs["viewer"])
    floor_first = statistics.median(r["first_frame_s"] for r in runs["floor"])
    viewer_first = statistics.median(r["first_frame_s"] for r in runs["viewer"])
    viewer_opaque = statistics.median(r["opaque_frame_s"] for r in runs["viewer"])
    floor_memory = statistics.median(r["peak_memory_mib"] for r in runs["floor"])
    viewer_memory = statistics.median(r["peak_memory_mib"] for r in runs["viewer"])
    print("ratios and aims")
    print("  first frame / floor      %6.2f   (aim <= 1.25)" % (viewer_first / floor_first))
    print("  opaque frame / floor     %6.2f   (the fade-in takes 250 ms)" % (viewer_opaque / floor_first))
    print("  memory over floor        %6.1f MiB (aim <= 16)" % (viewer_memory - floor_memory))
    print("  idle CPU                 %6.2f %%  (aim < 2)" %
          statistics.median(r["idle_cpu_percent"] for r in runs["viewer"]))
    print("  full-window paint        median %.2f ms, min %.2f, max %.2f over %d paints (aim <= 8)" %
          (statistics.median(paints), min(paints), max(paints), len(paints)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
