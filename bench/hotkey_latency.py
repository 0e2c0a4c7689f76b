"""Key-down to "onHotkeyDown" and key-up to "onHotkeyUp" at the Dart peer, over real X events.

The hotkey (Left Shift + Left Ctrl) is held in Wine's notepad; the time runs from the moment
the X server has taken the completing key-down (or the first key-up), sent through XTEST and
synced, to the event's arrival at the peer. A bare hook program (bare_hook_echo) runs beside
murmurly and echoes each key-down: its figure is the system's own cost to reach a hook.

The holds run in four ways: overlays off and on (the listening look follows the event), Left
Shift pressed last and Left Ctrl pressed last (a Left Ctrl key-down's copy waits up to 5 ms on
the hook thread for an AltGr Right Alt), and with murmurly's main thread kept busy (the
stand-in's "busy" request, 300 ms, starting 50 ms before the key-down). Busy, "onHotkeyDown"
waits for the main thread by design; the bare hook's echo shows whether the keyboard waited too.

  tools/xvfb-session /usr/bin/python3 bench/hotkey_latency.py --bundle build/bundle \
      --probe build/windows/tests/window_probe.exe \
      --echo build/windows/bench/bare_hook_echo.exe [--holds 30]
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
    """The bare hook program; `wait(vk, n)` gives the arrival time of its n-th key-down of vk."""

    def __init__(self, path):
        self.process = subprocess.Popen([WINE_RUN, path], stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)
        self.downs = {}
        self.cond = threading.Condition()
        assert self.process.stdout.readline().strip() == b"ready", "bare hook did not start"
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            words = line.split()
            if len(words) == 2 and words[0] == b"down":
                with self.cond:
                    self.downs.setdefault(int(words[1]), []).append(time.monotonic())
                    self.cond.notify_all()

    def wait(self, vk, count, timeout=30):
        with self.cond:
            self.cond.wait_for(lambda: len(self.downs.get(vk, [])) >= count, timeout)
            return self.downs[vk][count - 1]

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
    parser.add_argument("--holds", type=int, default=30)
    args = parser.parse_args()
    start_notepad()
    echo = Echo(args.echo)
    peer = Peer(args.bundle)
    figures = {}
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        peer.call("murmurly/global_hotkey", "startListening")
        focus(Probe(args.probe), "Untitled - Notepad", "Notepad")
        keyboard = XKeys()
        count = 0
        pressed = {160: 0, 162: 0}  # key-downs of Left Shift and Left Ctrl, as the echo counts
        modes = [("overlays off", False, False, "Shift_L"), ("overlays on", True, False, "Shift_L"),
                 ("overlays off, Left Ctrl last", False, False, "Control_L"),
                 ("overlays off, busy", False, True, "Shift_L")]
        for mode, overlays, busy, last in modes:
            peer.call("murmurly/global_hotkey", "setOverlayEnabled", {"enabled": overlays})
            first = "Control_L" if last == "Shift_L" else "Shift_L"
            last_vk, first_vk = (160, 162) if last == "Shift_L" else (162, 160)
            downs, ups, echoes = [], [], []
            for _ in range(args.holds):
                count += 1
                pressed[first_vk] += 1
                pressed[last_vk] += 1
                if busy:
                    peer.control("busy 300")
                    time.sleep(0.05)
                keyboard.down(first)
                sent = keyboard.down(last)
                echoes.append(echo.wait(last_vk, pressed[last_vk]) - sent)
                downs.append(peer.wait_event("onHotkeyDown", count) - sent)
                time.sleep(max(0.0, 0.35 - (time.monotonic() - sent)))  # past the tap threshold
                sent = keyboard.up(last)
                ups.append(peer.wait_event("onHotkeyUp", count) - sent)
                keyboard.up(first)
                peer.call("murmurly/global_hotkey", "hideOverlay")
                time.sleep(0.05)
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
