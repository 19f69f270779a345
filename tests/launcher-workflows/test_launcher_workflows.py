#!/usr/bin/python3
"""The launcher's card workflows end to end: Launcher.exe against the demo
service with the demo game, judged by what a person sees (the menu, the
progress bar and its label, the start button, the language flag), the files
in the launcher's folder, the processes that run and how the launcher ends.

The download tool is the stand-in built with the tests, except in the first
install that is followed by a start (DownloadThenStartTest), which uses the
real aria2c.exe. Two tests name games, files and the launcher's own folder
in Chinese. With
LAUNCHER_E2E_REAL_TOOLS=1 (scripts/e2e-real-tools.sh) every test uses the
real one."""
import glob
import os
import random
import re
import shutil
import subprocess
import sys
import time
import unittest
import zipfile
import zlib
from urllib.parse import unquote

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "launcher-start"))
import gui_harness  # noqa: E402
import signed_config  # noqa: E402
from gui_harness import wait_until  # noqa: E402
# The start-up tests' launcher folder, window and prefix (made once per module).
import test_launcher as startup  # noqa: E402
from test_launcher import setUpModule, tearDownModule  # noqa: E402,F401

CARDS = startup.CARDS
REAL_ARIA2 = os.path.join(gui_harness.SOURCE_DIR, ".deps", "aria2", "x64", "aria2c.exe")
ALL_REAL = os.environ.get("LAUNCHER_E2E_REAL_TOOLS") == "1"

# Card-relative places of the skin.
MENU_BUTTON = (408, 28)
MENU_ENTRIES = {"download": (390, 22), "link1": (390, 47), "link2": (390, 72)}
MENU_AREA = (351, 11, 394, 83)      # the entries left of the menu button
START = (380, 120)
BAR_ROW = (15, 111, 420)            # x from, y, x to: the bar's middle row
LABEL = (15, 118, 330, 146)         # the progress label
CLOSE = (920, 45)
NOTICE_AREA = (50, 62, 335, 84)     # the card's notice label ("noticetext")


def at(card, point):
    return CARDS[card][0] + point[0], CARDS[card][1] + point[1]


def region(shot, card, box):
    left, top = CARDS[card]
    return shot.crop((left + box[0], top + box[1], left + box[2], top + box[3]))


def bar_fill(shot, card):
    """Pixels of the orange fill in the bar's middle row."""
    left, top = CARDS[card]
    x0, y, x1 = BAR_ROW
    return sum(1 for x in range(left + x0, left + x1)
               for r, g, b in [shot.getpixel((x, top + y))] if r > 200 and b < 150 and r - b > 80)


def label_width(shot, card):
    """Width of the white text on the progress label, 0 when there is none."""
    xs = [x for x in range(LABEL[0], LABEL[2]) for y in range(LABEL[1], LABEL[3])
          if min(shot.getpixel((CARDS[card][0] + x, CARDS[card][1] + y))) > 200]
    return max(xs) - min(xs) + 1 if xs else 0


def notice_pixels(shot, card):
    """Pixels of the notice's orange text (#fcb755) on the card; the card's
    darkened picture has none."""
    return sum(1 for r, g, b in region(shot, card, NOTICE_AREA).getdata() if r > 170 and 110 < g < 215 and b < 150)


def read_marker(path):
    try:
        with open(path, encoding="utf-8") as f:
            return dict(line.split("=", 1) for line in f.read().splitlines() if "=" in line)
    except OSError:
        return None


def requested(service):
    """The service's request lines with their paths percent-decoded."""
    lines = []
    for line in service.requests():
        method, rest = line.split(" ", 1)
        path, status = rest.rsplit(" ", 1)
        lines.append("%s %s %s" % (method, unquote(path), status))
    return lines


def files_below(folder):
    found = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, folder).replace(os.sep, "/")] = f.read()
    return found


