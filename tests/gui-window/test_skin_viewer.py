#!/usr/bin/python3
"""The launcher's skin on screen through SkinViewer: what a person sees when
the window opens, hovering, clicking, dragging, minimising and closing it,
and the message for a skin that cannot be loaded."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from gui_harness import (GuiTestCase, colour_close, grab_screen, message_box_bare_point, run_xdotool,  # noqa: E402
                         screen_size, wait_until, wine_path)

VIEWER = "tools/SkinViewer/SkinViewer.exe"
PROBE = "tests/gui-window/WindowProbe.exe"
TITLE = "SkinViewer"
SHADOW = 14
CONTENT = (977, 641)
WINDOW = (CONTENT[0] + 2 * SHADOW, CONTENT[1] + 2 * SHADOW)
BACK = (0x20, 0x23, 0x2A)
# Places in the skin, relative to its root box (the window less the shadow).
EMPTY = (20, 600)
LOADING = (308, 230, 668, 470)
CLOSE_BUTTON = (905, 30, 935, 60)
MIN_BUTTON = (885, 45)
QQ_BUTTON = (817, 47)
ZY_BUTTON = (767, 46)
LANGUAGE_BUTTON = (252, 52)  # "btn_ch", drawn over "btn_en"
CAPTION = (450, 15)          # in the top 35 pixels, on no button
CARD_POINTS = [(60, 120), (900, 120), (60, 300), (900, 300), (60, 600), (900, 600)]


def at(point):
    """A root-box point as a window point."""
    return point[0] + SHADOW, point[1] + SHADOW


def region(window, box):
    """The screen pixels of a root-box rectangle of the window."""
    left, top = window.to_screen(*at(box[:2]))
    return grab_screen(window.harness.display, (left, top, left + box[2] - box[0], top + box[3] - box[1]))


def same_pixels(first, second, tolerance=8):
    return all(colour_close(a, b, tolerance) for a, b in zip(first.getdata(), second.getdata()))


class SkinViewerTest(GuiTestCase):
    def start_viewer(self, *args):
        self.click_log = os.path.join(self.harness.artifacts, "clicks.log")
        program = self.harness.start(self.harness.program(VIEWER), *(args or ("basic.xml", wine_path(self.click_log))))
        window = program.wait_window(title=TITLE, size=WINDOW)
        # The window fades in; the background shows once it is opaque.
        window.wait_pixel(*at(EMPTY), BACK)
        return program, window

    def logged_clicks(self, count):
        def read():
            try:
                with open(self.click_log, encoding="utf-8") as f:
                    lines = f.read().splitlines()
            except OSError:
                return None
            return lines if len(lines) >= count else None
        return wait_until(read, 10, "%d logged clicks" % count)

    def probe(self, question, title):
        run = self.harness.start(self.harness.program(PROBE), question, title)
        code = run.wait_exit(30)
        with open(run.log_path, encoding="utf-8", errors="replace") as f:
            return code, f.read()

    def test_first_look_centred_with_shadow_background_animation_and_no_cards(self):
        program, window = self.start_viewer()
        x, y, width, height = window.geometry()
        screen_width, screen_height = screen_size(self.harness.display)
        self.assertLessEqual(abs(x - (screen_width - width) // 2), 1)
        self.assertLessEqual(abs(y - (screen_height - height) // 2), 1)
        shot = window.screenshot("first-look")
        # The content fills the window less a 14-pixel band, which is shadow.
        self.assertTrue(colour_close(shot.getpixel((SHADOW, height // 2)), BACK))
        self.assertTrue(colour_close(shot.getpixel((width - SHADOW - 1, height // 2)), BACK))
        self.assertFalse(colour_close(shot.getpixel((SHADOW - 1, height // 2)), BACK))
        self.assertFalse(colour_close(shot.getpixel((width - SHADOW, height // 2)), BACK))
        for point in CARD_POINTS:
            self.assertTrue(colour_close(shot.getpixel(at(point)), BACK), "a card shows at %s" % (point,))

        first = region(window, LOADING)
        self.assertFalse(all(colour_close(p, BACK) for p in first.getdata()), "no loading picture")
        time.sleep(0.2)  # the second look is meant to come 200 ms later
        wait_until(lambda: not same_pixels(region(window, LOADING), first, 0), 2, "the loading picture to move")

    def test_close_button_turns_hot_under_the_pointer_and_back(self):
        program, window = self.start_viewer()
        window.move_pointer(*at(EMPTY))
        normal = region(window, CLOSE_BUTTON)
        window.move_pointer(*at(((CLOSE_BUTTON[0] + CLOSE_BUTTON[2]) // 2, (CLOSE_BUTTON[1] + CLOSE_BUTTON[3]) // 2)))
        # The fade into the hot image starts at once (about 250 ms in all).
        wait_until(lambda: not same_pixels(region(window, CLOSE_BUTTON), normal), 1, "the close button to turn hot")
        window.move_pointer(*at(EMPTY))
        wait_until(lambda: same_pixels(region(window, CLOSE_BUTTON), normal), 3, "the close button to turn back")

    def test_a_click_reaches_its_button_once_and_a_press_moved_off_reaches_none(self):
        program, window = self.start_viewer()
        window.click(*at(QQ_BUTTON))
        self.assertEqual(self.logged_clicks(1), ["btn_qq"])
        window.drag(at(ZY_BUTTON), at(EMPTY))
        window.click(*at(LANGUAGE_BUTTON))
        # The line after the first proves there was no second qq click and
        # no click from the press that moved off.
        self.assertEqual(self.logged_clicks(2), ["btn_qq", "btn_ch"])

    def test_min_button_minimises_the_window(self):
        program, window = self.start_viewer()
        self.assertEqual(self.probe("iconic", TITLE)[0], 1)
        window.click(*at(MIN_BUTTON))
        wait_until(lambda: self.probe("iconic", TITLE)[0] == 0, 20, "the window to be minimised", interval=0.2)
        self.assertTrue(program.running())

    def test_dragging_the_caption_moves_the_window_and_a_double_click_does_not_maximise(self):
        program, window = self.start_viewer()
        x, y, width, height = window.geometry()
        window.drag(at(CAPTION), at((CAPTION[0] + 60, CAPTION[1] + 40)))
        wait_until(lambda: window.geometry() == (x + 60, y + 40, width, height), 5, "the window to follow the drag")

        # The pointer rests where the drag ended, which is the caption point
        # again; it leaves first, since a move onto itself never completes.
        window.move_pointer(*at(EMPTY))
        window.click(*at(CAPTION), repeat=2)
        window.click(*at(QQ_BUTTON))
        self.logged_clicks(1)  # the double click has been handled by now
        self.assertEqual(window.geometry(), (x + 60, y + 40, width, height))
        self.assertEqual(self.probe("iconic", TITLE)[0], 1)

    def test_alt_f4_ends_the_program_with_code_0_and_nothing_left(self):
        program, window = self.start_viewer()
        window.activate(*at(EMPTY))  # keys go to the active window, whatever has the X focus
        window.key("alt+F4")
        self.assertEqual(program.wait_exit(20), 0)
        self.assertNothingLeft()

    def test_a_missing_skin_file_shows_the_message_and_no_window(self):
        program = self.harness.start(self.harness.program(VIEWER), "nosuch.xml")
        box = self.harness.wait_window("Vellum")
        code, texts = self.probe("texts", "Vellum")
        self.assertEqual(code, 0)
        self.assertIn("Failed to load xml file basic\\nosuch.xml", texts)
        # (The harness's own window search matches the process or the title.)
        code, shown = run_xdotool(self.harness.display, "search", "--all", "--onlyvisible", "--pid", program.pid,
                                  "--name", "^%s$" % TITLE)
        self.assertEqual(shown.split(), [], "a SkinViewer window shows")
        box.activate(*message_box_bare_point(box))
        box.key("Return")
        self.assertEqual(program.wait_exit(20), 1)
        self.assertNothingLeft()


if __name__ == "__main__":
    unittest.main(verbosity=2)
