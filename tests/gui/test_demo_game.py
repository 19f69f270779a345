#!/usr/bin/python3
"""The demo game: its marker tells the command line, the parameters and the
working folder it started with, also from folders with spaces and Chinese
names in a Wine prefix of the test's own; alt+F4 (WM_CLOSE) ends it with
code 0; a game that another program started is still found and ended."""
import calendar
import os
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from gui_harness import GuiTestCase, wait_until, wine_path  # noqa: E402


def read_marker(path):
    try:
        with open(path, encoding="utf-8") as f:
            return dict(line.split("=", 1) for line in f.read().splitlines())
    except OSError:
        return None


class DemoGameTest(GuiTestCase):
    def test_marker_and_window_tell_how_it_was_started(self):
        environment = self.harness.isolated_environment("prefix")
        base = os.path.join(self.harness.artifacts, "Game 游戏")
        binary = os.path.join(base, "Frost Fall", "bin")
        os.makedirs(binary)
        game = os.path.join(binary, "DemoGame.exe")
        shutil.copy(self.harness.program("demo/game/DemoGame.exe"), game)

        program = self.harness.start(game, "-profile", "Frost Fall", "-lang", "zh", cwd=base, environment=environment)
        window = self.harness.wait_window("DemoGame", environment=environment)
        marker = wait_until(lambda: read_marker(os.path.join(binary, "DemoGame.started")), 10, "the start marker")
        window.screenshot("started")

        self.assertEqual(marker["program"], wine_path(game))
        self.assertEqual(marker["command_line"], '"%s" -profile "Frost Fall" -lang zh' % wine_path(game))
        self.assertEqual(marker["parameters"], '-profile "Frost Fall" -lang zh')
        self.assertEqual(marker["working_folder"], wine_path(base))
        self.assertGreater(int(marker["pid"]), 0)
        started = calendar.timegm(time.strptime(marker["started_utc"], "%Y-%m-%dT%H:%M:%SZ"))
        self.assertLess(abs(started - time.time()), 120)

        # Its window only shows text: a click anywhere in it does nothing else.
        _, _, width, height = window.geometry()
        window.activate(width // 2, height // 2)
        window.key("alt+F4")
        self.assertEqual(program.wait_exit(20), 0)
        self.assertNothingLeft()

    def test_a_game_started_by_another_program_is_found_and_ended(self):
        # As when the launcher starts a game: the harness did not start it
        # itself, yet finds its window and ends it at close.
        game = self.harness.program("demo/game/DemoGame.exe")
        starter = self.harness.start("cmd.exe", "/c", "start", "", wine_path(game), "-from-cmd")
        self.assertEqual(starter.wait_exit(30), 0)
        self.harness.wait_window("DemoGame")
        # The build tree's path has no space, so the program token is bare.
        marker = read_marker(os.path.join(os.path.dirname(game), "DemoGame.started"))
        self.assertEqual(marker["parameters"], "-from-cmd")
        self.assertIn("demogame.exe", self.harness.leftovers().values())
        self.harness.close()
        self.assertEqual(self.harness.leftovers(), {})


if __name__ == "__main__":
    unittest.main(verbosity=2)