class WorkflowTestCase(startup.LauncherTestCase):
    def setUp(self):
        super().setUp()
        self.real_download_tool = False

    def use_download_tool(self, real):
        if real or ALL_REAL:
            self.assertTrue(os.path.exists(REAL_ARIA2), "the real aria2c is missing: scripts/build-aria2.sh x64")
            tool = REAL_ARIA2
        else:
            tool = self.harness.program("tests/launcher-workflows/standin_aria2c.exe")
        shutil.copy(tool, self.folder.file("soft", "aria2c.exe"))

    def ready_launcher(self, label="cards"):
        program, window = self.start_launcher()
        shot = self.wait_cards(window, label)
        return program, window, shot

    def menu_open(self, window, card, closed):
        """True when the card's menu covers what `closed` (the same place with
        the menu closed) showed."""
        now = region(window.screenshot(), card, MENU_AREA)
        return startup.mean_difference(now, closed) > 20

    def open_menu(self, window, card, closed):
        window.click(*at(card, MENU_BUTTON))
        wait_until(lambda: self.menu_open(window, card, closed), 10, "the menu of card %d" % card)

    def choose(self, window, card, entry, closed):
        self.open_menu(window, card, closed)
        window.click(*at(card, MENU_ENTRIES[entry]))

    def start_shown(self, card):
        """A test of whether the card shows its start button."""
        button = Image.open(os.path.join(startup.SKIN, "btn_update1.png")).convert("RGB")
        edge = (2, 10, 8, 21)  # left of the text, clear of the rounded corners
        return lambda window: startup.mean_difference(
            self.start_button(window.screenshot(), card).crop(edge), button.crop(edge)) < 6

    def click_start(self, window, card, update_list):
        """Clicks the card's start button until the launcher asks for the
        game's update list (`update_list`, the URL path): after an install the
        button shows a second before the install's job ends, and until then
        the cards ignore clicks. A click while the start runs is ignored too."""
        def asked():
            return any(line.startswith("GET %s " % update_list) for line in requested(self.service))
        deadline = time.monotonic() + 20
        while True:
            window.click(*at(card, START))
            try:
                return wait_until(asked, 2, "the launcher to ask for %s" % update_list)
            except gui_harness.HarnessTimeout:
                if time.monotonic() > deadline:
                    raise

    def move_pointer(self, window, x, y):
        shadow = startup.SkinnedWindow.SHADOW
        window.window.move_pointer(x + shadow, y + shadow)

    def wait_card_restored(self, window, card, closed, installed, previous=None):
        """The failure notice shows on the card (another one than `previous`,
        the image of the last), the progress box goes and the card takes
        clicks again with the notice still there. Returns the notice's image."""
        def notice():
            shot = window.screenshot()
            image = region(shot, card, NOTICE_AREA)
            fresh = previous is None or image.tobytes() != previous.tobytes()
            return image if fresh and notice_pixels(shot, card) > 40 else None
        shown = wait_until(notice, 60, "the failure notice on card %d" % card)
        window.screenshot("failure-notice")
        wait_until(lambda: label_width(window.screenshot(), card) == 0, 20, "the progress box to go")
        self.assertEqual(self.start_shown(card)(window), installed)
        self.open_menu(window, card, closed)  # not busy any more
        self.assertGreater(notice_pixels(window.screenshot(), card), 40, "the notice went with the progress box")
        window.screenshot("card-usable")
        return shown


