#!/usr/bin/python3
"""Benchmark: the install of a 200 MiB game archive through the launcher with
the real aria2c and 7-Zip, against a copy of the demo site whose first game
is that archive. Prints figures; asserts nothing about them.

  wall            click on "Download" until the start button shows
  tools           the lifetimes of the aria2c and 7z processes in that run
  added           wall minus tools: thread and process starts, the polling
                  of the tools, the hand-over between them, the UI updates
  gaps            where the added time goes
  standalone      the same two command lines run on their own right after,
                  for comparison
  launcher        peak working set before and after the install, and the
                  CPU time it used during it

Needs the wine_env fixture (scripts/wine-env.sh start BUILD) and the demo
site's port free. Usage: bench_install.py [--mib N]"""
import argparse
import os
import shutil
import subprocess
import sys
import time
import unittest
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "launcher-start"))
import gui_harness  # noqa: E402
import signed_config  # noqa: E402
import test_launcher as startup  # noqa: E402
from test_launcher import setUpModule, tearDownModule  # noqa: E402,F401
import test_launcher_workflows as workflows  # noqa: E402

MIB = 1024 * 1024
ARCHIVE_MIB = 200
POLL_S = 0.01


def make_site(source, out, game_exe, mib):
    """The demo site, hard-linked, with Nebula.zip holding `mib` MiB of
    incompressible data besides the game's program."""
    shutil.rmtree(out, ignore_errors=True)
    shutil.copytree(source, out, copy_function=os.link)
    archive = os.path.join(out, "FTP", "cs", "games", "Nebula.zip")
    os.remove(archive)
    with zipfile.ZipFile(archive, "w", allowZip64=True) as z:
        z.write(game_exe, "Nebula/bin/DemoGame.exe")
        entry = zipfile.ZipInfo("Nebula/data/big.pak", date_time=(2025, 1, 1, 0, 0, 0))
        with z.open(entry, "w", force_zip64=True) as f:
            for _ in range(mib):
                f.write(os.urandom(MIB))
    return os.path.getsize(archive)


class Lifetimes:
    """First and last moment each watched Windows program of the test was
    seen running, and the highest resident memory seen for it. Each process
    is classified once, so a sample costs little more than listing /proc and
    does not take the CPU from what it measures."""

    def __init__(self, marker, names):
        self.marker = ("%s=%s" % (gui_harness.RUN_MARKER, marker)).encode()
        self.names = names
        self.known = {}  # pid -> watched name or None
        self.first = {}
        self.last = {}
        self.peak = {}

    def classify(self, pid):
        try:
            with open("/proc/%s/environ" % pid, "rb") as f:
                if self.marker not in f.read().split(b"\0"):
                    return None
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                argv0 = f.read().split(b"\0")[0].decode(errors="replace")
        except OSError:
            return None
        name = argv0.replace("/", "\\").split("\\")[-1].lower()
        # A process shows the loader's name until Wine has set it up.
        return name if name in self.names else ("" if "wine" in name else None)

    def sample(self):
        now = time.monotonic()
        for pid in filter(str.isdigit, os.listdir("/proc")):
            name = self.known.get(pid)
            if name is None and pid in self.known:
                continue
            if not name:
                name = self.known[pid] = self.classify(pid)
                if not name:
                    continue
            try:
                with open("/proc/%s/status" % pid) as f:
                    peak = next(int(line.split()[1]) for line in f if line.startswith("VmHWM:"))
            except (OSError, StopIteration):
                continue
            self.first.setdefault(name, now)
            self.last[name] = now
            self.peak[name] = max(self.peak.get(name, 0), peak)

    def life(self, name):
        return self.last[name] - self.first[name]


