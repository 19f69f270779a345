#!/usr/bin/python3
"""Starts Launcher.exe under wine64 for scripts/run.sh and saves two
screenshots of its window: while it loads its configuration, and once the
game cards are filled. The first configuration request is slowed down
through the demo service's fault rules, so the loading state stays on
screen long enough to be seen.

  run-launcher.py --run DIR --launcher DIR --shots DIR --demo DIR [--keep]

--run is a folder with wineprefix/ and wine/display (scripts/wine-run.sh's
layout); --demo the demo service's state folder (its rules.json). With
--keep the launcher is left running (its pid in RUN/launcher.pid);
otherwise it is closed with alt+F4 after the screenshots.
"""
import argparse
import json
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
import gui_harness  # noqa: E402

SKIN_SIZE = (977, 641)
SHADOW = 14  # the drop-shadow band around the skin in the native window
CONFIG_PATH = "/FTP/cs/Launcher/Config.ini"
BACKGROUND = (0x20, 0x23, 0x2A)
LOADING_STRIP = (484, 230, 496, 470)  # crossed by the loading animation, bare between the cards


def set_rules(demo, rules):
    path = os.path.join(demo, "rules.json")
    with open(path + ".tmp", "w", encoding="utf-8") as f:
        json.dump(rules, f)
    os.replace(path + ".tmp", path)


def skin_area(window):
    return window.screenshot().crop((SHADOW, SHADOW, SHADOW + SKIN_SIZE[0], SHADOW + SKIN_SIZE[1]))


def loading_shows(window):
    strip = skin_area(window).crop(LOADING_STRIP)
    return sum(1 for pixel in strip.getdata() if max(pixel) > 150) > 20


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--run", required=True)
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--shots", required=True)
    parser.add_argument("--demo", required=True)
    parser.add_argument("--keep", action="store_true")
    options = parser.parse_args()

    if not os.path.exists(os.path.join(options.run, "wine", "xvfb.pid")):
        # Your own display: the harness's guard against two test trees
        # sharing one Xvfb does not apply.
        gui_harness.check_own_display = lambda build_dir, display: None
    harness = gui_harness.Harness("run", options.run)
    set_rules(options.demo, {CONFIG_PATH: {"rate": 1000, "times": 1}})
    try:
        program = harness.start(os.path.join(options.launcher, "Launcher.exe"), cwd=options.launcher)
        window = program.wait_window(size=(SKIN_SIZE[0] + 2 * SHADOW, SKIN_SIZE[1] + 2 * SHADOW), timeout=60)
        gui_harness.wait_until(lambda: gui_harness.colour_close(skin_area(window).getpixel((500, 15)),
                                                                BACKGROUND, 2) and loading_shows(window),
                               20, "the loading animation")
        loading = os.path.join(options.shots, "launcher-loading.png")
        skin_area(window).save(loading)
        gui_harness.wait_until(lambda: window.title() != "Basic" and not loading_shows(window), 60,
                               "the configuration to arrive")
        # The loading picture goes last, after every text and image.
        cards = os.path.join(options.shots, "launcher-cards.png")
        skin_area(window).save(cards)
        print("screenshots of the launcher:\n  loading: %s\n  cards:   %s" % (loading, cards))
        if options.keep:
            with open(os.path.join(options.run, "launcher.pid"), "w") as f:
                f.write("%d\n" % program.pid)
        else:
            window.key("alt+F4")
            program.wait_exit(30)
    except gui_harness.HarnessTimeout as problem:
        harness.screenshot("failed")
        print("run: %s; what the screen showed is in %s" % (problem, harness.artifacts), file=sys.stderr)
        harness.close()
        return 1
    finally:
        set_rules(options.demo, {})
    shutil.rmtree(harness.artifacts, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
