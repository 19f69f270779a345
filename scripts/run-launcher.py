#!/usr/bin/python3
"""Starts Launcher.exe under wine64 for scripts/run.sh and saves screenshots
of its window: while it loads its configuration, once the game cards are
filled, once the first card's game is installed (with the aria2c.exe and
7z.exe of the launcher folder; skipped when an earlier run installed it),
and of the game it then starts after the update check. The first
configuration request is slowed down through the demo service's fault
rules, so the loading state stays on screen long enough to be seen.

  run-launcher.py --run DIR --launcher DIR --shots DIR --demo DIR [--keep]

--run is a folder with wineprefix/ and wine/display (scripts/wine-run.sh's
layout); --demo the demo service's state folder (its rules.json). With
--keep the launcher is left running (its pid in RUN/launcher.pid);
otherwise it is closed with its close button after the screenshots. The
game is closed either way, with alt+F4 once a click has made it the active
window (tests/gui-window/WindowProbe.exe of the build tree, the folder that
holds --run, tells which window that is).
"""
import argparse
import json
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
import gui_harness  # noqa: E402

SKIN_SIZE = (977, 641)
SHADOW = 14  # the drop-shadow band around the skin in the native window
CONFIG_PATH = "/FTP/cs/Launcher/Config.ini"
BACKGROUND = (0x20, 0x23, 0x2A)
LOADING_STRIP = (484, 230, 496, 470)  # crossed by the loading animation, bare between the cards
# The first card ("Game0") and its controls, in skin coordinates.
CARD = (40, 100)
MENU_BUTTON = (408, 28)
DOWNLOAD_ENTRY = (390, 22)
START_BUTTON = (380, 120)
CLOSE_BUTTON = (920, 45)
GAME = "Nebula"  # the demo site's first game


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


def click_card(window, point):
    window.click(SHADOW + CARD[0] + point[0], SHADOW + CARD[1] + point[1])


def install_first_game(window, launcher):
    """Download from the card's menu, then wait until the archive is unpacked
    and deleted, which the launcher does once the start button shows."""
    archive = os.path.join(launcher, "tmp", GAME + ".zip")
    for _ in range(3):
        click_card(window, MENU_BUTTON)
        time.sleep(1)  # the menu opens under the pointer and stays while it rests there
        click_card(window, DOWNLOAD_ENTRY)
        try:
            gui_harness.wait_until(lambda: os.path.exists(archive), 15, "the download to begin")
            break
        except gui_harness.HarnessTimeout:
            continue
    game = os.path.join(launcher, "Game", GAME, "bin", "DemoGame.exe")
    gui_harness.wait_until(lambda: os.path.exists(game) and not os.path.exists(archive), 300,
                           "the game to be downloaded and unpacked")


def start_first_game(harness, window, launcher):
    """Start: the launcher checks the files against the update list, then
    starts the demo game, which leaves a marker file and opens its window."""
    marker = os.path.join(launcher, "Game", GAME, "bin", "DemoGame.started")
    if os.path.exists(marker):
        os.remove(marker)
    click_card(window, START_BUTTON)
    gui_harness.wait_until(lambda: os.path.exists(marker), 120, "the update check and the game start")
    return harness.wait_window("DemoGame", timeout=30)


def close_game(game):
    """alt+F4 to the game once a click into its window (which only shows
    text) has made it the active one: typed at once, the keys could reach
    the launcher, which was active when it started the game, and end it."""
    _, _, width, height = game.geometry()
    game.activate(width // 2, height // 2)
    game.key("alt+F4")

    def shown():
        return str(game.id) in gui_harness.run_xdotool(game.harness.display, "search", "--onlyvisible", "--name",
                                                       "^DemoGame$")[1].split()
    gui_harness.wait_until(lambda: not shown(), 30, "the game to close")


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
    # run.sh keeps the run folder in the build tree, beside the test programs.
    probe = os.path.join(os.path.dirname(os.path.abspath(options.run)), gui_harness.WINDOW_PROBE)
    harness = gui_harness.Harness("run", options.run, probe=probe)
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
        if not os.path.exists(os.path.join(options.launcher, "Game", GAME, "bin", "DemoGame.exe")):
            install_first_game(window, options.launcher)
        installed = os.path.join(options.shots, "launcher-installed.png")
        skin_area(window).save(installed)
        game = start_first_game(harness, window, options.launcher)
        started = os.path.join(options.shots, "game-started.png")
        game.screenshot().save(started)
        close_game(game)
        print("screenshots of the launcher:\n  loading:   %s\n  cards:     %s\n  installed: %s\n"
              "  the game it started: %s" % (loading, cards, installed, started))
        if options.keep:
            with open(os.path.join(options.run, "launcher.pid"), "w") as f:
                f.write("%d\n" % program.pid)
        else:
            # The close button, as a player ends it: no window is active
            # once the game has closed.
            window.click(SHADOW + CLOSE_BUTTON[0], SHADOW + CLOSE_BUTTON[1])
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
