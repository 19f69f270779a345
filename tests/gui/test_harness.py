#!/usr/bin/python3
"""The GUI harness against the minimal layered window: finding it, its size,
place and colour, clicks and drags reaching it, and alt+F4 ending it once a
click has made it the active window again."""
import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from gui_harness import GuiTestCase, screen_size, wait_until, wine_path  # noqa: E402

FLOOR = "tests/gui/MinimalLayeredWindow.exe"
SIZE = (977, 641)
BACK = (0x20, 0x23, 0x2A)


class FloorWindowTest(GuiTestCase):
    def start_floor(self):
        self.click_log = os.path.join(self.harness.artifacts, "clicks.log")
        program = self.harness.start(self.harness.program(FLOOR), wine_path(self.click_log))
        window = program.wait_window(title="MinimalLayeredWindow", size=SIZE)
        window.wait_pixel(SIZE[0] // 2, SIZE[1] // 2, BACK)
        return program, window

    def logged_clicks(self, count):
        def read():
            try:
                with open(self.click_log) as f:
                    lines = f.read().splitlines()
            except OSError:
                return None
            return lines if len(lines) >= count else None
        return wait_until(read, 10, "%d logged clicks" % count)

    def test_window_is_centred_and_painted_to_its_edges(self):
        program, window = self.start_floor()
        x, y, width, height = window.geometry()
        screen_width, screen_height = screen_size(self.harness.display)
        self.assertEqual((width, height), SIZE)
        self.assertLessEqual(abs(x - (screen_width - width) // 2), 1)
        self.assertLessEqual(abs(y - (screen_height - height) // 2), 1)
        shot = window.screenshot("painted")
        for point in [(0, 0), (width - 1, 0), (0, height - 1), (width - 1, height - 1), (488, 320)]:
            self.assertEqual(shot.getpixel(point), BACK, point)
        # The bare root shows just outside: the window is exactly this big.
        self.assertNotEqual(window.pixel(-1, 10), BACK)
        self.assertNotEqual(window.pixel(width, 10), BACK)

    def test_each_click_and_drag_is_logged_once_where_released_inside(self):
        program, window = self.start_floor()
        window.click(120, 80)
        self.assertEqual(self.logged_clicks(1), ["click 120 80"])
        window.drag((300, 200), (420, 260))
        # The second line arriving proves the first click left one line only.
        self.assertEqual(self.logged_clicks(2), ["click 120 80", "click 420 260"])
        # Pressed inside, released outside: no click, so the next is third.
        window.drag((20, 20), (-30, 20))
        window.click(5, 6)
        self.assertEqual(self.logged_clicks(3)[2], "click 5 6")

    def test_alt_f4_after_another_program_was_active_ends_only_the_window_clicked(self):
        program, window = self.start_floor()
        self.assertIn(program.pid, self.harness.leftovers())
        # Another program's window comes up and is the active one, as a link
        # handler's or a started game's is.
        other_path = os.path.join(self.harness.artifacts, "OtherProgram.exe")
        shutil.copy(self.harness.program("demo/game/DemoGame.exe"), other_path)
        other = self.harness.start(other_path)
        other_window = self.harness.wait_window("OtherProgram")
        wait_until(other_window.is_active, 20, "the other program's window to be active")
        self.assertFalse(window.is_active())
        # Typed now, alt+F4 would end the other program: the harness refuses.
        with self.assertRaisesRegex(AssertionError, "the active window is 'OtherProgram'"):
            window.key("alt+F4")

        window.activate(10, 10)  # a click here is only logged
        window.key("alt+F4")
        self.assertEqual(program.wait_exit(20), 0)
        self.assertEqual(self.logged_clicks(1), ["click 10 10"])
        self.assertTrue(other.running())
        other.kill()
        self.assertNothingLeft()

    def test_close_ends_a_program_still_running(self):
        program, window = self.start_floor()
        self.harness.close()
        self.assertFalse(program.running())
        self.assertNotIn(program.pid, self.harness.leftovers())


if __name__ == "__main__":
    unittest.main(verbosity=2)
