#!/usr/bin/python3
"""Builds the demo site that the launcher is run and tested against.

Usage:
  make_site.py --out DIR --base-url http://HOST:PORT --game DemoGame.exe
               --list-tool MakeUpdateList.exe --fill-tool FillConfigHashes.exe
               --build-dir BUILD [--signing-key KEY.sec] [--stamp FILE]

The same inputs give the same files. Layout below DIR (URLs are the base URL
followed by these paths):
  FTP/cs/Launcher/Config.ini        the launcher's configuration (UTF-8), its
                                    hash keys filled by the fill tool
  FTP/cs/Launcher/Config.ini.minisig  its minisign signature (with --signing-key)
  FTP/cs/Launcher/New_Launcher.exe  the self-update program (the stand-in game)
  FTP/cs/Launcher/Logo.png          155 x 45
  FTP/cs/images/<Slug>_icon.png     31 x 35, one per game
  FTP/cs/images/<Slug>_back.png     880 x 500, one per game
  FTP/cs/games/<Slug>.zip           the game archive (available games)
  FTP/cs/update/<Slug>/list.txt     the update list, made by the list tool
  FTP/cs/update/<Slug>/files.b2     the b2sum hash list of files/, likewise
  FTP/cs/update/<Slug>/files/...    the files the list names
  www/<slug>/index.html, register.html   the two web links of each game
  www/index.html, www/community.html     the launcher's homepage and
                                         community pages (its two header buttons)
The launcher's "UpgradeLink" names FTP/cs/Launcher/New_Launcher.exe; with
Version 10001 the launcher never fetches it, but its hash is filled in like
every other. Cards that are not available name no download or update: there
is nothing to hash.

The signature is made with minisign's default trusted comment (time and file
name), as the launcher requires; it is the one part that differs between two
runs.

An archive holds the first release of its game; the update folder holds the
next one (one changed file, one new file), so the first start after an
install repairs something.
"""
import argparse
import hashlib
import io
import os
import random
import re
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artwork  # noqa: E402

SOURCE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
ZIP_TIME = (2025, 1, 1, 0, 0, 0)
MIB = 1024 * 1024

LAUNCHER = {
    "Version": "10001",
    "Title": "Nova Games · 诺瓦游戏",
    "LinkName": "Nova Games",
}

# One entry per card, "Game0" first. "available" None leaves the key out.
GAMES = [
    dict(slug="Nebula", available=1, name="Nebula", type="MMO", theme="space", glyph="N",
         text="Chart the void with your fleet: trade, build, defend.", subtitle="Frontier of stars",
         folder="Nebula", exe="Nebula\\bin\\DemoGame.exe", params="-server 127.0.0.1 -lang en",
         payload=12 * MIB),
    dict(slug="Qingyun", available=1, name="青云志", type="仙侠", theme="mountains", glyph="青",
         text="御剑青云，问道长生。与好友一同踏上修仙之路。", subtitle="御剑青云 问道长生",
         folder="Qingyun", exe="Qingyun\\DemoGame.exe", params="", payload=256 * 1024),
    dict(slug="Frostfall", available=1, name="Frostfall", type="RPG", theme="ice", glyph="F",
         text="冰封山谷的秘密 - a frozen valley keeps its secrets.", subtitle="The valley remembers",
         folder="Frostfall", exe="Frostfall\\bin\\DemoGame.exe",
         params='-profile "Frost Fall" -windowed', payload=512 * 1024),
    dict(slug="Ember", available=0, name="Ember", type="ARPG", theme="lava", glyph="E",
         text="Coming soon: ride the burning tide.", subtitle="Ride the burning tide",
         folder="Ember", exe="Ember\\DemoGame.exe", params=""),
    dict(slug="Ironclad", available=1, name="Ironclad", type="SLG", theme="gears", glyph="I",
         text="Command iron legions along the meridian.", subtitle="Steel and steam",
         folder="Iron Clad", exe="Iron Clad\\DemoGame.exe", params="-mode skirmish",
         payload=384 * 1024),
    dict(slug="Huanhai", available=None, name="幻海", type="MOBA", theme="ocean", glyph="幻",
         text="幻海之歌，即将开启。", subtitle="Song of the sea",
         folder="Huanhai", exe="Huanhai\\DemoGame.exe", params=""),
]


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data.encode("utf-8") if isinstance(data, str) else data)