class DownloadThenStartTest(WorkflowTestCase):
    def test_download_unpacks_then_start_repairs_and_starts_the_game(self):
        self.use_download_tool(real=True)
        # Slow enough for several readouts of the tool.
        self.service.set_rules({"/FTP/cs/games/Nebula.zip": {"rate": 1536 * 1024}})
        program, window, shot = self.ready_launcher()
        closed = [region(shot, card, MENU_AREA) for card in range(6)]
        self.assertFalse(self.start_shown(0)(window))

        self.choose(window, 0, "download", closed[0])
        fills, labels, checked_busy = set(), set(), False
        archive = self.folder.file("tmp", "Nebula.zip")
        started_shown = self.start_shown(0)
        deadline = time.monotonic() + 120
        while True:
            shot = window.screenshot()
            fill = bar_fill(shot, 0)
            if 0 < fill < 380:
                fills.add(fill)
                labels.add(region(shot, 0, LABEL).tobytes())
            if not checked_busy and 40 < fill < 300 and os.path.exists(archive):
                checked_busy = True
                window.screenshot("downloading")
                # Card buttons do nothing during the install; the flag still works.
                for card in (1, 0):
                    window.click(*at(card, MENU_BUTTON))
                    time.sleep(0.5)  # an opened menu stays while the pointer rests on its button
                    self.assertFalse(self.menu_open(window, card, closed[card]), card)
                window.click(*startup.FLAG)
                wait_until(lambda: not self.flag_is_chinese(window), 10, "the English flag")
                self.assertEqual(self.folder.settings().get("Language"), "1")
            if started_shown(window):
                break
            self.assertLess(time.monotonic(), deadline, "the install did not end")
        window.screenshot("installed")
        print("bar widths seen: %s, label images: %d" % (sorted(fills), len(labels)), file=sys.stderr)
        self.assertTrue(checked_busy, "the download was over before its progress could be seen")
        self.assertGreaterEqual(len(fills), 3, "the bar did not advance in steps")
        self.assertGreaterEqual(len(labels), 3, "the percentage did not change")
        # The archive goes a moment after the start button came.
        self.assertTrue(os.path.exists(archive))
        wait_until(lambda: not os.path.exists(archive), 10, "the archive to be deleted")
        self.assertFalse(os.path.exists(archive + ".aria2"))
        installed = self.folder.file("Game", "Nebula")
        self.assertTrue(os.path.exists(os.path.join(installed, "bin", "DemoGame.exe")))

        # Start: a missing and a changed file are repaired from the update
        # list, then the game starts in its own folder.
        os.remove(os.path.join(installed, "data", "assets.pak"))
        with open(os.path.join(installed, "bin", "DemoGame.exe"), "r+b") as f:
            f.seek(100)
            f.write(b"changed")
        # The big file slowly, so the overall percentage shows while it comes.
        self.service.set_rules({"/FTP/cs/update/Nebula/files/data/assets.pak": {"rate": 4 * 1024 * 1024}})
        self.click_start(window, 0, "/FTP/cs/update/Nebula/list.txt")
        marker_path = os.path.join(installed, "bin", "DemoGame.started")
        update_fills, deadline = set(), time.monotonic() + 60
        while read_marker(marker_path) is None:
            fill = bar_fill(window.screenshot(), 0)
            if 0 < fill < 380:
                update_fills.add(fill)
            self.assertLess(time.monotonic(), deadline, "the game did not start")
        marker = read_marker(marker_path)
        self.assertTrue(update_fills, "no update percentage was shown")
        self.assertEqual(marker["parameters"], "-server 127.0.0.1 -lang en")
        self.assertEqual(marker["working_folder"], gui_harness.wine_path(os.path.join(installed, "bin")))
        wait_until(lambda: started_shown(window), 20, "the start button to return")
        window.screenshot("started")
        served = files_below(os.path.join(self.site, "FTP", "cs", "update", "Nebula", "files"))
        local = files_below(installed)
        for name, data in served.items():
            self.assertEqual(local.get(name), data, name)
        requests = self.service.requests()
        for path in ("list.txt", "files/data/assets.pak", "files/bin/DemoGame.exe"):
            self.assertIn("GET /FTP/cs/update/Nebula/%s 200" % path, requests)
        self.assertTrue(program.running())


class InstallFailureTest(WorkflowTestCase):
    def test_missing_then_damaged_archive_end_with_a_notice_and_a_usable_card(self):
        self.use_download_tool(real=False)
        self.service.set_rules({"/FTP/cs/games/Nebula.zip": {"status": 404}})
        program, window, shot = self.ready_launcher()
        closed = region(shot, 0, MENU_AREA)

        self.choose(window, 0, "download", closed)
        missing = self.wait_card_restored(window, 0, closed, installed=False)
        self.assertIn("GET /FTP/cs/games/Nebula.zip 404", self.service.requests())
        self.move_pointer(window, 120, 300)  # away from the menu
        wait_until(lambda: not self.menu_open(window, 0, closed), 10, "the menu to close")

        self.service.set_rules({"/FTP/cs/games/Nebula.zip": {"body": "this is no archive " * 4000}})
        self.choose(window, 0, "download", closed)
        self.wait_card_restored(window, 0, closed, installed=False, previous=missing)
        self.assertIn("GET /FTP/cs/games/Nebula.zip 200", self.service.requests())
        # A damaged archive is not kept for the next try.
        self.assertEqual([n for n in os.listdir(self.folder.file("tmp")) if n.startswith("Nebula.zip")], [])
        self.assertEqual(os.listdir(self.folder.file("Game")), [])
        self.close_and_expect_exit(program, window)
        self.assertNothingLeft()


# The launcher's checksum of a file: CRC-32 continued from this seed.
CHECKSUM_SEED = 0x3D9E41C7