class InstallBenchmark(workflows.WorkflowTestCase):
    mib = ARCHIVE_MIB

    def setUp(self):
        super().setUp()
        port = self.service.port
        self.service.stop()
        self.harness.services.remove(self.service)
        site = os.path.join(self.harness.artifacts, "site")
        self.archive_bytes = make_site(self.site, site, self.harness.program("demo/game/DemoGame.exe"), self.mib)
        # The configuration names the big archive's hash, as an operator publishes it.
        signed_config.republish(self.harness.build_dir, site)
        self.service = gui_harness.DemoService(site, os.path.join(self.harness.artifacts, "bench-service"), port)
        self.harness.services.append(self.service)
        self.use_download_tool(real=True)

    def run_tool(self, *args):
        began = time.monotonic()
        done = subprocess.run(startup.prefix.command(self.folder.file("soft", args[0]), args[1:]),
                              env=startup.prefix.env(self.harness.marker), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
        self.assertEqual(done.returncode, 0, args[0])
        return time.monotonic() - began

    def standalone(self):
        """The launcher's two command lines, run on their own."""
        scratch = os.path.join(self.harness.artifacts, "standalone")
        os.makedirs(os.path.join(scratch, "tmp"))
        tmp = gui_harness.wine_path(os.path.join(scratch, "tmp")) + "\\"
        game = gui_harness.wine_path(os.path.join(scratch, "Game")) + "\\"
        url = "http://127.0.0.1:%d/FTP/cs/games/Nebula.zip" % self.service.port
        download = self.run_tool("aria2c.exe", "--summary-interval=5", "--allow-overwrite=true", "--dir=" + tmp,
                                 "--out=Nebula.zip", "--max-connection-per-server=16", "--split=128", url)
        unpack = self.run_tool("7z.exe", "x", tmp + "Nebula.zip", "-o" + game, "-y", "-bsp1")
        shutil.rmtree(scratch)
        return download, unpack

    def test_install(self):
        program, window, shot = self.ready_launcher()
        closed = workflows.region(shot, 0, workflows.MENU_AREA)
        memory_before = program.peak_memory_kib()
        cpu_before = program.cpu_seconds()
        start_shown = self.start_shown(0)
        tools = Lifetimes(self.harness.marker, ("aria2c.exe", "7z.exe"))

        self.open_menu(window, 0, closed)
        window.click(*workflows.at(0, workflows.MENU_ENTRIES["download"]))
        clicked = time.monotonic()
        next_look = clicked
        while True:
            tools.sample()
            now = time.monotonic()
            if now >= next_look and "7z.exe" in tools.first:
                next_look = now + 0.05  # a screenshot costs more than a process scan
                if start_shown(window):
                    shown = time.monotonic()
                    break
            self.assertLess(now - clicked, 900, "the install did not end")
            time.sleep(POLL_S)
        memory_after = program.peak_memory_kib()
        cpu_after = program.cpu_seconds()
        # While the launcher still runs, so the prefix's Wine server is up as
        # it was for the install.
        download_alone, unpack_alone = self.standalone()

        wall = shown - clicked
        download, unpack = tools.life("aria2c.exe"), tools.life("7z.exe")
        figures = [
            ("archive", "%.1f MiB" % (self.archive_bytes / MIB)),
            ("wall (click to start button)", "%.2f s" % wall),
            ("aria2c run / standalone", "%.2f s / %.2f s" % (download, download_alone)),
            ("7z run / standalone", "%.2f s / %.2f s" % (unpack, unpack_alone)),
            ("added by the launcher", "%.2f s" % (wall - download - unpack)),
            ("  click to aria2c running", "%.2f s" % (tools.first["aria2c.exe"] - clicked)),
            ("  aria2c gone to 7z running", "%.2f s" % (tools.first["7z.exe"] - tools.last["aria2c.exe"])),
            ("  7z gone to start button seen", "%.2f s" % (shown - tools.last["7z.exe"])),
            ("wall minus standalone tools", "%.2f s" % (wall - download_alone - unpack_alone)),
            ("launcher peak working set before / after", "%.1f / %.1f MiB" % (memory_before / 1024,
                                                                             memory_after / 1024)),
            ("launcher CPU during the install", "%.2f s (%.1f%% of one core)" % (
                cpu_after - cpu_before, 100.0 * (cpu_after - cpu_before) / wall)),
            ("aria2c / 7z peak working set", "%.1f / %.1f MiB" % (tools.peak.get("aria2c.exe", 0) / 1024,
                                                                  tools.peak.get("7z.exe", 0) / 1024)),
        ]
        print("\ninstall benchmark (sampling every %d ms; the tools' lifetimes are within one sample)"
              % (POLL_S * 1000), file=sys.stderr)
        for name, value in figures:
            print("  %-42s %s" % (name, value), file=sys.stderr)
        self.close_and_expect_exit(program, window)


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--mib", type=int, default=ARCHIVE_MIB)
    options, rest = parser.parse_known_args()
    InstallBenchmark.mib = options.mib
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
