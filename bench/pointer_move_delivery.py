"""Pointer-move delivery to a window with murmurly's mouse hook installed and with none.

A window of another program (window_probe moves) echoes each WM_MOUSEMOVE with its position on
its output; the time runs from the moment the X server has taken a pointer move to a new place,
sent through XTEST and synced, to the arrival of the echo for that place (the window at 100, 100
gets further moves of its own, which do not count). murmurly listens throughout; the label switches between "Mouse 4"
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
    """The probe's window; `wait(x, y)` gives the arrival time of the next move to (x, y)."""

    def __init__(self, probe):
        self.process = subprocess.Popen([WINE_RUN, probe, "moves", "3600000"],
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.moves = []  # (arrival, x, y)
        self.taken = 0
        self.cond = threading.Condition()
        assert self.process.stdout.readline().strip() == b"ready", "the window did not start"
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            words = line.split()
            if len(words) == 3 and words[0] == b"move":
                with self.cond:
                    self.moves.append((time.monotonic(), int(words[1]), int(words[2])))
                    self.cond.notify_all()

    def wait(self, x, y, timeout=10):
        def arrived():
            while self.taken < len(self.moves):
                self.taken += 1
                if self.moves[self.taken - 1][1:] == (x - 100, y - 100):
                    return True
            return False

        with self.cond:
            if not self.cond.wait_for(arrived, timeout):
                raise AssertionError("the move to %d, %d never arrived" % (x, y))
            return self.moves[self.taken - 1][0]

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
        for _ in range(args.rounds):
            for label, delays in samples.items():
                peer.call("murmurly/global_hotkey", "setHotkey", {"label": label})
                time.sleep(0.2)
                for i in range(args.moves):
                    to = (200 + i % 2 * 100, 150 + i)
                    xtest.fake_input(x, X.MotionNotify, x=to[0], y=to[1])
                    x.sync()
                    sent = time.monotonic()
                    delays.append(echo.wait(*to) - sent)
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
