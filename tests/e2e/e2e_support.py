"""What every e2e test needs: the bundle, the probe, Wine's notepad, X key events."""

import argparse
import os
import subprocess
import time

from peer import ROOT, Peer  # noqa: F401  (re-exported for the tests)
from Xlib import X, XK, display
from Xlib.ext import xtest

WINE_RUN = os.path.join(ROOT, "tools", "wine-run")


def parse_args():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bundle", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--actor", help="clipboard_actor.exe, for the paste tests")
    return parser.parse_args()


class Probe:
    def __init__(self, path):
        self.path = path

    def run(self, *args):
        done = subprocess.run([WINE_RUN, self.path, *args], capture_output=True, timeout=60)
        return done.returncode, done.stdout.decode("utf-8", "replace")

    def rect(self, command="rect"):
        rc, out = self.run(command)
        assert rc == 0, "no murmurly window (%d)" % rc
        return tuple(int(v) for v in out.split())

    def visible(self, window_class):
        return self.run("visible", window_class)[1].strip() == "1"


def wait_for(predicate, what, timeout=30.0, step=0.1):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(step)


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, timeout=30).stdout.decode().split()


def x_window(name):
    found = xdotool("search", "--name", "^%s$" % name)
    return found[0] if found else None


def focus(probe, name, window_class):
    """Gives an X window the focus, which without a window manager makes it Wine's foreground
    window; retried until Wine says so."""
    window = wait_for(lambda: x_window(name), "X window " + name)

    tries = [0]

    def focused():
        # Now and then Wine keeps the old foreground window after a focus change alone; a click
        # inside the window settles it.
        if tries[0] % 3 == 2:
            xdotool("mousemove", "--window", window, "40", "80", "click", "1")
        tries[0] += 1
        xdotool("windowfocus", "--sync", window)
        time.sleep(0.2)
        return probe.run("foreground")[1].strip() == window_class

    wait_for(focused, "%s in the foreground" % name, timeout=20, step=0.3)


def start_notepad():
    process = subprocess.Popen([WINE_RUN, "notepad"], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    wait_for(lambda: x_window("Untitled - Notepad"), "notepad")
    return process


def stop_wine():
    """Ends what is left in this test's own Wine prefix (notepad, explorer)."""
    subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=wine_prefix()),
                   timeout=60, capture_output=True)


def wine_prefix():
    return os.environ.get("MURMURLY_WINEPREFIX", os.path.join(ROOT, "build", "wineprefix"))


class XKeys:
    """Key events through XTEST, synced with the X server: right-hand modifiers need them
    (xdotool sends the left one). Each returns the moment the server had taken the event."""

    def __init__(self):
        self.display = display.Display()

    def send(self, kind, name):
        code = self.display.keysym_to_keycode(XK.string_to_keysym(name))
        xtest.fake_input(self.display, kind, code)
        self.display.sync()
        return time.monotonic()

    def down(self, *names):
        return [self.send(X.KeyPress, name) for name in names][-1]

    def up(self, *names):
        return [self.send(X.KeyRelease, name) for name in names][-1]

    def hold(self, seconds, *names):
        self.down(*names)
        time.sleep(seconds)
        self.up(*reversed(names))

    def click(self, seconds, button):
        """An X pointer button (2 middle, 8 and 9 the side buttons) held for `seconds`."""
        for kind in (X.ButtonPress, X.ButtonRelease):
            xtest.fake_input(self.display, kind, button)
            self.display.sync()
            time.sleep(seconds if kind == X.ButtonPress else 0.05)


def run_test(test, *args):
    """Runs one test and prints PASS or FAIL; 1 when it failed."""
    try:
        test(*args)
        print("PASS", test.__name__)
        return 0
    except AssertionError as error:
        print("FAIL", test.__name__, error)
        return 1


def summary(count, failed):
    """Prints the tally; the exit code for it."""
    print("%d passed, %d failed" % (count - failed, failed))
    return 1 if failed else 0
