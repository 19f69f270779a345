#!/usr/bin/python3
"""The demo service: the server's answers and fault rules, and the generated
site the launcher is pointed at."""
import hashlib
import http.client
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile
import zlib

from PIL import Image

SOURCE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
SERVICE = os.path.join(SOURCE, "demo", "service")
sys.path.insert(0, SERVICE)
sys.path.insert(0, os.path.join(SOURCE, "tests", "support"))
import gui_harness  # noqa: E402
import signed_config  # noqa: E402
from gui_harness import DemoService, WINE_RUN, default_build_dir, wait_until  # noqa: E402

BIG = bytes((i * 7 + 3) % 251 for i in range(200 * 1024))


def raw_get(port, path, wait=1.5):
    """Everything the server sends for a GET within `wait` seconds, and
    whether it closed the connection."""
    with socket.create_connection(("127.0.0.1", port), timeout=wait) as s:
        s.sendall(("GET %s HTTP/1.1\r\nHost: x\r\n\r\n" % path).encode())
        data = b""
        try:
            while True:
                piece = s.recv(65536)
                if not piece:
                    return data, True
                data += piece
        except socket.timeout:
            return data, False


def request(service, path, method="GET", headers=None):
    connection = http.client.HTTPConnection("127.0.0.1", service.port, timeout=10)
    try:
        connection.request(method, path, headers=headers or {})
        response = connection.getresponse()
        return response.status, dict(response.getheaders()), response.read()
    finally:
        connection.close()


class ServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="demo-server-")
        cls.root = os.path.join(cls.folder, "root")
        os.makedirs(os.path.join(cls.root, "a"))
        with open(os.path.join(cls.root, "a", "b.txt"), "wb") as f:
            f.write(b"hello\n")
        with open(os.path.join(cls.root, "big.bin"), "wb") as f:
            f.write(BIG)
        with open(os.path.join(cls.folder, "secret"), "wb") as f:
            f.write(b"outside")
        cls.server = DemoService(cls.root, os.path.join(cls.folder, "main"))

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        shutil.rmtree(cls.folder)

    def setUp(self):
        self.server.set_rules({})

    def test_files_with_length_ranges_and_backslash_paths(self):
        status, headers, body = request(self.server, "/a/b.txt")
        self.assertEqual((status, headers["Content-Length"], body), (200, "6", b"hello\n"))
        self.assertEqual(request(self.server, "/a%5Cb.txt")[2], b"hello\n")
        status, headers, body = request(self.server, "/big.bin", method="HEAD")
        self.assertEqual((status, headers["Content-Length"], body), (200, str(len(BIG)), b""))
        status, headers, body = request(self.server, "/big.bin", headers={"Range": "bytes=1000-"})
        self.assertEqual((status, body), (206, BIG[1000:]))
        self.assertEqual(headers["Content-Range"], "bytes 1000-%d/%d" % (len(BIG) - 1, len(BIG)))
        self.assertEqual(request(self.server, "/big.bin", headers={"Range": "bytes=-10"})[::2], (206, BIG[-10:]))
        self.assertEqual(request(self.server, "/big.bin", headers={"Range": "bytes=%d-" % len(BIG)})[0], 416)
        status, headers, body = request(self.server, "/missing")
        self.assertEqual((status, headers["Content-Length"]), (404, str(len(body))))
        self.assertEqual(request(self.server, "/../secret")[0], 404)
        self.assertEqual(self.server.requests()[-2:], ["GET /missing 404", "GET /../secret 404"])

    def test_rules_apply_at_their_paths_and_follow_the_file(self):
        self.server.set_rules({"/a/b.txt": {"status": 404},
                               "/x.exe": {"body": "<html>error</html>", "times": 1},
                               "/slow": {"file": "big.bin", "rate": 400000}})
        self.assertEqual(request(self.server, "/a/b.txt")[0], 404)
        self.assertEqual(request(self.server, "/x.exe")[::2], (200, b"<html>error</html>"))
        self.assertEqual(request(self.server, "/x.exe")[0], 404)
        began = time.monotonic()
        self.assertEqual(request(self.server, "/slow")[2], BIG)
        self.assertGreaterEqual(time.monotonic() - began, 0.3)
        self.server.set_rules({})
        self.assertEqual(request(self.server, "/a/b.txt")[0], 200)

    def test_stall_sends_part_of_the_body_and_silent_sends_nothing(self):
        self.server.set_rules({"/big.bin": {"stall": 1000}, "/a/b.txt": {"silent": True}})
        data, closed = raw_get(self.server.port, "/big.bin")
        head, _, body = data.partition(b"\r\n\r\n")
        self.assertIn(b"Content-Length: %d" % len(BIG), head)
        self.assertEqual((body, closed), (BIG[:1000], False))
        self.assertEqual(raw_get(self.server.port, "/a/b.txt"), (b"", False))
        self.assertEqual(self.server.requests()[-2:], ["GET /big.bin stall", "GET /a/b.txt silent"])

    def test_sigterm_ends_the_server_while_a_connection_is_held(self):
        other = DemoService(self.root, os.path.join(self.folder, "other"))
        other.set_rules({"/a/b.txt": {"silent": True}})
        held = socket.create_connection(("127.0.0.1", other.port))
        held.sendall(b"GET /a/b.txt HTTP/1.1\r\nHost: x\r\n\r\n")
        try:
            wait_until(lambda: other.requests(), 10, "the held request")
            self.assertEqual(other.stop(), 0)
        finally:
            held.close()


