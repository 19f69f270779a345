#!/usr/bin/python3
"""The launcher program end to end: Launcher.exe from a launcher folder laid
out as a user has it, in a Wine prefix of these tests' own, against the demo
service on the port its compiled-in configuration URL names. What is judged
is what a person sees (pixels of the window compared with the served
artwork, the title), the files the launcher writes, and how it ends."""
import glob
import os
import re
import shutil
import subprocess
import sys
import time
import unittest

from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import gui_harness  # noqa: E402
from gui_harness import GuiTestCase, wait_until  # noqa: E402

SIZE = (977, 641)
BACKGROUND = (0x20, 0x23, 0x2A)
TITLE = "Nova Games · 诺瓦游戏"
SKIN = os.path.join(gui_harness.SOURCE_DIR, "resources", "themes", "default", "basic")
# Client positions of the six cards, "Game0" first, and the demo site's games.
CARDS = [(40, 100), (500, 100), (40, 280), (500, 280), (40, 460), (500, 460)]
SLUGS = ["Nebula", "Qingyun", "Frostfall", "Ember", "Ironclad", "Huanhai"]
SHOWN = [0, 1, 2, 4]  # Ember has Available=0, Huanhai no Available key
LOADING_STRIP = (484, 230, 496, 470)  # the middle of the loading animation
PLAIN = (500, 15)           # bare window background
BARE = (500, 50)            # bare background below the caption: a click there does nothing
CLOSE = (920, 45)           # "closebtn"
FLAG = (252, 52)            # centre of "btn_en" and "btn_ch", which share one place
START_BUTTON = (340, 105, 420, 136)  # "btn_start" in its card
NOTICE = (488, 515)         # centre of the loading screen's notice ("loading_notice")
NOTICE_BOX = (140, 495, 836, 537)
CONFIG = "/FTP/cs/Launcher/Config.ini"

prefix = None  # the Wine prefix these tests share (made once, ~10 s)


def setUpModule():
    global prefix
    build = gui_harness.default_build_dir()
    with open(os.path.join(build, "wine", "display")) as f:
        display = f.read().strip()
    prefix = gui_harness.WineEnvironment.isolated(os.path.join(build, "gui-prefixes", "launcher-e2e"), display)
    made = subprocess.run(prefix.command("cmd", ["/c", "exit", "0"]), env=prefix.env("launcher-e2e-setup"),
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=180)
    if made.returncode != 0:
        raise RuntimeError("the test prefix could not be made (code %d)" % made.returncode)
    # A new prefix links the desktop to the Unix home; the shortcut the
    # launcher makes must land inside the prefix instead.
    for desktop in glob.glob(os.path.join(prefix.prefix, "drive_c", "users", "*", "Desktop")):
        if os.path.islink(desktop):
            os.remove(desktop)
            os.makedirs(desktop)


def tearDownModule():
    if prefix:
        prefix.close()


def desktop_folder():
    folders = [d for d in glob.glob(os.path.join(prefix.prefix, "drive_c", "users", "*", "Desktop"))
               if os.path.basename(os.path.dirname(d)) != "Public"]
    return folders[0]


def blend(image, background):
    image = image.convert("RGBA")
    out = Image.new("RGB", image.size, background)
    out.paste(image, (0, 0), image)
    return out


def mean_difference(got, expected, mask=None):
    """Mean absolute channel difference of two equal-sized RGB images, over
    the pixels where `mask` (if any) is fully opaque."""
    pairs = zip(got.getdata(), expected.getdata(), mask.getdata() if mask else [255] * (got.size[0] * got.size[1]))
    total = count = 0
    for a, b, alpha in pairs:
        if alpha == 255:
            total += abs(a[0] - b[0]) + abs(a[1] - b[1]) + abs(a[2] - b[2])
            count += 3
    return total / max(count, 1)


def crop(shot, left, top, width, height):
    return shot.crop((left, top, left + width, top + height))


class SkinnedWindow:
    """The launcher's window in the skin's coordinates: the native window is
    the skin's 977 x 641 with the drop-shadow band around it."""

    SHADOW = 14

    def __init__(self, window):
        self.window = window
        self.id = window.id

    def screenshot(self, label=None):
        s = self.SHADOW
        return self.window.screenshot(label).crop((s, s, s + SIZE[0], s + SIZE[1]))

    def click(self, x, y):
        self.window.click(x + self.SHADOW, y + self.SHADOW)

    def title(self):
        return self.window.title()

    def activate(self):
        """Makes the window the active one again, as a person would, with a
        click on bare background (below the caption strip, which would start
        a move)."""
        self.window.activate(BARE[0] + self.SHADOW, BARE[1] + self.SHADOW)

    def key(self, *keys):
        self.window.key(*keys)