def png(image):
    out = io.BytesIO()
    image.save(out, "PNG", optimize=False)
    return out.getvalue()


def noise(seed, size):
    """Incompressible bytes, the same for the same seed."""
    return random.Random(seed).randbytes(size)


def release_files(game, game_exe, version):
    """The game's files (relative path with "/" -> bytes) for one release."""
    inner = game["exe"].split("\\", 1)[1].replace("\\", "/")
    files = {
        inner: game_exe,
        "data/readme.txt": "%s %s\r\n%s\r\n" % (game["name"], version, game["text"]),
        "data/settings.ini": "[Game]\r\nName=%s\r\nVersion=%s\r\n" % (game["slug"], version),
        "data/assets.pak": noise("assets-" + game["slug"], game["payload"]),
    }
    if version != "1.0.0":
        files["data/patch_%s.pak" % version] = noise("patch-%s-%s" % (game["slug"], version), 64 * 1024)
    return {name: (data.encode("utf-8") if isinstance(data, str) else data) for name, data in files.items()}


def write_archive(path, folder, files):
    """A ZIP whose entries all sit below `folder`, so 7-Zip unpacks the game
    into the launcher's game folder as <folder>/..."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with zipfile.ZipFile(path, "w") as archive:
        for name in sorted(files):
            entry = zipfile.ZipInfo(folder + "/" + name, date_time=ZIP_TIME)
            entry.external_attr = 0o644 << 16
            # Random payloads do not shrink; storing them keeps the build fast.
            entry.compress_type = zipfile.ZIP_STORED if name.endswith(".pak") else zipfile.ZIP_DEFLATED
            archive.writestr(entry, files[name])


def wine_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wineserver_running(prefix):
    """True when a wineserver of this prefix runs (one per prefix)."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/comm" % pid) as f:
                if f.read().strip() not in ("wineserver", "wineserver64"):
                    continue
            with open("/proc/%s/environ" % pid, "rb") as f:
                if ("WINEPREFIX=" + prefix).encode() in f.read().split(b"\0"):
                    return True
        except OSError:
            continue
    return False


class ListTool:
    """Runs the operator's list tool under the build tree's Wine. A wineserver
    that this run started is stopped afterwards, so a build leaves nothing
    running; one that was already up (a test run) is left alone."""

    def __init__(self, tool, fill_tool, build_dir):
        self.tool = tool
        self.fill_tool = fill_tool
        self.build_dir = os.path.abspath(build_dir)
        self.prefix = os.path.join(self.build_dir, "wineprefix")
        self.server_was_running = wineserver_running(self.prefix)

    def wine(self, tool, *args):
        command = [os.path.join(SOURCE, "scripts", "wine-run.sh"), self.build_dir, tool] + list(args)
        done = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=300)
        if done.returncode != 0:
            raise RuntimeError("%s failed (%d) for %s: %s" % (os.path.basename(tool), done.returncode, args,
                                                               done.stderr.decode(errors="replace")))
        return done.stdout.decode("utf-8")

    def run(self, folder, hash_list):
        """The update list of `folder`; its b2sum hash list goes to `hash_list`."""
        return self.wine(self.tool, wine_path(folder), "--hash-list", wine_path(hash_list))

    def fill(self, config, site, base):
        """Fills the hash keys of the Config.ini at `config` from the files below `site`."""
        self.wine(self.fill_tool, wine_path(config), wine_path(site), base)

    def close(self):
        if not self.server_was_running:
            env = dict(os.environ, WINEPREFIX=self.prefix)
            subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=env, stderr=subprocess.DEVNULL, timeout=60)


