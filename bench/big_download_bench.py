#!/usr/bin/python3
"""Benchmark: big downloads through the launcher with the real aria2c and
7-Zip. Prints figures; asserts nothing about them.

  moved/size   a game archive of --mib MiB of random data (stored), its
               download closed by the player at about half and installed by
               a second try: bytes the service sent over the archive's size
               (1.0 is a perfect continue, 1.5 a restart from zero)
  stall        the service stops sending after 1 MiB: seconds from the stall
               to the card's notice

Needs the Wine test environment (scripts/wine-env.sh start build/x64), the
demo site's port free, and about 3 x --mib of free disk. Usage:
  LAUNCHER_BUILD_DIR=build/x64 /usr/bin/python3 bench/big_download_bench.py [--mib N]"""
import argparse
import os
import shutil
import sys
import time
import unittest
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "launcher-workflows"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "launcher-start"))
import test_big_downloads as big  # noqa: E402
import test_launcher_workflows as workflows  # noqa: E402
from gui_harness import wait_until  # noqa: E402
from test_launcher import setUpModule, tearDownModule  # noqa: E402,F401

MIB = 1024 * 1024
ARCHIVE_MIB = 1024
FIGURES = []


class BigArchiveBench(big.BigDownloadTestCase):
    def prepare_site(self, built):
        site = os.path.join(self.harness.artifacts, "site")
        shutil.copytree(built, site, copy_function=os.link)
        self.archive = os.path.join(site, *big.ARCHIVE.strip("/").split("/"))
        os.remove(self.archive)
        with zipfile.ZipFile(self.archive, "w", zipfile.ZIP_STORED, allowZip64=True) as z:
            z.writestr("Nebula/bin/DemoGame.exe", os.urandom(64 * 1024))
            entry = zipfile.ZipInfo("Nebula/data/big.pak", date_time=(2026, 1, 1, 0, 0, 0))
            with z.open(entry, "w", force_zip64=True) as f:
                for _ in range(ARCHIVE_MIB):
                    f.write(os.urandom(MIB))
        self.archive_size = os.path.getsize(self.archive)
        return site

    def test_interrupted_at_half_then_installed(self):
        program, window = self.start_download()
        wait_until(lambda: workflows.bar_fill(window.screenshot(), 0) >= 0.45 * big.FULL_BAR, 1800, "half")
        window.click(*workflows.CLOSE)
        self.assertEqual(program.wait_exit(30), 0)
        first = self.settled_count()
        began = time.monotonic()
        program, window = self.start_download()
        self.install_to_the_end(window, timeout=3600)
        moved = self.downloaded()
        FIGURES.append("archive %.0f MiB: first try %.1f%%, second try %.1f%%, moved/size %.3f, second try %.0f s"
                       % (self.archive_size / MIB, 100.0 * first / self.archive_size,
                          100.0 * (moved - first) / self.archive_size, moved / self.archive_size,
                          time.monotonic() - began))
        self.close_and_expect_exit(program, window)

    def test_stall_to_notice(self):
        # Mid-download: the check before it (HEAD, one-byte range) answers.
        self.service.set_rules({big.ARCHIVE: {"stall": MIB, "after": 2}})
        program, window = self.start_download()
        stalled = wait_until(lambda: any(line.startswith("GET %s stall" % big.ARCHIVE)
                                         for line in self.service.requests()) or None, 60, "the stall")
        self.assertTrue(stalled)
        began = time.monotonic()
        # The notice's orange text in the card's notice label.
        wait_until(lambda: workflows.notice_pixels(window.screenshot(), 0) > 40, 120, "the notice")
        FIGURES.append("stall to notice: %.1f s" % (time.monotonic() - began))
        self.close_and_expect_exit(program, window)


def main():
    global ARCHIVE_MIB
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--mib", type=int, default=ARCHIVE_MIB)
    options = parser.parse_args()
    ARCHIVE_MIB = options.mib
    suite = unittest.defaultTestLoader.loadTestsFromTestCase(BigArchiveBench)
    # Module set-up (the Wine prefix) as unittest's runner would do it.
    setUpModule()
    try:
        result = unittest.TextTestRunner(verbosity=2).run(suite)
    finally:
        tearDownModule()
    for line in FIGURES:
        print(line)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