class LauncherFolder:
    """Launcher.exe with "soft\\", "Game\\" and "tmp\\" beside it, in the
    folder `name` below the test's artifacts (kept when the test fails)."""

    def __init__(self, harness, name="launcher"):
        self.path = os.path.join(harness.artifacts, name)
        for folder in ("soft", "Game", "tmp"):
            os.makedirs(os.path.join(self.path, folder))
        shutil.copy(harness.program("Launcher/Launcher.exe"), self.path)
        seven_zip = os.path.join(gui_harness.SOURCE_DIR, ".deps", "7zip-bin", "7za-x64.exe")
        if os.path.exists(seven_zip):
            shutil.copy(seven_zip, os.path.join(self.path, "soft", "7z.exe"))
        self.game = harness.program("demo/game/DemoGame.exe")

    def file(self, *parts):
        return os.path.join(self.path, *parts)

    def install(self, exe_path):
        """Puts a program at Game\\<exe_path>, as an install would."""
        target = self.file("Game", *exe_path.split("\\"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy(self.game, target)

    def settings(self):
        """{key: value} of GameSetting.INI (the launcher uses one section)."""
        try:
            with open(self.file("GameSetting.INI"), "rb") as f:
                data = f.read()
        except OSError:
            return {}
        text = data.decode("utf-16") if data.startswith(b"\xff\xfe") else data.decode("latin-1")
        return dict(line.strip().split("=", 1) for line in text.splitlines() if "=" in line)


class LauncherTestCase(GuiTestCase):
    # Players unpack the launcher anywhere; a test may name the folder.
    folder_name = "launcher"

    def setUp(self):
        super().setUp()
        self.site = self.prepare_site(os.path.join(self.harness.build_dir, "demo", "site"))
        self.service = self.harness.serve_demo_site(root=self.site)
        self.folder = LauncherFolder(self.harness, self.folder_name)

    def prepare_site(self, built):
        """The folder the demo service serves: the built demo site, unless a
        test needs files of its own (it then serves a copy of its own, so
        the built site stays as other tests and the run command expect)."""
        return built

    def start_launcher(self):
        program = self.harness.start(self.folder.file("Launcher.exe"), cwd=self.folder.path, environment=prefix)
        band = 2 * SkinnedWindow.SHADOW
        window = SkinnedWindow(program.wait_window(size=(SIZE[0] + band, SIZE[1] + band)))
        # The window fades in: judge it once the background is fully there.
        wait_until(lambda: gui_harness.colour_close(window.screenshot().getpixel(PLAIN), BACKGROUND, 2), 10,
                   "the faded-in window")
        return program, window

    def site_image(self, relative):
        return Image.open(os.path.join(self.site, "FTP", "cs", *relative.split("/")))

    def served_config(self):
        with open(os.path.join(self.site, "FTP", "cs", "Launcher", "Config.ini"), encoding="utf-8") as f:
            return f.read()

    # --- what the window shows ------------------------------------------------

    def icon_difference(self, shot, card, image):
        left, top = CARDS[card]
        icon = image.convert("RGBA")
        return mean_difference(crop(shot, left + 10, top + 10, 31, 35), icon.convert("RGB"), icon.split()[3])

    def background_difference(self, shot, card, image):
        """The card's lower left against the picture as the card shows it:
        scaled to 440 x 250, centred (50 pixels cut at the top) and darkened
        by the half-transparent black overlay."""
        left, top = CARDS[card]
        scaled = image.convert("RGB").resize((440, 250), Image.BILINEAR)
        expected = Image.eval(scaled.crop((10, 140, 200, 190)), lambda v: v // 2)
        return mean_difference(crop(shot, left + 10, top + 90, 190, 50), expected)

    def loading_shows(self, shot):
        """The animation's bright arc and caption cross the gap between the
        two card columns, which is bare once the cards show."""
        strip = shot.crop(LOADING_STRIP)
        return sum(1 for pixel in strip.getdata() if max(pixel) > 150) > 20

    def cards_filled(self, window, icons=None):
        """The screenshot once every available card shows its icon (the
        served one unless `icons` maps the card to another image) and its
        served background and the unavailable ones show nothing; else None."""
        shot = window.screenshot()
        for card in range(6):
            left, top = CARDS[card]
            if card not in SHOWN:
                if not gui_harness.colour_close(shot.getpixel((left + 220, top + 75)), BACKGROUND, 2):
                    return None
                continue
            slug = SLUGS[card]
            icon = (icons or {}).get(card) or self.site_image("images/%s_icon.png" % slug)
            if self.icon_difference(shot, card, icon) > 6:
                return None
            if self.background_difference(shot, card, self.site_image("images/%s_back.png" % slug)) > 6:
                return None
        return shot

    def wait_cards(self, window, label, timeout=30, icons=None):
        shot = wait_until(lambda: self.cards_filled(window, icons), timeout, "the filled cards")
        window.screenshot(label)
        return shot

    def flag_is_chinese(self, window):
        """True while the Chinese flag (red and yellow) is the visible one;
        the English one has blue fields."""
        flag = window.screenshot().crop((FLAG[0] - 12, FLAG[1] - 12, FLAG[0] + 13, FLAG[1] + 13))
        blue = sum(1 for r, g, b in flag.getdata() if b > 100 and r < 90)
        red = sum(1 for r, g, b in flag.getdata() if r > 180 and g < 90 and b < 90)
        return red > 200 and blue == 0

    def start_button(self, shot, card):
        left, top = CARDS[card]
        return shot.crop((left + START_BUTTON[0], top + START_BUTTON[1], left + START_BUTTON[2],
                          top + START_BUTTON[3]))

    def assert_link_starts_the_launcher(self, link):
        """The shortcut, as the shell resolves it, names Launcher.exe in the
        launcher's folder and starts it there."""
        target, working = self.harness.shell_link(link, prefix)
        folder = gui_harness.wine_path(self.folder.path)
        self.assertEqual(target, folder + "\\Launcher.exe")
        self.assertIn(working, (folder, folder + "\\"))

    def close_and_expect_exit(self, program, window, alt_f4=False):
        """Ends the launcher with its close button, or with alt+F4 once a
        click has made it the active window again."""
        if alt_f4:
            window.activate()
            window.key("alt+F4")
        else:
            window.click(*CLOSE)
        self.assertEqual(program.wait_exit(30), 0)


class StartTest(LauncherTestCase):
    def test_loading_then_cards_title_logo_and_start_button_where_installed(self):
        self.folder.install("Nebula\\bin\\DemoGame.exe")
        # A slow configuration keeps the loading state on screen long enough.
        self.service.set_rules({"/FTP/cs/Launcher/Config.ini": {"rate": 1500, "times": 1}})
        program, window = self.start_launcher()
        loading = window.screenshot("loading")
        self.assertTrue(self.loading_shows(loading))
        for left, top in CARDS:
            self.assertTrue(gui_harness.colour_close(loading.getpixel((left + 220, top + 20)), BACKGROUND, 2))

        shot = self.wait_cards(window, "cards")
        self.assertFalse(self.loading_shows(shot))
        self.assertEqual(window.title(), TITLE)
        logo = blend(self.site_image("Launcher/Logo.png"), BACKGROUND)
        self.assertLess(mean_difference(crop(shot, 60, 30, 155, 45), logo), 4)
        self.assertTrue(self.flag_is_chinese(window))  # English texts: the flag offers Chinese

        # Every card carries its own name, in white, where the skin has one
        # placeholder for all.
        names = [crop(shot, CARDS[c][0] + 50, CARDS[c][1] + 12, 95, 20) for c in SHOWN]
        for card, name in zip(SHOWN, names):
            self.assertTrue(any(min(p) > 200 for p in name.getdata()), SLUGS[card])
        self.assertEqual(len({n.tobytes() for n in names}), len(names))

        # Only Nebula's executable exists: its card alone has the start button.
        button = Image.open(os.path.join(SKIN, "btn_update1.png")).convert("RGB")
        for card in SHOWN:
            edge = (2, 10, 8, 21)  # left of the text, clear of the rounded corners
            shown = mean_difference(self.start_button(shot, card).crop(edge), button.crop(edge)) < 6
            self.assertEqual(shown, card == 0, SLUGS[card])

        self.close_and_expect_exit(program, window)
        self.assertNothingLeft()

    def test_first_run_makes_the_shortcut_once(self):
        for old in glob.glob(os.path.join(desktop_folder(), "*.lnk")):
            os.remove(old)
        program, window = self.start_launcher()
        self.wait_cards(window, "first-run")
        link = os.path.join(desktop_folder(), "Nova Games.lnk")
        wait_until(lambda: os.path.exists(link) and self.folder.settings().get("LinkFlag") == "1", 10,
                   "the shortcut and LinkFlag=1")
        self.assert_link_starts_the_launcher(link)
        self.close_and_expect_exit(program, window)

        os.remove(link)
        program, window = self.start_launcher()
        self.wait_cards(window, "second-run")
        self.close_and_expect_exit(program, window)
        self.assertFalse(os.path.exists(link))


class LanguageTest(LauncherTestCase):
    def test_chinese_flag_switches_the_cards_and_the_next_start(self):
        self.folder.install("Nebula\\bin\\DemoGame.exe")
        program, window = self.start_launcher()
        english = self.start_button(self.wait_cards(window, "english"), 0)
        self.assertTrue(self.flag_is_chinese(window))

        window.click(*FLAG)
        wait_until(lambda: not self.flag_is_chinese(window), 10, "the English flag")
        chinese = wait_until(lambda: (lambda b: b if b.tobytes() != english.tobytes() else None)(
            self.start_button(window.screenshot(), 0)), 10, "the Chinese start button")
        window.screenshot("chinese")
        self.assertEqual(self.folder.settings().get("Language"), "1")
        self.close_and_expect_exit(program, window)

        program, window = self.start_launcher()
        shot = self.wait_cards(window, "chinese-next-start")
        wait_until(lambda: not self.flag_is_chinese(window), 10, "the English flag at the next start")
        self.assertLess(mean_difference(self.start_button(window.screenshot(), 0), chinese), 2)
        self.assertTrue(shot)
        self.close_and_expect_exit(program, window)


class FailedConfigurationTest(LauncherTestCase):
    def assert_stays_loading(self, window, seconds=3.0):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            shot = window.screenshot()
            self.assertTrue(self.loading_shows(shot))
            self.assertTrue(gui_harness.colour_close(shot.getpixel((CARDS[0][0] + 220, CARDS[0][1] + 20)),
                                                     BACKGROUND, 2))
            time.sleep(0.5)
        self.assertEqual(window.title(), "Basic")

    def test_missing_configuration_leaves_loading_and_the_flag_working(self):
        self.service.set_rules({"/FTP/cs/Launcher/Config.ini": {"status": 404}})
        program, window = self.start_launcher()
        wait_until(lambda: any(r.startswith("GET /FTP/cs/Launcher/Config.ini 404") for r in self.service.requests()),
                   10, "the failed configuration fetch")
        self.assert_stays_loading(window)
        window.screenshot("loading-after-404")
        self.assertEqual(program.windows(), [window.id])  # no message box

        window.click(*FLAG)
        wait_until(lambda: not self.flag_is_chinese(window), 10, "the English flag")
        self.assertEqual(self.folder.settings().get("Language"), "1")

        # (Minimising is not seen here: without a window manager Xvfb keeps a
        # minimised window on screen. The skin tests check that button.)

    def test_stalled_configuration_leaves_loading_and_close_still_ends(self):
        self.service.set_rules({"/FTP/cs/Launcher/Config.ini": {"stall": 100}})
        program, window = self.start_launcher()
        wait_until(lambda: any(r.startswith("GET /FTP/cs/Launcher/Config.ini stall") for r in self.service.requests()),
                   10, "the stalled configuration fetch")
        self.assert_stays_loading(window)
        window.screenshot("loading-while-stalled")
        window.click(*CLOSE)
        self.assertEqual(program.wait_exit(30), 0)
        self.assertNothingLeft()


    def test_stalled_logo_holds_the_cards_back_only_for_the_stall_limit(self):
        # Every fetch gives up once nothing arrives for 30 s; the logo that
        # never came keeps the skin's own picture, and the cards follow.
        self.service.set_rules({"/FTP/cs/Launcher/Logo.png": {"stall": 100}})
        program, window = self.start_launcher()
        began = time.monotonic()
        shot = self.wait_cards(window, "cards-after-stalled-logo", timeout=90)
        self.assertGreater(time.monotonic() - began, 20)
        skin_logo = blend(Image.open(os.path.join(SKIN, "Logo.png")), BACKGROUND)
        self.assertLess(mean_difference(crop(shot, 60, 30, 155, 45), skin_logo), 4)
        self.assertNotIn("Logo.png", os.listdir(self.folder.file("tmp")))
        self.close_and_expect_exit(program, window)


def orange_pixels(image):
    """Pixels of the skin's notice colour (#fcb755) and its anti-aliasing."""
    return sum(1 for r, g, b in image.getdata() if r > 170 and 110 < g < 215 and b < 150 and r - b > 60)


class UnreachableConfigurationTest(LauncherTestCase):
    """The configuration server is down at start: the loading screen says so
    in the chosen language, the launcher tries again by itself and on a
    click, and the cards come once the server is back, without a restart."""

    def failed_fetches(self):
        return sum(1 for r in self.service.requests() if r == "GET %s 503" % CONFIG)

    def wait_notice(self, label, other_than=None):
        def shown():
            area = window_shot().crop(NOTICE_BOX)
            if orange_pixels(area) < 40:
                return None
            if other_than is not None and mean_difference(area, other_than) < 1:
                return None
            return area
        window_shot = self.window.screenshot
        area = wait_until(shown, 15, "the notice on the loading screen (%s)" % label)
        self.window.screenshot(label)
        return area

    def start_with_the_server_down(self):
        self.service.set_rules({CONFIG: {"status": 503}})
        self.program, self.window = self.start_launcher()
        self.down_since = time.monotonic()
        english = self.wait_notice("unreachable-english")
        self.assertTrue(self.loading_shows(self.window.screenshot()))
        return english

    def test_notice_follows_the_language_and_the_cards_come_when_the_server_is_back(self):
        english = self.start_with_the_server_down()
        self.window.click(*FLAG)
        wait_until(lambda: not self.flag_is_chinese(self.window), 10, "the English flag")
        self.wait_notice("unreachable-chinese", other_than=english)

        # Back after 15 s: by then the tries at 0, 2, 6 and 14 s have failed,
        # and the next one, at most 16 s later, brings the cards.
        time.sleep(max(0.0, 15 - (time.monotonic() - self.down_since)))
        self.service.set_rules({})
        self.assertGreaterEqual(self.failed_fetches(), 3)
        shot = self.wait_cards(self.window, "cards-after-outage", timeout=45)
        self.assertEqual(orange_pixels(shot.crop(NOTICE_BOX)), 0)
        self.assertEqual(self.window.title(), TITLE)
        self.assertEqual(self.program.windows(), [self.window.id])  # no message box
        self.close_and_expect_exit(self.program, self.window)
        self.assertNothingLeft()

    def test_a_configuration_changed_after_signing_is_refused_like_an_unreachable_one(self):
        # One byte of the signed configuration changed on the way; the
        # signature beside it is the site's own.
        config = self.served_config()
        tampered = config.replace("Version=10001", "Version=10011")
        self.assertNotEqual(config, tampered)
        self.service.set_rules({CONFIG: {"body": tampered}})
        self.program, self.window = self.start_launcher()
        self.wait_notice("tampered-configuration")
        wait_until(lambda: sum(1 for r in self.service.requests() if r == "GET %s.minisig 200" % CONFIG) >= 2, 20,
                   "a second try after the refused configuration")
        self.assertTrue(self.loading_shows(self.window.screenshot()))
        self.assertFalse(self.cards_filled(self.window, None))
        self.assertEqual(self.window.title(), "Basic")
        self.assertNotIn("ConfigTimestamp", self.folder.settings())
        # The signed configuration, on the next try, brings the cards.
        self.service.set_rules({})
        self.window.click(*NOTICE)
        self.wait_cards(self.window, "cards-after-signed-configuration", timeout=30)
        self.assertEqual(self.window.title(), TITLE)
        with open(os.path.join(self.site, "FTP", "cs", "Launcher", "Config.ini.minisig"), encoding="ascii") as f:
            signed_at = re.search(r"trusted comment: timestamp:(\d+)\t", f.read()).group(1)
        self.assertEqual(self.folder.settings().get("ConfigTimestamp"), signed_at)
        self.close_and_expect_exit(self.program, self.window)

    def test_a_click_on_the_notice_tries_again_at_once(self):
        self.start_with_the_server_down()
        # After the fourth failure the launcher waits 16 s by itself.
        wait_until(lambda: self.failed_fetches() >= 4, 40, "four failed configuration fetches")
        self.service.set_rules({})
        clicked = time.monotonic()
        self.window.click(*NOTICE)
        wait_until(lambda: any(r.startswith("GET %s 200" % CONFIG) for r in self.service.requests()), 10,
                   "the configuration fetched after the click")
        self.assertLess(time.monotonic() - clicked, 10)
        self.wait_cards(self.window, "cards-after-click", timeout=30)
        self.close_and_expect_exit(self.program, self.window)


class SelfUpdateTest(LauncherTestCase):
    def serve_version(self, version, upgrade_rule):
        config = self.served_config().replace("Version=10001", "Version=%s" % version)
        self.service.set_rules(dict(self.harness.config_rules(config, self.site),
                                    **{"/FTP/cs/Launcher/New_Launcher.exe": upgrade_rule}))

    def test_other_version_replaces_the_launcher_and_starts_the_new_one(self):
        new_launcher = os.path.join(self.site, "FTP", "cs", "update", "Nebula", "files", "bin", "DemoGame.exe")
        self.serve_version("10002", {"file": "FTP/cs/update/Nebula/files/bin/DemoGame.exe"})
        program = self.harness.start(self.folder.file("Launcher.exe"), cwd=self.folder.path, environment=prefix)
        self.assertEqual(program.wait_exit(60), 0)
        self.assertIn("GET /FTP/cs/Launcher/New_Launcher.exe 200", self.service.requests())
        # The batch file swaps the programs once the launcher has ended and
        # starts the new one: here the demo game, which shows its own name.
        self.harness.wait_window("Launcher", timeout=60)
        with open(new_launcher, "rb") as f:
            expected = f.read()
        wait_until(lambda: not os.path.exists(self.folder.file("update.bat")), 30, "the batch file to delete itself")
        with open(self.folder.file("Launcher.exe"), "rb") as f:
            self.assertEqual(f.read(), expected)
        self.assertFalse(os.path.exists(self.folder.file("New_Launcher.exe")))
        self.assertEqual(os.listdir(self.folder.file("tmp")), [])  # it left before fetching any image

    def expect_error_box_and_nothing_written(self, label):
        program = self.harness.start(self.folder.file("Launcher.exe"), cwd=self.folder.path, environment=prefix)
        box = self.harness.wait_window("Zadu Rizodi", timeout=60, environment=prefix)
        box.screenshot(label)
        self.assertTrue(program.running())  # the process ends only once the box is closed
        # The box takes the foreground as it opens. It is not clicked: the
        # launcher's window, raised while the box opens, can lie above it in
        # Wine's order and would take the click.
        wait_until(box.is_active, 20, "the error box to be the active window")
        box.key("Return")
        self.assertEqual(program.wait_exit(30), 0)
        for name in ("New_Launcher.exe", "update.bat"):
            self.assertFalse(os.path.exists(self.folder.file(name)), name)
        with open(self.folder.file("Launcher.exe"), "rb") as f, \
                open(self.harness.program("Launcher/Launcher.exe"), "rb") as original:
            self.assertEqual(f.read(), original.read())

    def test_missing_new_launcher_shows_error_one(self):
        self.serve_version("10000", {"status": 404})
        self.expect_error_box_and_nothing_written("error-404")

    def test_page_instead_of_a_program_shows_error_one_and_replaces_nothing(self):
        self.serve_version("", {"body": "<html>not a program</html>"})
        self.expect_error_box_and_nothing_written("error-not-a-program")
        self.assertIn("GET /FTP/cs/Launcher/New_Launcher.exe 200", self.service.requests())


class UnsafeImageNameTest(LauncherTestCase):
    def test_image_name_that_climbs_out_of_tmp_is_not_saved(self):
        # The last "/"-segment is the name; the request itself goes out
        # with the dots resolved, as /FTP/cs/evil.png.
        url = "http://127.0.0.1:%d/FTP/cs/images/a\\..\\..\\evil.png" % self.service.port
        config = self.served_config().replace(
            "http://127.0.0.1:%d/FTP/cs/images/Nebula_icon.png" % self.service.port, url)
        self.assertIn(url, config)
        self.service.set_rules(dict(self.harness.config_rules(config, self.site),
                                    **{"/FTP/cs/evil.png": {"file": "FTP/cs/images/Ember_icon.png"}}))
        program, window = self.start_launcher()
        # Nebula keeps the skin's own icon; every other image is the served one.
        shot = self.wait_cards(window, "cards", icons={0: Image.open(os.path.join(SKIN, "Vector-12.png"))})
        self.assertIn("GET /FTP/cs/evil.png 200", self.service.requests())
        for root, _, files in os.walk(self.harness.artifacts):
            self.assertNotIn("evil.png", files, root)
        self.assertGreater(self.icon_difference(shot, 0, self.site_image("images/Ember_icon.png")), 20)
        self.close_and_expect_exit(program, window)


if __name__ == "__main__":
    unittest.main(verbosity=2)
