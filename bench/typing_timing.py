"""Typing ("method": "type") into Wine's notepad at the default pace, through the bundle: the
characters per second and the characters lost for 1,000 and 10,000 characters, and how long the
main thread is held by a typing call: the reply time of calls made while a typing runs, against
the same calls with nothing running (the link's and the main thread's own round trip).

  tools/xvfb-session /usr/bin/python3 bench/typing_timing.py --bundle build/bundle \\
      --probe build/windows/tests/window_probe.exe [--sizes 1000 10000]
"""

import argparse
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import Peer, Probe, start_notepad, stop_wine  # noqa: E402
from test_paste import HOTKEY, notepad  # noqa: E402


def other_calls(peer, count):
    """Reply times (ms) of calls that do no work."""
    samples = []
    for _ in range(count):
        start = time.monotonic()
        msg_id = peer.send_call(HOTKEY, "setFocusCheckEnabled", {"enabled": True})
        assert peer.reply(msg_id, "setFocusCheckEnabled") == ("success", None)
        samples.append((peer.reply_times[msg_id] - start) * 1000)
        time.sleep(0.05)
    return samples


def type_into_notepad(peer, probe, size):
    notepad(probe)
    words = "dictated words typed into notepad, line by line. "
    text = (words * (size // len(words) + 1))[:size]
    start = time.monotonic()
    msg_id = peer.send_call(HOTKEY, "pasteText", {"text": text, "method": "type", "report": True})
    during = other_calls(peer, 10)
    status, reply = peer.reply(msg_id, "pasteText", timeout=size)
    took = peer.reply_times[msg_id] - start
    assert status == "success" and reply["outcome"] == "typed", reply
    # A target may lag behind the keys: wait until its text stops growing.
    arrived, previous = probe.run("notepad-text")[1], None
    while arrived != previous and len(arrived) < size:
        time.sleep(2)
        arrived, previous = probe.run("notepad-text")[1], arrived
    landed = time.monotonic() - start
    print("%6d characters: %6.1f chars/s sent, all in notepad after %.1f s, %d lost, %s" % (
        size, size / took, landed, size - len(arrived),
        "exact" if arrived == text else "NOT exact"))
    return during


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bundle", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--sizes", type=int, nargs="+", default=[1000, 10000])
    args = parser.parse_args()
    probe = Probe(args.probe)
    start_notepad()
    peer = Peer(args.bundle)
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        idle = other_calls(peer, 20)
        during = []
        for size in args.sizes:
            during += type_into_notepad(peer, probe, size)
        for name, samples in (("a call with nothing running", idle),
                              ("a call while typing", during)):
            print("%-32s median %6.1f ms, worst %6.1f ms (%d)" % (
                name, statistics.median(samples), max(samples), len(samples)))
    finally:
        peer.close()
        stop_wine()


if __name__ == "__main__":
    main()