def same_crc_forgery(prefix, data):
    """`prefix` and four bytes after it whose launcher checksum equals that of
    `data`. CRC-32 is affine over GF(2), so the four bytes solve a 32 x 32
    linear system."""
    start = zlib.crc32(prefix, CHECKSUM_SEED)
    base = zlib.crc32(bytes(4), start)
    rows = [[zlib.crc32((1 << i).to_bytes(4, "little"), start) ^ base, 1 << i] for i in range(32)]
    for bit in range(32):
        pivot = next((r for r in range(bit, 32) if rows[r][0] >> bit & 1), None)
        if pivot is None:
            continue
        rows[bit], rows[pivot] = rows[pivot], rows[bit]
        for r in range(32):
            if r != bit and rows[r][0] >> bit & 1:
                rows[r][0] ^= rows[bit][0]
                rows[r][1] ^= rows[bit][1]
    want, suffix = zlib.crc32(data, CHECKSUM_SEED) ^ base, 0
    for bit in range(32):
        if want >> bit & 1:
            suffix ^= rows[bit][1]
    return prefix + suffix.to_bytes(4, "little")


class SignedReleaseTest(WorkflowTestCase):
    """The demo release as its signed configuration names it, changed on the
    server afterwards: an archive that unpacks just as well, and a game file
    made to keep its CRC-32 list value. Neither reaches the game folder."""

    ARCHIVE = ("FTP", "cs", "games", "Nebula.zip")
    UPDATE = ("FTP", "cs", "update", "Nebula", "files")
    FORGED = "data/assets.pak"

    def prepare_site(self, built):
        site = os.path.join(self.harness.artifacts, "site")
        shutil.copytree(built, site)
        self.release = files_below(os.path.join(site, *self.UPDATE))
        # Another archive of the same game, with a changed program.
        archive = os.path.join(site, *self.ARCHIVE)
        with zipfile.ZipFile(archive) as f:
            entries = {name: f.read(name) for name in f.namelist()}
        entries["Nebula/bin/DemoGame.exe"] += b"someone else's code"
        with zipfile.ZipFile(archive, "w") as f:
            for name, data in entries.items():
                f.writestr(name, data)
        original = self.release[self.FORGED]
        forged = same_crc_forgery(b"not the release's data " * 8, original)
        self.assertEqual(zlib.crc32(forged, CHECKSUM_SEED), zlib.crc32(original, CHECKSUM_SEED))
        with open(os.path.join(site, *self.UPDATE, *self.FORGED.split("/")), "wb") as f:
            f.write(forged)
        return site

    def test_a_changed_archive_is_deleted_and_never_unpacked(self):
        self.use_download_tool(real=False)
        program, window, shot = self.ready_launcher()
        closed = region(shot, 0, MENU_AREA)
        self.choose(window, 0, "download", closed)
        self.wait_card_restored(window, 0, closed, installed=False)
        self.assertIn("GET /FTP/cs/games/Nebula.zip 200", self.service.requests())
        self.assertEqual([n for n in os.listdir(self.folder.file("tmp")) if n.startswith("Nebula.zip")], [])
        self.assertEqual(os.listdir(self.folder.file("Game")), [], "a refused archive was unpacked")
        self.close_and_expect_exit(program, window)

    def test_a_file_keeping_its_crc_but_not_its_hash_is_never_written(self):
        # The release's files are in place but one; the server's copy of it
        # keeps the list value and not the hash.
        installed = self.folder.file("Game", "Nebula")
        for name, data in self.release.items():
            if name != self.FORGED:
                path = os.path.join(installed, *name.split("/"))
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "wb") as f:
                    f.write(data)
        program, window, shot = self.ready_launcher()
        closed = region(shot, 0, MENU_AREA)
        self.assertTrue(self.start_shown(0)(window))
        self.click_start(window, 0, "/FTP/cs/update/Nebula/list.txt")
        self.wait_card_restored(window, 0, closed, installed=True)
        self.assertIn("GET /FTP/cs/update/Nebula/files/%s 200" % self.FORGED, self.service.requests())
        self.assertFalse(os.path.exists(os.path.join(installed, *self.FORGED.split("/"))),
                         "a file that fails its hash was written")
        self.assertEqual(sorted(os.listdir(os.path.join(installed, "data"))),
                         sorted(n.split("/")[1] for n in self.release if n.startswith("data/") and n != self.FORGED))
        self.assertFalse(os.path.exists(os.path.join(installed, "bin", "DemoGame.started")))
        self.assertTrue(program.running())
        self.close_and_expect_exit(program, window)

