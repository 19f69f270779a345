"""Drives Windows programs under Wine on the test X display, for GUI tests
and start-up benchmarks (Python standard library, PIL and xdotool).

The ctest fixture `wine_env` gives a build tree one Xvfb display (its name in
BUILD/wine/display), one Wine prefix (BUILD/wineprefix) and a running
wineserver. A test makes one `Harness`, starts programs through it, and
closes it at the end (`GuiTestCase` does both):

    class FloorTest(GuiTestCase):
        def test_click(self):
            app = self.harness.start(self.harness.program("tests/gui/MinimalLayeredWindow.exe"))
            window = app.wait_window(size=(977, 641))
            window.click(100, 100)
            ...

`Harness.serve_demo_site()` serves the build tree's demo site for the test
on the port its URLs (and the launcher's compiled-in configuration URL)
name, with fault rules set through `DemoService.set_rules`.
`measure_start` gives start-up figures for benchmarks (bench/gui_bench.py).

Coordinates given to a `Window` are relative to its client area; the
launcher's windows are borderless, so the client area is the window
rectangle.

Keys go to the window that Wine holds active in the program's prefix, not to
the one with the X focus: after another program was active (a link handler,
a started game), keys typed at a window that was not clicked again go to
that program or nowhere. So a test makes the window active with a click on a
spot where a click does nothing else (`Window.activate`) before it types, and
`Window.key` refuses to type into a window that is not active.

Every wait polls a condition until a deadline (`wait_until`); no check
relies on a fixed sleep. When a test fails, `GuiTestCase` keeps a
screenshot of the screen at its end, the screenshots it saved and the
programs' Wine output in BUILD/gui-failures/<test>/.
"""
import io
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import unittest

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import signed_config  # noqa: E402

SOURCE_DIR = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
WINE_RUN = os.path.join(SOURCE_DIR, "scripts", "wine-run.sh")
DEMO_SERVER = os.path.join(SOURCE_DIR, "demo", "service", "demo_server.py")
# Reports Wine's active window, which nothing on the X side shows.
WINDOW_PROBE = os.path.join("tests", "gui-window", "WindowProbe.exe")
WINESERVER = "/usr/lib/wine/wineserver"
RUN_MARKER = "GUI_HARNESS_RUN"

# Processes Wine keeps per prefix while its server runs; they are not
# anything a test started.
WINE_SERVICES = {"services.exe", "winedevice.exe", "plugplay.exe", "explorer.exe", "svchost.exe", "rpcss.exe",
                 "winemenubuilder.exe"}


def check_own_display(build_dir, display):
    """Fails unless the X server of the build tree's fixture still runs on
    `display`: when two trees start Xvfb at once on the same number, one of
    them exits and that tree's tests would drive the other tree's screen."""
    try:
        with open(os.path.join(build_dir, "wine", "xvfb.pid")) as f:
            pid = int(f.read())
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            argv = f.read().split(b"\0")
    except (OSError, ValueError):
        argv = []
    if not argv or display.encode() not in argv:
        raise RuntimeError("the test display %s of %s is not served by this tree's Xvfb (see %s/wine/xvfb.pid); "
                           "another tree may have taken the display number" % (display, build_dir, build_dir))


class HarnessTimeout(AssertionError):
    """A condition was not met before its deadline (a test failure)."""


def wait_until(condition, timeout, what, interval=0.05):
    """Polls `condition()` until it returns a true value, which is returned.
    Raises HarnessTimeout naming `what` when `timeout` seconds pass first."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise HarnessTimeout("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def default_build_dir():
    return os.environ.get("LAUNCHER_BUILD_DIR") or os.path.join(SOURCE_DIR, "build", "x64")


def wine_path(path):
    """The Windows name of a Unix path (Wine maps the root as Z:)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def colour_close(actual, expected, tolerance=8):
    return all(abs(a - e) <= tolerance for a, e in zip(actual[:3], expected[:3]))


def run_xdotool(display, *args, timeout=10):
    done = subprocess.run(["xdotool"] + [str(a) for a in args], env=dict(os.environ, DISPLAY=display),
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=timeout)
    return done.returncode, done.stdout.decode(errors="replace")


def pointer_location(display):
    code, out = run_xdotool(display, "getmouselocation", "--shell")
    values = dict(line.split("=", 1) for line in out.split() if "=" in line) if code == 0 else {}
    return int(values.get("X", -1)), int(values.get("Y", -1))