def check_list(text, files):
    """The list must name exactly the published files, each with a value."""
    entries = text.split("|")
    names = [entry.rsplit("+", 1)[0] for entry in entries]
    if not all(re.fullmatch(r"[^|+]+\+-?\d+", entry) for entry in entries):
        raise RuntimeError("unexpected list text: %r" % text[:200])
    if sorted(names) != sorted(name.replace("/", "\\") for name in files):
        raise RuntimeError("list names %s differ from the files %s" % (names, sorted(files)))


def ini_text(base, games):
    def section(name, pairs):
        lines = ["[%s]" % name]
        for key, value in pairs:
            if value is None or value == "":
                continue  # an empty value reads as absent anyway
            # The configuration grammar has no quoting: brackets would start a
            # section and a line break would end the value.
            if any(c in str(value) for c in "[]\r\n"):
                raise ValueError("value of %s/%s cannot be written: %r" % (name, key, value))
            lines.append("%s=%s" % (key, value))
        return "\r\n".join(lines) + "\r\n"

    parts = [section("Launcher", [
        ("Version", LAUNCHER["Version"]),
        ("UpgradeLink", base + "/FTP/cs/Launcher/New_Launcher.exe"),
        ("Title", LAUNCHER["Title"]),
        ("Logo", base + "/FTP/cs/Launcher/Logo.png"),
        ("LinkName", LAUNCHER["LinkName"]),
    ])]
    for index, game in enumerate(games):
        slug = game["slug"]
        published = game["available"] == 1
        parts.append(section("Game%d" % index, [
            ("Available", game["available"]),
            ("Name", game["name"]),
            ("Type", game["type"]),
            ("Text", game["text"]),
            ("Icon", "%s/FTP/cs/images/%s_icon.png" % (base, slug)),
            ("BackImage", "%s/FTP/cs/images/%s_back.png" % (base, slug)),
            ("DownloadLink", "%s/FTP/cs/games/%s.zip" % (base, slug) if published else None),
            ("Link1", "%s/www/%s/index.html" % (base, slug.lower())),
            ("Link2", "%s/www/%s/register.html" % (base, slug.lower())),
            ("UpGradeLink", "%s/FTP/cs/update/%s/list.txt" % (base, slug) if published else None),
            ("UpgradePath", "%s/FTP/cs/update/%s/files/" % (base, slug) if published else None),
            ("FilesB2Link", "%s/FTP/cs/update/%s/files.b2" % (base, slug) if published else None),
            ("FolderName", game["folder"]),
            ("ExePath", game["exe"]),
            ("Paramete", game["params"]),
        ]))
    return "\r\n".join(parts)


def web_page(game, kind):
    title = "%s - %s" % (game["name"], "Register" if kind == "register" else "Website")
    return ("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%s</title></head>\n"
            "<body><h1>%s</h1><p>%s</p></body></html>\n" % (title, title, game["text"]))


def service_page(title, text):
    return ("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%s</title></head>\n"
            "<body><h1>%s</h1><p>%s</p></body></html>\n" % (title, title, text))


