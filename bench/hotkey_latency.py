"""Key-down to "onHotkeyDown" and key-up to "onHotkeyUp" at the Dart peer, over real X events.

The hotkey (Left Ctrl + Left Shift) is held in Wine's notepad; the time runs from the moment
the X server has taken the second key-down (or the first key-up), sent through XTEST and
synced, to the event's arrival at the peer. A bare hook program (bare_hook_echo) runs beside
murmurly and echoes each key-down: its figure is the system's own cost to reach a hook.

The holds run twice: idle, and with murmurly's main thread kept busy (the stand-in's "busy"
request, 300 ms, starting 50 ms before the key-down). Busy, "onHotkeyDown" waits for the main
thread by design; the bare hook's echo shows whether the keyboard waited too.

  tools/xvfb-session /usr/bin/python3 bench/hotkey_latency.py --bundle build/bundle \
      --probe build/windows/tests/window_probe.exe \
      --echo build/windows/bench/bare_hook_echo.exe [--holds 50]
"""

import argparse
import os
import statistics
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import WINE_RUN, Peer, Probe, XKeys, focus, start_notepad, stop_wine  # noqa: E402


class Echo:
    """The bare hook program; `wait(n)` gives the arrival time of its n-th Left Shift key-down."""

    def __init__(self, path):
        self.process = subprocess.Popen([WINE_RUN, path], stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)
        self.downs = []
        self.cond = threading.Condition()
        assert self.process.stdout.readline().strip() == b"ready", "bare hook did not start"
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            if line.strip() == b"down 160":
                with self.cond:
                    self.downs.append(time.monotonic())
                    self.cond.notify_all()

    def wait(self, count, timeout=30):
        with self.cond:
            self.cond.wait_for(lambda: len(self.downs) >= count, timeout)
            return self.downs[count - 1]

    def stop(self):
        self.process.kill()


def report(name, samples):
    print("%s over %d holds: median %.1f ms, worst %.1f ms" % (
        name, len(samples), statistics.median(samples) * 1000, max(samples) * 1000))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bundle", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--echo", required=True)
    parser.add_argument("--holds", type=int, default=50)
    args = parser.parse_args()
    start_notepad()
    echo = Echo(args.echo)
    peer = Peer(args.bundle)
    figures = {}
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        peer.call("murmurly/global_hotkey", "startListening")
        peer.call("murmurly/global_hotkey", "setOverlayEnabled", {"enabled": False})
        focus(Probe(args.probe), "Untitled - Notepad", "Notepad")
        keyboard = XKeys()
        count = 0
        for busy in (False, True):
            downs, ups, echoes = [], [], []
            for _ in range(args.holds):
                count += 1
                if busy:
                    peer.control("busy 300")
                    time.sleep(0.05)
                keyboard.down("Control_L")
                sent = keyboard.down("Shift_L")
                echoes.append(echo.wait(count) - sent)
                downs.append(peer.wait_event("onHotkeyDown", count) - sent)
                time.sleep(max(0.0, 0.35 - (time.monotonic() - sent)))  # past the tap threshold
                sent = keyboard.up("Shift_L")
                ups.append(peer.wait_event("onHotkeyUp", count) - sent)
                keyboard.up("Control_L")
                time.sleep(0.05)
            mode = "busy" if busy else "idle"
            figures[mode + ": key-down to onHotkeyDown"] = downs
            figures[mode + ": key-up to onHotkeyUp"] = ups
            figures[mode + ": key-down to the bare hook's echo"] = echoes
        peer.control("close-window")
        peer.exit_code()
    finally:
        peer.close()
        echo.stop()
        stop_wine()
    for name, samples in figures.items():
        report(name, samples)


if __name__ == "__main__":
    main()
