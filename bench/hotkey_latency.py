"""Key-down to "onHotkeyDown" and key-up to "onHotkeyUp" at the Dart peer, over real X events.

The hotkey (Left Ctrl + Left Shift) is held in Wine's notepad; the time runs from the moment
the X server has taken the second key-down (or the first key-up), sent through XTEST and
synced, to the event's arrival at the peer.

  tools/xvfb-session /usr/bin/python3 bench/hotkey_latency.py --bundle build/bundle \
      --probe build/windows/tests/window_probe.exe [--holds 50]
"""

import argparse
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import Peer, Probe, focus, start_notepad, stop_wine  # noqa: E402
from Xlib import X, XK, display  # noqa: E402
from Xlib.ext import xtest  # noqa: E402


class Keyboard:
    def __init__(self):
        self.display = display.Display()

    def send(self, kind, keysym_name):
        code = self.display.keysym_to_keycode(XK.string_to_keysym(keysym_name))
        xtest.fake_input(self.display, kind, code)
        self.display.sync()
        return time.monotonic()

    def down(self, name):
        return self.send(X.KeyPress, name)

    def up(self, name):
        return self.send(X.KeyRelease, name)


def report(name, samples):
    print("%s over %d holds: median %.1f ms, worst %.1f ms" % (
        name, len(samples), statistics.median(samples) * 1000, max(samples) * 1000))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bundle", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--holds", type=int, default=50)
    args = parser.parse_args()
    start_notepad()
    peer = Peer(args.bundle)
    downs, ups = [], []
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        peer.call("murmurly/global_hotkey", "startListening")
        peer.call("murmurly/global_hotkey", "setOverlayEnabled", {"enabled": False})
        focus(Probe(args.probe), "Untitled - Notepad", "Notepad")
        keyboard = Keyboard()
        for hold in range(1, args.holds + 1):
            keyboard.down("Control_L")
            sent = keyboard.down("Shift_L")
            downs.append(peer.wait_event("onHotkeyDown", hold) - sent)
            time.sleep(max(0.0, 0.35 - (time.monotonic() - sent)))  # past the tap threshold
            sent = keyboard.up("Shift_L")
            ups.append(peer.wait_event("onHotkeyUp", hold) - sent)
            keyboard.up("Control_L")
            time.sleep(0.05)
        peer.control("close-window")
        peer.exit_code()
    finally:
        peer.close()
        stop_wine()
    report("key-down to onHotkeyDown", downs)
    report("key-up to onHotkeyUp", ups)


if __name__ == "__main__":
    main()