class MenuTest(WorkflowTestCase):
    def test_menu_opens_and_hides_once_the_pointer_leaves_it(self):
        program, window, shot = self.ready_launcher()
        closed = region(shot, 2, MENU_AREA)
        self.open_menu(window, 2, closed)
        window.screenshot("menu-open")
        # The pointer rests on the button that opened it, inside the menu.
        time.sleep(0.5)  # several looks at the pointer
        self.assertTrue(self.menu_open(window, 2, closed))
        self.move_pointer(window, *at(2, (200, 60)))
        wait_until(lambda: not self.menu_open(window, 2, closed), 5, "the menu to hide")
        self.close_and_expect_exit(program, window)


class UpdateListTest(WorkflowTestCase):
    def test_missing_update_list_shows_a_notice_and_the_next_start_runs_the_game(self):
        self.folder.install("Nebula\\bin\\DemoGame.exe")
        update_list = "/FTP/cs/update/Nebula/list.txt"
        self.service.set_rules({update_list: {"status": 404, "times": 1}})
        program, window, shot = self.ready_launcher()
        closed = region(shot, 0, MENU_AREA)
        self.assertTrue(self.start_shown(0)(window))
        self.click_start(window, 0, update_list)
        self.wait_card_restored(window, 0, closed, installed=True)
        self.assertIn("GET %s 404" % update_list, self.service.requests())
        self.assertTrue(program.running(), "the launcher ended after the failed check")
        marker_path = self.folder.file("Game", "Nebula", "bin", "DemoGame.started")
        self.assertFalse(os.path.exists(marker_path), "the game started without a checked list")
        self.move_pointer(window, 120, 300)  # away from the menu
        wait_until(lambda: not self.menu_open(window, 0, closed), 10, "the menu to close")

        # The list is back: the next click checks, repairs and starts the game.
        def list_served():
            return any(line.startswith("GET %s 200" % update_list) for line in requested(self.service))
        deadline = time.monotonic() + 20
        while not list_served():
            window.click(*at(0, START))
            try:
                wait_until(list_served, 2, "the launcher to fetch the list again")
            except gui_harness.HarnessTimeout:
                self.assertLess(time.monotonic(), deadline, "the second start was not taken")
        wait_until(lambda: read_marker(marker_path) is not None, 60, "the game to start")
        wait_until(lambda: self.start_shown(0)(window), 20, "the start button to return")
        self.assertTrue(program.running())
        self.close_and_expect_exit(program, window)


class EndDuringDownloadTest(WorkflowTestCase):
    def start_slow_download(self):
        self.use_download_tool(real=False)
        self.service.set_rules({"/FTP/cs/games/Nebula.zip": {"rate": 100 * 1024}})
        program, window, shot = self.ready_launcher()
        self.choose(window, 0, "download", region(shot, 0, MENU_AREA))
        wait_until(lambda: "aria2c.exe" in self.harness.leftovers().values(), 20, "the download tool to run")
        wait_until(lambda: os.path.exists(self.folder.file("tmp", "Nebula.zip")), 20, "the download to begin")
        return program, window

    def test_close_button_stops_the_tool_and_ends_the_launcher(self):
        program, window = self.start_slow_download()
        window.click(*CLOSE)
        self.assertEqual(program.wait_exit(10), 0)
        self.assertNothingLeft(timeout=5)
        # The partial archive stays for the next try.
        self.assertTrue(os.path.exists(self.folder.file("tmp", "Nebula.zip")))

    def test_killed_launcher_leaves_no_download_tool_running(self):
        program, _ = self.start_slow_download()
        program.kill()
        self.assertNothingLeft(timeout=15)


