#!/usr/bin/python3
"""Start-up figures of a Windows GUI program under wine64 on the test
display: process start to first frame on screen, peak resident memory and
CPU use while idle, as medians of several runs. It prints figures; it is not
a test.

  bench/gui_bench.py [--build build/x64] [--runs 5] [--idle 10]
  bench/gui_bench.py --program PATH --colour 20232a [--point X,Y] [-- ARGS...]

Without --program it measures the floor: tests/gui/MinimalLayeredWindow.exe,
one layered window in the launcher's background colour. A first frame is the
moment the screen pixel at --point (default: the screen's centre) shows
--colour. Each run ends the program with alt+F4, after a click at --point
has made its window the active one (Wine types keys into its active window,
whatever has the X focus), so --point must be a spot where a click does
nothing else. When the build tree's test display is not up, the script
starts it (scripts/wine-env.sh) and stops it afterwards.
"""
import argparse
import contextlib
import os
import shutil
import statistics
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))
import gui_harness  # noqa: E402

FLOOR = "tests/gui/MinimalLayeredWindow.exe"
FLOOR_COLOUR = "20232a"


def display_up(build):
    try:
        with open(os.path.join(build, "wine", "xvfb.pid")) as f:
            os.kill(int(f.read()), 0)
        return True
    except (OSError, ValueError):
        return False


def bench_parser(description):
    """The options every GUI benchmark takes."""
    parser = argparse.ArgumentParser(description=description.split("\n\n")[0])
    parser.add_argument("--build", default=gui_harness.default_build_dir())
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle", type=float, default=10.0, help="seconds of idle measurement per run")
    return parser


@contextlib.contextmanager
def test_display(build):
    """The build tree's test display: the one already up, or one started
    for the benchmark and stopped after it."""
    started = not display_up(build)
    script = os.path.join(HERE, "..", "scripts", "wine-env.sh")
    if started:
        subprocess.run([script, "start", build], check=True)
    try:
        yield
    finally:
        if started:
            subprocess.run([script, "stop", build])


def run_once(harness, program, args, point, colour, idle):
    figures, started = gui_harness.measure_start(harness, program, args, point, colour, idle)
    window = started.wait_window()
    if point is None:
        width, height = gui_harness.screen_size(harness.display)
        point = (width // 2, height // 2)
    left, top, _, _ = window.geometry()
    window.activate(point[0] - left, point[1] - top)
    window.key("alt+F4")
    code = started.wait_exit(30)
    if code != 0:
        raise SystemExit("%s exited with %d" % (os.path.basename(program), code))
    return figures


def main():
    parser = bench_parser(__doc__)
    parser.add_argument("--program", help="program to measure (default: the floor)")
    parser.add_argument("--colour", default=FLOOR_COLOUR, help="RRGGBB the first frame shows at --point")
    parser.add_argument("--point", help="X,Y on the screen to watch and to click before alt+F4 (default: the centre)")
    parser.add_argument("args", nargs="*", help="arguments of the program")
    options = parser.parse_args()
    build = os.path.abspath(options.build)
    colour = tuple(int(options.colour[i:i + 2], 16) for i in (0, 2, 4))
    point = tuple(int(v) for v in options.point.split(",")) if options.point else None

    with test_display(build):
        harness = gui_harness.Harness("gui_bench", build)
        try:
            program = options.program or harness.program(FLOOR)
            # One unmeasured start warms Wine's caches as a user's second start would.
            run_once(harness, program, options.args, point, colour, 0.5)
            runs = [run_once(harness, program, options.args, point, colour, options.idle)
                    for _ in range(options.runs)]
            shutil.rmtree(harness.artifacts, ignore_errors=True)  # kept only when a run failed
        finally:
            harness.close()

    name = os.path.basename(program) + (" (floor)" if not options.program else "")
    print("%s under wine64, %d runs after one warm-up" % (name, len(runs)))
    for key, label, unit in (("first_frame_s", "process start to first frame", "s"),
                             ("peak_memory_mib", "peak resident memory", "MiB"),
                             ("idle_cpu_percent", "idle CPU over %.0f s" % options.idle, "% of one core")):
        values = [run[key] for run in runs]
        print("  %-30s median %8.3f %s  (min %.3f, max %.3f)" % (label, statistics.median(values), unit,
                                                                  min(values), max(values)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