def build(out, base, game_exe_path, list_tool):
    with open(game_exe_path, "rb") as f:
        game_exe = f.read()
    write(os.path.join(out, "FTP/cs/Launcher/Logo.png"), png(artwork.logo()))
    write(os.path.join(out, "FTP/cs/Launcher/New_Launcher.exe"), game_exe)
    write(os.path.join(out, "www/index.html"),
          service_page(LAUNCHER["Title"], "News, games and downloads of the demo service."))
    write(os.path.join(out, "www/community.html"),
          service_page(LAUNCHER["Title"] + " - Community", "Forums and groups of the demo service's players."))
    for index, game in enumerate(GAMES):
        slug = game["slug"]
        images = os.path.join(out, "FTP/cs/images")
        write(os.path.join(images, slug + "_icon.png"), png(artwork.icon(game["theme"], game["glyph"])))
        back = artwork.background(game["theme"], game["name"].upper(), game["subtitle"], seed=index + 1)
        write(os.path.join(images, slug + "_back.png"), png(back))
        for kind in ("index", "register"):
            write(os.path.join(out, "www", slug.lower(), kind + ".html"), web_page(game, kind))
        if game["available"] != 1:
            continue
        write_archive(os.path.join(out, "FTP/cs/games", slug + ".zip"), game["folder"],
                      release_files(game, game_exe, "1.0.0"))
        update = os.path.join(out, "FTP/cs/update", slug)
        files = release_files(game, game_exe, "1.0.1")
        for name, data in files.items():
            write(os.path.join(update, "files", name), data)
        listing = list_tool.run(os.path.join(update, "files"), os.path.join(update, "files.b2"))
        check_list(listing, files)
        check_hash_list(os.path.join(update, "files.b2"), files)
        write(os.path.join(update, "list.txt"), listing)
    config = os.path.join(out, "FTP/cs/Launcher/Config.ini")
    write(config, ini_text(base, GAMES))
    list_tool.fill(config, out, base)


def check_hash_list(path, files):
    """The hash list must name exactly the published files, each with its
    BLAKE2b-512, as b2sum writes it."""
    with open(path, "rb") as f:
        text = f.read().decode("utf-8")
    expected = "".join("%s  %s\n" % (hashlib.blake2b(files[name]).hexdigest(), name) for name in sorted(files))
    if sorted(text.splitlines()) != sorted(expected.splitlines()) or not text.endswith("\n"):
        raise RuntimeError("hash list %s differs from the files: %r" % (path, text[:300]))


def sign(config, secret_key):
    """Signs Config.ini with minisign's default trusted comment."""
    done = subprocess.run(["minisign", "-S", "-s", secret_key, "-m", config, "-x", config + ".minisig"],
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    if done.returncode != 0:
        raise RuntimeError("minisign could not sign %s: %s" % (config, done.stderr.decode(errors="replace")))


def main():
    parser = argparse.ArgumentParser(description="Builds the demo site.")
    parser.add_argument("--out", required=True)
    parser.add_argument("--base-url", required=True, help="scheme://host:port the site is served at")
    parser.add_argument("--game", required=True, help="the 64-bit DemoGame.exe")
    parser.add_argument("--list-tool", required=True, help="the 64-bit MakeUpdateList.exe")
    parser.add_argument("--fill-tool", required=True, help="the 64-bit FillConfigHashes.exe")
    parser.add_argument("--signing-key", help="minisign secret key (no password) that signs Config.ini")
    parser.add_argument("--build-dir", required=True, help="build tree whose Wine runs the list tool")
    parser.add_argument("--stamp", help="touched when the site is complete")
    options = parser.parse_args()
    base = options.base_url.rstrip("/")
    if not re.fullmatch(r"https?://[^/\s]+", base):
        parser.error("--base-url must be scheme://host[:port], got %r" % options.base_url)

    # Built beside the old site and swapped in, so a server that is serving
    # the old one never sees half a site.
    out = os.path.abspath(options.out)
    fresh = out + ".new"
    shutil.rmtree(fresh, ignore_errors=True)
    list_tool = ListTool(options.list_tool, options.fill_tool, options.build_dir)
    try:
        build(fresh, base, options.game, list_tool)
    finally:
        list_tool.close()
    if options.signing_key:
        sign(os.path.join(fresh, "FTP/cs/Launcher/Config.ini"), options.signing_key)
    old = out + ".old"
    shutil.rmtree(old, ignore_errors=True)
    if os.path.exists(out):
        os.rename(out, old)
    os.rename(fresh, out)
    shutil.rmtree(old, ignore_errors=True)
    if options.stamp:
        write(options.stamp, base + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