class LinkTest(WorkflowTestCase):
    """Links open through the shell: the prefix's handler of http URLs is a
    copy of the demo game, whose marker records the URL it was given."""

    def setUp(self):
        super().setUp()
        self.recorder = os.path.join(self.harness.artifacts, "LinkRecorder.exe")
        shutil.copy(self.harness.program("demo/game/DemoGame.exe"), self.recorder)
        command = '"%s" "%%1"' % gui_harness.wine_path(self.recorder)
        for key in (r"HKEY_CLASSES_ROOT\http\shell\open\command", r"HKEY_CLASSES_ROOT\https\shell\open\command"):
            done = subprocess.run(startup.prefix.command("reg", ["add", key, "/ve", "/d", command, "/f"]),
                                  env=startup.prefix.env(self.harness.marker), stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
            self.assertEqual(done.returncode, 0)
        self.addCleanup(self.restore_browser)

    def restore_browser(self):
        for key in (r"HKEY_CLASSES_ROOT\http\shell\open\command", r"HKEY_CLASSES_ROOT\https\shell\open\command"):
            subprocess.run(startup.prefix.command("reg", ["add", key, "/ve", "/d",
                                                          r'"C:\windows\system32\winebrowser.exe" -nohome', "/f"]),
                           env=startup.prefix.env(self.harness.marker), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

    def opened(self):
        """The URL the handler was started with, once it has; the handler is
        ended again once its window shows (and so has been the active one,
        as a browser would be), so that it does not cover the launcher."""
        marker_path = os.path.splitext(self.recorder)[0] + ".started"
        marker = wait_until(lambda: read_marker(marker_path), 30, "the link handler")
        self.harness.wait_window("LinkRecorder", environment=startup.prefix)
        os.remove(marker_path)
        for pid, name in self.harness.leftovers().items():
            if name == "linkrecorder.exe":
                os.kill(pid, 9)
        wait_until(lambda: "linkrecorder.exe" not in self.harness.leftovers().values(), 10, "the handler to end")
        return marker["parameters"].strip('"')

    def test_card_links_and_window_links_open_their_urls(self):
        program, window, shot = self.ready_launcher()
        config = self.served_config()
        frostfall = config.split("[Game2]", 1)[1]
        link1 = re.search(r"^Link1=(.*)$", frostfall, re.M).group(1)
        link2 = re.search(r"^Link2=(.*)$", frostfall, re.M).group(1)
        closed = region(shot, 2, MENU_AREA)

        self.choose(window, 2, "link1", closed)
        self.assertEqual(self.opened(), link1)
        self.assertFalse(self.menu_open(window, 2, closed))
        self.choose(window, 2, "link2", closed)
        self.assertEqual(self.opened(), link2)

        cache = {}
        with open(os.path.join(self.harness.build_dir, "CMakeCache.txt")) as f:
            for line in f:
                name, _, value = line.rstrip("\n").partition("=")
                cache[name.split(":")[0]] = value
        window.click(817, 47)  # btn_qq
        self.assertEqual(self.opened(), cache["LAUNCHER_COMMUNITY_URL"])
        window.click(767, 46)  # btn_zy
        self.assertEqual(self.opened(), cache["LAUNCHER_HOMEPAGE_URL"])
        # The handler was the active window last and is gone: alt+F4 reaches
        # the launcher only once a click has made it active again.
        self.assertFalse(window.window.is_active())
        self.close_and_expect_exit(program, window, alt_f4=True)


def with_card_values(config, section, values):
    """The configuration text with these keys of `section` set (the other
    keys of the section kept)."""
    head, header, rest = config.partition("[%s]\r\n" % section)
    if not header:
        raise AssertionError("no section %s in the served configuration" % section)
    body, bracket, tail = rest.partition("[")
    kept = [line for line in body.split("\r\n") if line and line.split("=", 1)[0] not in values]
    lines = kept + ["%s=%s" % pair for pair in values.items()]
    return head + header + "\r\n".join(lines) + "\r\n\r\n" + bracket + tail


class ChineseGameTest(WorkflowTestCase):
    """A game whose folder, program and files have Chinese names, on the
    second card: the download unpacks it under those names, and the start
    fetches a UTF-8 update list that names them, repairs what differs (from
    an update folder with a Chinese name) and starts the game in its folder
    with Chinese parameters."""

    CARD = 1
    FOLDER = "青云"
    PARAMETERS = '-server 127.0.0.1 -角色 "青云 剑客"'
    UPDATE = "/FTP/cs/update/青云/"

    def prepare_site(self, built):
        site = os.path.join(self.harness.artifacts, "site")
        shutil.copytree(built, site)
        with open(self.harness.program("demo/game/DemoGame.exe"), "rb") as f:
            game = f.read()
        noise = random.Random(self.FOLDER)
        # The first release, in the archive; the update changes the map and
        # adds a file in a new folder, with a space in its name.
        self.release = {"bin/青云.exe": game, "数据/地图.dat": noise.randbytes(300 * 1024),
                        "数据/说明.txt": "青云 1.0\r\n".encode("utf-8")}
        self.update = dict(self.release)
        self.update.update({"数据/地图.dat": noise.randbytes(300 * 1024),
                            "数据/新区/补丁 1.pak": noise.randbytes(64 * 1024)})

        # Python marks non-ASCII entry names as UTF-8, as 7-Zip expects.
        with zipfile.ZipFile(os.path.join(site, "FTP", "cs", "games", "Qingyun-cn.zip"), "w") as archive:
            for name, data in self.release.items():
                archive.writestr(self.FOLDER + "/" + name, data)
        update = os.path.join(site, *self.UPDATE.strip("/").split("/"))
        for name, data in self.update.items():
            path = os.path.join(update, "files", *name.split("/"))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        # The list and the hash list as an operator makes them, with the list tool.
        made = subprocess.run(startup.prefix.command(self.harness.program("tools/MakeUpdateList.exe"),
                                                     [gui_harness.wine_path(os.path.join(update, "files")),
                                                      "--hash-list", gui_harness.wine_path(os.path.join(update,
                                                                                                        "files.b2"))]),
                              env=startup.prefix.env(self.harness.marker), stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
        self.assertEqual(made.returncode, 0, made.stderr.decode(errors="replace"))
        listing = made.stdout.decode("utf-8")
        self.assertEqual(sorted(entry.rsplit("+", 1)[0] for entry in listing.split("|")),
                         sorted(name.replace("/", "\\") for name in self.update))
        with open(os.path.join(update, "list.txt"), "wb") as f:
            f.write(made.stdout)

        with open(os.path.join(self.harness.build_dir, "demo", "site.stamp")) as f:
            base = f.read().strip()
        config_path = os.path.join(site, "FTP", "cs", "Launcher", "Config.ini")
        with open(config_path, encoding="utf-8", newline="") as f:
            config = f.read()
        config = with_card_values(config, "Game%d" % self.CARD, {
            "DownloadLink": base + "/FTP/cs/games/Qingyun-cn.zip",
            "UpGradeLink": base + self.UPDATE + "list.txt",
            "UpgradePath": base + self.UPDATE + "files/",
            "FilesB2Link": base + self.UPDATE + "files.b2",
            "FolderName": self.FOLDER,
            "ExePath": self.FOLDER + "\\bin\\青云.exe",
            "Paramete": self.PARAMETERS,
        })
        # The hash keys follow the new files; the operator signs the result.
        config = signed_config.publish(self.harness.build_dir, site, config, base)
        self.assertIn("FilesB2=" + signed_config.file_hash(os.path.join(update, "files.b2")), config)
        return site

    def test_download_then_start_repairs_and_starts_the_chinese_game(self):
        self.use_download_tool(real=False)
        card = self.CARD
        program, window, shot = self.ready_launcher()
        self.assertFalse(self.start_shown(card)(window))

        self.choose(window, card, "download", region(shot, card, MENU_AREA))
        wait_until(lambda: self.start_shown(card)(window), 120, "the start button of the installed game")
        window.screenshot("installed")
        installed = self.folder.file("Game", self.FOLDER)
        self.assertEqual(files_below(installed), self.release)
        wait_until(lambda: not os.path.exists(self.folder.file("tmp", "Qingyun-cn.zip")), 10,
                   "the archive to be deleted")

        # The program is damaged locally; the map changed on the server and
        # the patch is new there. The unchanged text is not fetched again.
        program_path = os.path.join(installed, "bin", "青云.exe")
        with open(program_path, "r+b") as f:
            f.seek(100)
            f.write(b"changed")
        self.click_start(window, card, self.UPDATE + "list.txt")
        marker_path = os.path.join(installed, "bin", "青云.started")
        marker = wait_until(lambda: read_marker(marker_path), 60, "the game to start")
        self.assertEqual(marker["program"], gui_harness.wine_path(program_path))
        self.assertEqual(marker["parameters"], self.PARAMETERS)
        self.assertEqual(marker["working_folder"], gui_harness.wine_path(os.path.join(installed, "bin")))
        wait_until(lambda: self.start_shown(card)(window), 20, "the start button to return")
        window.screenshot("started")
        local = files_below(installed)
        del local["bin/青云.started"]
        self.assertEqual(local, self.update)
        requests = requested(self.service)
        self.assertIn("GET %slist.txt 200" % self.UPDATE, requests)
        for name in ("bin/青云.exe", "数据/地图.dat", "数据/新区/补丁 1.pak"):
            self.assertIn("GET %sfiles/%s 200" % (self.UPDATE, name), requests)
        self.assertFalse([line for line in requests if "说明.txt" in line])
        self.assertTrue(program.running())


class ChineseLauncherFolderTest(WorkflowTestCase):
    """The launcher unpacked into a folder whose name holds Chinese
    characters and a space, which the system code page here cannot hold:
    cards, the first start's desktop shortcut, an install and a start."""

    folder_name = "游戏 启动器"

    def test_shortcut_install_and_start_from_a_chinese_folder(self):
        for old in glob.glob(os.path.join(startup.desktop_folder(), "*.lnk")):
            os.remove(old)
        self.use_download_tool(real=False)
        program, window, shot = self.ready_launcher()

        link = os.path.join(startup.desktop_folder(), "Nova Games.lnk")
        wait_until(lambda: os.path.exists(link) and self.folder.settings().get("LinkFlag") == "1", 10,
                   "the shortcut and LinkFlag=1")
        self.assert_link_starts_the_launcher(link)

        self.choose(window, 0, "download", region(shot, 0, MENU_AREA))
        wait_until(lambda: self.start_shown(0)(window), 120, "the start button of the installed game")
        window.screenshot("installed")
        installed = self.folder.file("Game", "Nebula")
        self.assertTrue(os.path.isfile(os.path.join(installed, "bin", "DemoGame.exe")))

        self.click_start(window, 0, "/FTP/cs/update/Nebula/list.txt")
        marker = wait_until(lambda: read_marker(os.path.join(installed, "bin", "DemoGame.started")), 60,
                            "the game to start")
        self.assertEqual(marker["parameters"], "-server 127.0.0.1 -lang en")
        self.assertEqual(marker["working_folder"], gui_harness.wine_path(os.path.join(installed, "bin")))
        self.assertIn("GET /FTP/cs/update/Nebula/list.txt 200", self.service.requests())
        self.assertTrue(program.running())


class UnsafeGameSettingsTest(WorkflowTestCase):
    """A card whose folder and program lie beside the Game folder, with a
    program really there (the demo game, which leaves a marker when it runs),
    and whose link names that program: the card shows with its notice, and
    neither start, download nor link writes or starts anything."""

    def test_card_whose_paths_leave_the_game_folder_writes_and_starts_nothing(self):
        self.use_download_tool(real=False)
        self.folder.install("..\\Escape\\bin\\x.exe")
        escape = self.folder.file("Escape")
        planted = files_below(escape)
        marker_path = os.path.join(escape, "bin", "x.started")
        with open(os.path.join(self.site, "FTP", "cs", "Launcher", "Config.ini"), encoding="utf-8", newline="") as f:
            config = f.read()
        config = with_card_values(config, "Game0", {
            "FolderName": "..\\Escape",
            "ExePath": "..\\Escape\\bin\\x.exe",
            "Link1": gui_harness.wine_path(os.path.join(escape, "bin", "x.exe")),
        })
        self.service.set_rules(self.harness.config_rules(config, self.site))
        program, window, shot = self.ready_launcher()
        def notice():
            now = window.screenshot()
            return region(now, 0, NOTICE_AREA) if notice_pixels(now, 0) > 40 else None
        refused = wait_until(notice, 10, "the card's notice")
        window.screenshot("refused-card")
        # The program exists where ExePath points, yet no start button.
        self.assertFalse(self.start_shown(0)(window))
        closed = region(shot, 0, MENU_AREA)

        for _ in range(3):
            window.click(*at(0, START))
        self.choose(window, 0, "download", closed)
        self.move_pointer(window, 120, 300)
        wait_until(lambda: not self.menu_open(window, 0, closed), 10, "the menu to close")
        # The link's notice replaces the settings' one: the click was taken.
        self.choose(window, 0, "link1", closed)
        wait_until(lambda: region(window.screenshot(), 0, NOTICE_AREA).tobytes() != refused.tobytes(), 10,
                   "the link's notice")
        window.screenshot("refused-link")
        time.sleep(2)  # time for a job or a program that should not start

        self.assertIsNone(read_marker(marker_path), "a program beside the Game folder was started")
        self.assertEqual(files_below(escape), planted)
        self.assertEqual(os.listdir(self.folder.file("Game")), [])
        # Beside the Game folder: what was there, and the launcher's settings.
        self.assertEqual(set(os.listdir(self.folder.path)) - {"GameSetting.INI"},
                         {"Escape", "Game", "Launcher.exe", "soft", "tmp"})
        requests = requested(self.service)
        self.assertFalse([line for line in requests if "Nebula.zip" in line or "/update/Nebula/" in line], requests)
        self.assertTrue(program.running())
        self.close_and_expect_exit(program, window)
        self.assertNothingLeft()


if __name__ == "__main__":
    unittest.main(verbosity=2)