def move_pointer_to(display, x, y):
    """Moves the pointer and waits until it is there. "mousemove --sync"
    alone waits for a motion that never comes when the pointer is already
    on the point."""
    if pointer_location(display) == (x, y):
        return
    run_xdotool(display, "mousemove", "--sync", x, y)


def grab_screen(display, box=None):
    """A screenshot of the display (or of `box` = (left, top, right, bottom))
    as an RGB image."""
    try:
        from PIL import ImageGrab
        return ImageGrab.grab(bbox=box, xdisplay=display).convert("RGB")
    except (ImportError, OSError):
        # PIL without XCB: ImageMagick's import does the same, slower.
        shot = subprocess.run(["import", "-display", display, "-window", "root", "png:-"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=30, check=True)
        image = Image.open(io.BytesIO(shot.stdout)).convert("RGB")
        return image.crop(box) if box else image


class WineEnvironment:
    """Where programs run: a folder holding `wineprefix/` and `wine/display`
    (the layout scripts/wine-run.sh expects of a build tree). The default is
    the build tree itself; `isolated` makes one of a test's own."""

    def __init__(self, root, display, owned=False):
        self.root = os.path.abspath(root)
        self.display = display
        self.owned = owned
        self.prefix = os.path.join(self.root, "wineprefix")

    @classmethod
    def isolated(cls, root, display):
        """A fresh prefix below `root` on the same display. Creating it takes
        several seconds on first use; `close` stops and deletes it."""
        shutil.rmtree(root, ignore_errors=True)
        os.makedirs(os.path.join(root, "wine"))
        with open(os.path.join(root, "wine", "display"), "w") as f:
            f.write(display + "\n")
        return cls(root, display, owned=True)

    def command(self, program, args):
        return [WINE_RUN, self.root, program] + [str(a) for a in args]

    def env(self, marker):
        # Windows programs hand their environment down to the processes they
        # start, so `marker` finds everything a test set off, however deep.
        return dict(os.environ, DISPLAY=self.display, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                    **{RUN_MARKER: marker})

    def close(self):
        """Ends an isolated prefix's processes and deletes it (a prefix takes
        hundreds of MiB); the build tree's own is left to the fixture."""
        if self.owned:
            env = dict(os.environ, WINEPREFIX=self.prefix)
            for step in ("-k", "-w"):
                subprocess.run([WINESERVER, step], env=env, stderr=subprocess.DEVNULL, timeout=60)
            shutil.rmtree(self.root, ignore_errors=True)


class Window:
    """One top-level X window of a program. Points are client coordinates.
    `environment` is where its program runs (default: the harness's)."""

    def __init__(self, harness, window_id, environment=None):
        self.harness = harness
        self.id = window_id
        self.environment = environment or harness.environment

    def geometry(self):
        """(x, y, width, height) on the screen."""
        code, out = run_xdotool(self.harness.display, "getwindowgeometry", "--shell", self.id)
        if code != 0:
            raise AssertionError("window %d is gone" % self.id)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def title(self):
        return run_xdotool(self.harness.display, "getwindowname", self.id)[1].rstrip("\n")

    def to_screen(self, x, y):
        left, top, _, _ = self.geometry()
        return left + x, top + y

    def screenshot(self, label=None):
        left, top, width, height = self.geometry()
        return self.harness.screenshot(label, box=(left, top, left + width, top + height))

    def pixel(self, x, y):
        sx, sy = self.to_screen(x, y)
        return grab_screen(self.harness.display, (sx, sy, sx + 1, sy + 1)).getpixel((0, 0))

    def wait_pixel(self, x, y, colour, timeout=10, tolerance=8):
        seen = []

        def matches():
            seen[:] = [self.pixel(x, y)]
            return colour_close(seen[0], colour, tolerance)
        try:
            wait_until(matches, timeout, "colour %s at (%d, %d) of window %d" % (colour, x, y, self.id))
        except HarnessTimeout as timeout_error:
            raise HarnessTimeout("%s (last seen %s)" % (timeout_error, seen[0] if seen else None)) from None

    def move_pointer(self, x, y):
        move_pointer_to(self.harness.display, *self.to_screen(x, y))

    def click(self, x, y, button=1, repeat=1):
        move_pointer_to(self.harness.display, *self.to_screen(x, y))
        run_xdotool(self.harness.display, "click", "--repeat", repeat, button)

    def drag(self, start, end, steps=10, button=1):
        """Presses at `start`, moves to `end` in `steps` moves, releases."""
        sx, sy = self.to_screen(*start)
        ex, ey = sx + end[0] - start[0], sy + end[1] - start[1]
        move_pointer_to(self.harness.display, sx, sy)
        run_xdotool(self.harness.display, "mousedown", button)
        for i in range(1, steps + 1):
            move_pointer_to(self.harness.display, sx + (ex - sx) * i // steps, sy + (ey - sy) * i // steps)
        run_xdotool(self.harness.display, "mouseup", button)

    def is_active(self):
        """True while the window is Wine's active window in its prefix."""
        return self.harness.active_title(self.environment) == self.title()

    def activate(self, x, y, timeout=20):
        """Clicks at (x, y), which must be a point where a click does nothing
        else, and waits until Wine has made the window the active one. Wine
        activates a window only once its program has taken the click from its
        queue, so keys typed straight after the click could still reach the
        window that was active before."""
        title = self.title()
        seen = []

        def active():
            seen[:] = [self.harness.active_title(self.environment)]
            return seen[0] == title
        self.click(x, y)
        try:
            wait_until(active, timeout, "window %d (%r) to become the active window" % (self.id, title))
        except HarnessTimeout as timeout_error:
            raise HarnessTimeout("%s (the active one: %r)" % (timeout_error, seen[0] if seen else None)) from None

    def key(self, *keys):
        """Types `keys` (xdotool names, for example "alt+F4") into the window,
        which must be the active one (see `activate`): typed at another, they
        could end the wrong program."""
        active, title = self.harness.active_title(self.environment), self.title()
        if active != title:
            raise AssertionError("not typing %s: the active window is %r, not %r (click it first: Window.activate)"
                                 % (" ".join(keys), active, title))
        # The X focus decides which Wine process (and so which prefix) the
        # keys reach; Wine then hands them to its active window.
        run_xdotool(self.harness.display, "windowfocus", "--sync", self.id)
        run_xdotool(self.harness.display, "key", "--clearmodifiers", *keys)


def message_box_bare_point(box):
    """A point of a Windows message box where a click does nothing: its
    bottom left corner, below any icon and left of the centred buttons."""
    return 10, box.geometry()[3] - 10


class Program:
    """A Windows program started under Wine. `pid` is the Unix process that
    is the Windows process (wine-run.sh replaces itself with the loader)."""

    def __init__(self, harness, environment, program, args, cwd, log_path):
        self.harness = harness
        self.environment = environment
        self.name = os.path.basename(program)
        self.log_path = log_path
        self.log = open(log_path, "ab")
        self.started = time.monotonic()
        self.process = subprocess.Popen(environment.command(program, args), cwd=cwd,
                                        env=environment.env(harness.marker),
                                        stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        self.pid = self.process.pid

    def running(self):
        return self.process.poll() is None

    def windows(self, title=None):
        """Ids of the program's visible top-level windows (title: exact)."""
        args = ["search", "--onlyvisible", "--pid", self.pid]
        if title is not None:
            # Without --all, xdotool matches the pid or the title.
            args = ["search", "--all", "--onlyvisible", "--pid", self.pid, "--name", "^%s$" % re.escape(title)]
        code, out = run_xdotool(self.harness.display, *args)
        return [int(line) for line in out.split()] if code == 0 else []

    def wait_window(self, title=None, size=None, timeout=30):
        """The first visible window (with this exact title, of this size)."""
        def find():
            if not self.running():
                raise AssertionError("%s ended (code %s) before showing a window" % (self.name, self.process.poll()))
            for window_id in self.windows(title):
                window = Window(self.harness, window_id, self.environment)
                try:
                    if size is None or tuple(window.geometry()[2:]) == tuple(size):
                        return window
                except AssertionError:
                    continue  # closed between the search and the look
            return None
        return wait_until(find, timeout, "a window of %s%s" % (self.name, " titled %r" % title if title else ""),
                          interval=0.1)

    def wait_no_window(self, timeout=10):
        wait_until(lambda: not self.running() or not self.windows(), timeout, "the windows of %s to go" % self.name)

    def wait_exit(self, timeout=30):
        """The exit code, once the process has ended."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessTimeout("%s still running after %.1f s" % (self.name, timeout)) from None

    def kill(self):
        if self.running():
            self.process.send_signal(signal.SIGKILL)
            self.process.wait(10)
        self.log.close()

    def peak_memory_kib(self):
        """Peak resident set of the process so far (the working set Wine
        reports is this memory), in KiB; None once it has ended."""
        try:
            with open("/proc/%d/status" % self.pid) as f:
                for line in f:
                    if line.startswith("VmHWM:"):
                        return int(line.split()[1])
        except OSError:
            pass
        return None

    def cpu_seconds(self):
        """User plus system CPU time used so far; None once it has ended."""
        try:
            with open("/proc/%d/stat" % self.pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
        except (OSError, IndexError, ValueError):
            return None


class DemoService:
    """demo/service/demo_server.py serving `root` on 127.0.0.1:`port` (0: a
    free one) for one test; its rules file, request log and output are kept
    in `folder`. Stop it with `stop` (a Harness does at close)."""

    def __init__(self, root, folder, port=0):
        os.makedirs(folder, exist_ok=True)
        self.rules_path = os.path.join(folder, "rules.json")
        self.log_path = os.path.join(folder, "requests.log")
        self.sent_path = os.path.join(folder, "sent.log")
        self.port_file = os.path.join(folder, "service.port")
        for stale in (self.port_file, self.log_path, self.sent_path):
            if os.path.exists(stale):
                os.remove(stale)
        self.set_rules({})
        with open(os.path.join(folder, "service.out"), "ab") as output:
            self.process = subprocess.Popen(
                ["/usr/bin/python3", DEMO_SERVER, "--root", root, "--port", str(port), "--port-file", self.port_file,
                 "--rules", self.rules_path, "--request-log", self.log_path, "--sent-log", self.sent_path],
                stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT)
        self.port = wait_until(self.read_port, 20, "the demo service on port %s" % (port or "any"))

    def read_port(self):
        if self.process.poll() is not None:
            raise AssertionError("the demo service ended at start (code %d); is the port taken?" % self.process.poll())
        try:
            with open(self.port_file) as f:
                return int(f.read())
        except (OSError, ValueError):
            return None

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def set_rules(self, rules):
        """Replaces the fault rules (path -> rule, see demo_server.py)."""
        with open(self.rules_path + ".tmp", "w", encoding="utf-8") as f:
            json.dump(rules, f)
        os.replace(self.rules_path + ".tmp", self.rules_path)

    def requests(self):
        """The requests so far, as "METHOD PATH STATUS" lines."""
        try:
            with open(self.log_path, encoding="utf-8") as f:
                return f.read().splitlines()
        except OSError:
            return []

    def bytes_sent(self, path):
        """Body bytes written so far for GET answers at `path` (as sent,
        percent-encoded); an answer still going out is counted to the last
        MiB, the rest once it ends or breaks off."""
        try:
            with open(self.sent_path, encoding="utf-8") as f:
                lines = f.read().splitlines()
        except OSError:
            return 0
        return sum(int(line.rsplit(" ", 1)[1]) for line in lines if line.startswith("GET %s " % path))

    def stop(self):
        """Ends the server; its exit code (0 for a clean end)."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(10)
        return self.process.returncode


class Harness:
    """The programs, prefixes and screenshots of one test."""

    def __init__(self, name, build_dir=None, probe=None):
        """`probe`: the WindowProbe.exe to ask (default: the build tree's)."""
        self.build_dir = os.path.abspath(build_dir or default_build_dir())
        self.probe = probe or os.path.join(self.build_dir, WINDOW_PROBE)
        display_file = os.path.join(self.build_dir, "wine", "display")
        if not os.path.exists(display_file):
            raise RuntimeError("no test display for %s: run the tests through ctest (fixture wine_env) or "
                               "scripts/wine-env.sh start %s first" % (self.build_dir, self.build_dir))
        with open(display_file) as f:
            self.display = f.read().strip()
        check_own_display(self.build_dir, self.display)
        self.name = re.sub(r"[^A-Za-z0-9_.-]+", "_", name)
        self.artifacts = os.path.join(self.build_dir, "gui-failures", self.name)
        shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.artifacts)
        self.environment = WineEnvironment(self.build_dir, self.display)
        self.environments = [self.environment]
        self.marker = "%s-%d-%d" % (self.name, os.getpid(), time.monotonic_ns())
        self.programs = []
        self.services = []
        self.shots = 0

    def program(self, relative):
        """A program of the build tree, by its path below the tree."""
        path = os.path.join(self.build_dir, relative)
        if not os.path.isfile(path):
            raise RuntimeError("not built: %s" % path)
        return path

    def isolated_environment(self, name):
        """A Wine prefix of this test's own, BUILD/gui-prefixes/<test>-<name>/,
        deleted again at close."""
        env = WineEnvironment.isolated(os.path.join(self.build_dir, "gui-prefixes", self.name + "-" + name),
                                       self.display)
        self.environments.append(env)
        return env

    def serve_demo_site(self, port=None, root=None):
        """The build tree's demo site (or the folder `root`, such as a test's
        own copy of it), served on the port its URLs name (the launcher's
        configuration URL is compiled in) unless `port` is given. Rules,
        request log and output land among the test's artifacts."""
        demo = os.path.join(self.build_dir, "demo")
        if port is None:
            with open(os.path.join(demo, "site.stamp")) as f:
                port = int(f.read().strip().rsplit(":", 1)[1])
        service = DemoService(root or os.path.join(demo, "site"), os.path.join(self.artifacts, "demo-service"), port)
        self.services.append(service)
        return service

    def config_rules(self, body, site=None):
        """Demo service rules that serve `body` as the launcher's Config.ini,
        its hash keys filled from the files of `site` (default: the build's
        demo site) and signed with the build's demo key (signed_config.py)."""
        demo = os.path.join(self.build_dir, "demo")
        with open(os.path.join(demo, "site.stamp")) as f:
            base = f.read().strip()
        return signed_config.config_rules(self.build_dir, body, site or os.path.join(demo, "site"), base)

    def start(self, program, *args, cwd=None, environment=None):
        """Starts a Windows program (a path) with arguments, in `cwd`
        (default: the build tree) and `environment` (default: the build
        tree's prefix)."""
        environment = environment or self.environment
        log = os.path.join(self.artifacts, "%02d-%s.log" % (len(self.programs) + 1, os.path.basename(program)))
        started = Program(self, environment, program, args, cwd or self.build_dir, log)
        self.programs.append(started)
        return started

    def wait_window(self, title, timeout=30, environment=None):
        """A visible window with this exact title, whatever process shows it
        (for example a game the launcher started), of a program running in
        `environment` (default: the build tree's prefix)."""
        def find():
            code, out = run_xdotool(self.display, "search", "--onlyvisible", "--name", "^%s$" % re.escape(title))
            return Window(self, int(out.split()[0]), environment) if code == 0 and out.split() else None
        return wait_until(find, timeout, "a window titled %r" % title, interval=0.1)

    def active_title(self, environment=None):
        """The title of Wine's active window in `environment`'s prefix
        (default: the build tree's), None when no window is active."""
        if not os.path.isfile(self.probe):
            raise RuntimeError("not built: %s" % self.probe)
        environment = environment or self.environment
        done = subprocess.run(environment.command(self.probe, ["foreground"]), env=environment.env(self.marker),
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              timeout=60)
        if done.returncode == 2:
            return None
        if done.returncode != 0:
            raise AssertionError("WindowProbe.exe foreground ended with code %d" % done.returncode)
        return done.stdout.decode("utf-8", errors="replace").rstrip("\r\n")

    def shell_link(self, path, environment=None):
        """(target, working folder) of the shell link at the Unix `path` as
        Windows reads them in `environment` (default: the build tree's)."""
        if not os.path.isfile(self.probe):
            raise RuntimeError("not built: %s" % self.probe)
        environment = environment or self.environment
        done = subprocess.run(environment.command(self.probe, ["link", wine_path(path)]),
                              env=environment.env(self.marker), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=60)
        if done.returncode != 0:
            raise AssertionError("WindowProbe.exe link %s ended with code %d" % (path, done.returncode))
        target, working = done.stdout.decode("utf-8").splitlines()[:2]
        return target, working

    def screenshot(self, label=None, box=None):
        """The screen (or `box`) as an RGB image; with a label it is also
        saved among the test's artifacts."""
        image = grab_screen(self.display, box)
        if label:
            self.shots += 1
            image.save(os.path.join(self.artifacts, "%02d-%s.png" % (self.shots, re.sub(r"\W+", "_", label))))
        return image

    def leftovers(self):
        """{pid: lower-case name} of the Windows processes that the programs
        this harness started (and their descendants) still run; Wine's own
        services, which a first start in a prefix brings up, aside."""
        left = {}
        marker = ("%s=%s" % (RUN_MARKER, self.marker)).encode()
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/environ" % pid, "rb") as f:
                    if marker not in f.read().split(b"\0"):
                        continue
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    argv0 = f.read().split(b"\0")[0].decode(errors="replace")
            except OSError:
                continue
            # Wine shows a Windows process's own path as its argv[0]; the
            # wineserver and the scripts around the loader are not such.
            name = re.split(r"[\\/]", argv0)[-1].lower()
            if name.endswith(".exe") and name not in WINE_SERVICES:
                left[int(pid)] = name
        return left

    def close(self):
        """Ends whatever the test left running, its demo services and its own
        prefixes."""
        for started in self.programs:
            started.kill()
        for service in self.services:
            service.stop()
        for pid in self.leftovers():
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        # A killed process takes a moment to go; the next test must not see it.
        try:
            wait_until(lambda: not self.leftovers(), 10, "killed processes to end")
        except HarnessTimeout:
            pass
        for env in self.environments:
            env.close()


class GuiTestCase(unittest.TestCase):
    """A test with a `self.harness`. On failure the screen at the test's end
    and everything the harness saved stay in BUILD/gui-failures/<test>/;
    after a pass that folder is removed."""

    def setUp(self):
        self.harness = Harness(self.id())
        self.addCleanup(self.harness.close)
        # Cleanups run last-in first-out: this shot is taken before any
        # program is ended, so it shows the state the test failed in.
        self.addCleanup(self.harness.screenshot, "at-end")

    def run(self, result=None):
        result = result or self.defaultTestResult()
        before = len(result.failures) + len(result.errors)
        outcome = super().run(result)
        harness = getattr(self, "harness", None)
        if harness is not None:
            if len(result.failures) + len(result.errors) > before:
                print("GUI artifacts of %s: %s" % (self.id(), harness.artifacts), file=sys.stderr)
            else:
                shutil.rmtree(harness.artifacts, ignore_errors=True)
        return outcome

    def assertNothingLeft(self, timeout=10):
        """No process the test started still runs (Wine's services aside)."""
        try:
            wait_until(lambda: not self.harness.leftovers(), timeout, "no leftover processes")
        except HarnessTimeout:
            self.fail("still running: %s" % self.harness.leftovers())


def screen_size(display):
    code, out = run_xdotool(display, "getdisplaygeometry")
    width, height = out.split()
    return int(width), int(height)


def measure_start(harness, program, args=(), probe=None, colour=None, idle_seconds=10.0, tolerance=8,
                  timeout=60):
    """Starts `program` and measures what a person waits for and what it
    costs: seconds from process start until the screen pixel `probe`
    (default: the screen's centre) shows `colour`, then CPU use over
    `idle_seconds` as a percent of one core and the peak resident memory in
    MiB. Leaves the program running and returns (figures, program)."""
    if probe is None:
        width, height = screen_size(harness.display)
        probe = (width // 2, height // 2)
    box = (probe[0], probe[1], probe[0] + 1, probe[1] + 1)

    def shows_colour():
        return colour_close(grab_screen(harness.display, box).getpixel((0, 0)), colour, tolerance)
    # A frame left by an earlier run must not count as this one's.
    wait_until(lambda: not shows_colour(), timeout, "the probe pixel to clear", interval=0.02)
    started = harness.start(program, *args)
    wait_until(shows_colour, timeout, "the first frame of %s" % os.path.basename(program), interval=0.002)
    figures = {"first_frame_s": time.monotonic() - started.started}
    cpu_before, idle_began = started.cpu_seconds(), time.monotonic()
    time.sleep(idle_seconds)  # the measuring window itself, not a wait for a condition
    cpu_after = started.cpu_seconds()
    if cpu_before is None or cpu_after is None:
        raise AssertionError("%s ended while idle" % os.path.basename(program))
    figures["idle_cpu_percent"] = 100.0 * (cpu_after - cpu_before) / (time.monotonic() - idle_began)
    figures["peak_memory_mib"] = started.peak_memory_kib() / 1024.0
    return figures, started
