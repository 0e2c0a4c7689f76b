"""Pointer-move delivery to a window with murmurly's mouse hook installed and with none.

A window of another program (window_probe moves) echoes each WM_MOUSEMOVE on its output; the
time runs from the moment the X server has taken a pointer move, sent through XTEST and synced,
to the echo's arrival here. murmurly listens throughout; the label switches between "Mouse 4"
(its low-level mouse hook installed) and "Right Alt" (a keyboard hook only) every round, so both
see the same machine in the same run.

  tools/xvfb-session /usr/bin/python3 bench/pointer_move_delivery.py --bundle build/bundle \
      --probe build/windows/tests/window_probe.exe [--rounds 10 --moves 30]
"""

import argparse
import os
import statistics
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import WINE_RUN, Peer, start_notepad, stop_wine  # noqa: E402
from Xlib import X, display  # noqa: E402
from Xlib.ext import xtest  # noqa: E402


class MoveEcho:
    """The probe's window; `wait(n)` gives the arrival time of its n-th move."""

    def __init__(self, probe):
        self.process = subprocess.Popen([WINE_RUN, probe, "moves", "3600000"],
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.moves = []
        self.cond = threading.Condition()
        assert self.process.stdout.readline().strip() == b"ready", "the window did not start"
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            if line.strip() == b"move":
                with self.cond:
                    self.moves.append(time.monotonic())
                    self.cond.notify_all()

    def wait(self, count, timeout=10):
        with self.cond:
            if not self.cond.wait_for(lambda: len(self.moves) >= count, timeout):
                raise AssertionError("move %d never arrived" % count)
            return self.moves[count - 1]

    def stop(self):
        self.process.kill()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bundle", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--rounds", type=int, default=10)
    parser.add_argument("--moves", type=int, default=30)
    args = parser.parse_args()
    start_notepad()
    peer = Peer(args.bundle)
    echo = MoveEcho(args.probe)
    x = display.Display()
    samples = {"Mouse 4": [], "Right Alt": []}
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        peer.call("murmurly/global_hotkey", "startListening")
        count = 0
        for _ in range(args.rounds):
            for label, delays in samples.items():
                peer.call("murmurly/global_hotkey", "setHotkey", {"label": label})
                time.sleep(0.2)
                for i in range(args.moves):
                    xtest.fake_input(x, X.MotionNotify, x=200 + i % 2 * 100, y=250)
                    x.sync()
                    sent = time.monotonic()
                    count += 1
                    delays.append(echo.wait(count) - sent)
                    time.sleep(0.01)
        peer.control("close-window")
        peer.exit_code()
    finally:
        peer.close()
        echo.stop()
        stop_wine()
    print("%-36s %12s %12s" % ("pointer move to WM_MOUSEMOVE", "median ms", "worst ms"))
    for label, hooks in (("Mouse 4", "mouse and keyboard hooks"), ("Right Alt", "keyboard hook")):
        delays = samples[label]
        print("%-36s %12.2f %12.2f" % ("%s (%s)" % (label, hooks),
                                       statistics.median(delays) * 1000, max(delays) * 1000))


if __name__ == "__main__":
    main()