def parse_config(text):
    """The launcher's grammar: "[name]" switches section, "key=value" lines
    with trimmed spaces, first value wins."""
    sections, current = {}, ""
    for line in text.split("\n"):
        match = re.search(r"\[([^\]]*)\]", line)
        if match:
            current = match.group(1)
        if "=" in line:
            key, value = (part.strip(" ").rstrip("\r") for part in line.split("=", 1))
            if current and key and value:
                sections.setdefault(current, {}).setdefault(key, value)
    return sections


def colour_count(image):
    """Distinct colours: drawn artwork has many, a flat box a handful."""
    return len(image.convert("RGB").getcolors(image.width * image.height))


class SiteTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        build = default_build_dir()
        cls.site = os.path.join(build, "demo", "site")
        with open(os.path.join(build, "demo", "site.stamp")) as f:
            cls.base = f.read().strip()
        with open(os.path.join(cls.site, "FTP/cs/Launcher/Config.ini"), encoding="utf-8") as f:
            cls.config = parse_config(f.read())

    def local(self, url):
        self.assertTrue(url.startswith(self.base + "/"), url)
        return os.path.join(self.site, url[len(self.base) + 1:])

    def games(self):
        return [self.config["Game%d" % i] for i in range(6)]

    def test_configuration_names_the_launcher_and_six_cards(self):
        launcher = self.config["Launcher"]
        self.assertEqual(launcher["Version"], "10001")
        self.assertTrue(launcher["Title"] and launcher["LinkName"])
        with Image.open(self.local(launcher["Logo"])) as logo:
            self.assertEqual(logo.size, (155, 45))
        self.assertEqual([g.get("Available") == "1" for g in self.games()].count(True), 4)
        texts = [g["Name"] + g["Text"] for g in self.games() if g.get("Available") == "1"]
        self.assertTrue(any(re.search(r"[\u4e00-\u9fff]", t) for t in texts))
        self.assertTrue(any(re.search(r"[A-Za-z]{4}", t) for t in texts))
        for game in self.games():
            with Image.open(self.local(game["Icon"])) as icon:
                self.assertEqual(icon.size, (31, 35))
                self.assertGreater(colour_count(icon), 50)
            with Image.open(self.local(game["BackImage"])) as back:
                self.assertTrue(back.width <= 1920 and back.height <= 1024, back.size)
                self.assertGreater(colour_count(back), 1000)

    def test_each_available_game_installs_and_updates_from_the_site(self):
        shapes, largest = [], 0
        for game in (g for g in self.games() if g.get("Available") == "1"):
            folder, exe = game["FolderName"], game["ExePath"]
            self.assertTrue(exe.startswith(folder + "\\"), exe)
            shapes.append(exe.count("\\"))
            archive = self.local(game["DownloadLink"])
            largest = max(largest, os.path.getsize(archive))
            with zipfile.ZipFile(archive) as z:
                names = [n.replace("/", "\\") for n in z.namelist()]
                self.assertIn(exe, names)
                self.assertTrue(all(n.startswith(folder + "\\") for n in names), names)
                self.assertEqual(z.read(exe.replace("\\", "/"))[:2], b"MZ")
                if os.path.getsize(archive) > 4 << 20:
                    sample = z.read(max(z.infolist(), key=lambda i: i.file_size))[:1 << 20]
                    self.assertGreater(len(zlib.compress(sample)), len(sample) * 0.99)
            with open(self.local(game["UpGradeLink"]), encoding="ascii") as f:
                listed = [entry.split("+")[0] for entry in f.read().split("|")]
            files = self.local(game["UpgradePath"])
            present = sorted(os.path.relpath(os.path.join(d, n), files).replace("/", "\\")
                             for d, _, ns in os.walk(files) for n in ns)
            self.assertEqual(sorted(listed), present)
            self.assertIn(exe[len(folder) + 1:], listed)
        self.assertIn(2, shapes)  # folder\bin\game.exe
        self.assertGreaterEqual(largest, 4 << 20)

    def test_every_link_of_an_available_card_is_served(self):
        service = DemoService(self.site, tempfile.mkdtemp(prefix="demo-site-"))
        try:
            for game in (g for g in self.games() if g.get("Available") == "1"):
                for key in ("Icon", "BackImage", "DownloadLink", "Link1", "Link2", "UpGradeLink"):
                    path = game[key][len(self.base):]
                    self.assertEqual(request(service, path, method="HEAD")[0], 200, game[key])
        finally:
            service.stop()
            shutil.rmtree(os.path.dirname(service.rules_path))

    def test_the_site_is_signed_and_every_hash_key_matches_its_file(self):
        with open(os.path.join(self.site, "FTP/cs/Launcher/Config.ini"), "rb") as f:
            raw = f.read()
        launcher = self.config["Launcher"]
        self.assertEqual(launcher["UpgradeB2"], signed_config.file_hash(self.local(launcher["UpgradeLink"])))
        available = [g for g in self.games() if g.get("Available") == "1"]
        for game in available:
            for link, hash_key in (("DownloadLink", "DownloadB2"), ("UpGradeLink", "UpGradeB2"),
                                   ("FilesB2Link", "FilesB2")):
                self.assertEqual(game[hash_key], signed_config.file_hash(self.local(game[link])), hash_key)
            # coreutils b2sum accepts the hash list the list tool wrote, for
            # exactly the files of the update folder.
            files = self.local(game["UpgradePath"])
            checked = subprocess.run(["b2sum", "--strict", "-c", self.local(game["FilesB2Link"])], cwd=files,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
            self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
            present = sum(len(names) for _, _, names in os.walk(files))
            self.assertEqual(checked.stdout.decode("utf-8").count(": OK\n"), present)
        self.assertFalse([g for g in self.games() if g.get("Available") != "1" and "DownloadLink" in g])
        key = os.path.join(default_build_dir(), "signing", "demo.pub")
        if signed_config.demo_key(default_build_dir()) is None:
            self.assertFalse(os.path.exists(os.path.join(self.site, "FTP/cs/Launcher/Config.ini.minisig")))
            return
        verified = subprocess.run(["minisign", "-V", "-p", key, "-m", os.path.join(self.site, "FTP/cs/Launcher/Config.ini")],
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(verified.returncode, 0, verified.stderr)
        self.assertRegex(verified.stdout.decode(), r"Trusted comment: timestamp:\d+\tfile:Config\.ini\thashed")
        self.assertTrue(raw.startswith(b"[Launcher]\r\n"))

    def test_fill_tool_refuses_links_it_cannot_hash_and_leaves_the_file(self):
        build = default_build_dir()
        tool = os.path.join(build, "tools", "FillConfigHashes.exe")
        with tempfile.TemporaryDirectory() as folder:
            os.makedirs(os.path.join(folder, "site", "games"))
            with open(os.path.join(folder, "site", "games", "a b.zip"), "wb") as f:
                f.write(b"archive")
            config = os.path.join(folder, "Config.ini")

            def fill(text):
                with open(config, "w", encoding="utf-8", newline="") as f:
                    f.write(text)
                done = subprocess.run([WINE_RUN, build, tool, gui_harness.wine_path(config),
                                       gui_harness.wine_path(os.path.join(folder, "site")), "http://cdn.example"],
                                      stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                      timeout=120)
                with open(config, encoding="utf-8", newline="") as f:
                    return done.returncode, f.read(), done.stderr.decode(errors="replace")

            good = "[Game0]\r\nName=A\r\nDownloadLink=http://cdn.example/games/a%20b.zip\r\nText=b\r\n"
            code, text, errors = fill(good)
            self.assertEqual(code, 0, errors)
            self.assertEqual(text, good.replace(".zip\r\n", ".zip\r\nDownloadB2=%s\r\n"
                                                % hashlib.blake2b(b"archive").hexdigest()))
            for bad in (good.replace("cdn.example", "other.example"), good.replace("a%20b", "missing")):
                code, text, errors = fill(bad)
                self.assertEqual(code, 1, errors)
                self.assertEqual(text, bad)
                self.assertIn("DownloadLink", errors)

    def test_generation_gives_the_same_bytes_every_time(self):
        import make_site

        class Lister:  # the real tools run under Wine; names and hashes are enough here
            def run(self, folder, hash_list):
                names = sorted(os.path.relpath(os.path.join(d, n), folder).replace(os.sep, "/")
                               for d, _, ns in os.walk(folder) for n in ns)
                with open(hash_list, "w", encoding="utf-8", newline="") as f:
                    f.write("".join("%s  %s\n" % (signed_config.file_hash(os.path.join(folder, n)), n)
                                    for n in names))
                return "|".join("%s+1" % n.replace("/", "\\") for n in names)

            def fill(self, config, site, base):
                with open(config, encoding="utf-8", newline="") as f:
                    filled = signed_config.fill_hashes(f.read(), site, base)
                with open(config, "w", encoding="utf-8", newline="") as f:
                    f.write(filled)

        def snapshot(folder):
            game, out = os.path.join(folder, "game.exe"), os.path.join(folder, "site")
            with open(game, "wb") as f:
                f.write(b"MZ" + bytes(range(256)))
            make_site.build(out, "http://127.0.0.1:1", game, Lister())
            result = {}
            for d, _, names in os.walk(out):
                for n in names:
                    with open(os.path.join(d, n), "rb") as f:
                        result[os.path.relpath(os.path.join(d, n), out)] = zlib.crc32(f.read())
            return result
        with tempfile.TemporaryDirectory() as one, tempfile.TemporaryDirectory() as two:
            first = snapshot(one)
            self.assertIn("FTP/cs/games/Nebula.zip", first)
            self.assertEqual(first, snapshot(two))


if __name__ == "__main__":
    unittest.main(verbosity=2)
