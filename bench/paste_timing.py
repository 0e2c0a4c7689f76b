"""The "pasteText" reply time at the Dart peer, through the bundle, with the report asked for.

Rounds into Wine's notepad, alone and beside a clipboard monitor that reads every change 150 ms
later (as clipboard tools do), and into a window that never reads (the unread time). The
yardstick, taken in the same run: the reply time of a call that does no work
("setFocusCheckEnabled"), the link's and the main thread's own round trip.

  tools/xvfb-session /usr/bin/python3 bench/paste_timing.py --bundle build/bundle \
      --probe build/windows/tests/window_probe.exe \
      --actor build/windows/tests/clipboard_actor.exe [--rounds 20]

The main thread's busy time per handled message during a paste is measured in-process by
build/windows/bench/overlay_paste_timing.exe (its "paste:" lines).
"""

import argparse
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import Peer, Probe, focus, start_notepad, stop_wine  # noqa: E402
from test_paste import HOTKEY, Actor  # noqa: E402


def timed(peer, method, arguments):
    start = time.monotonic()
    msg_id = peer.send_call(HOTKEY, method, arguments)
    status, value = peer.reply(msg_id, method, timeout=60)
    assert status == "success", value
    return (peer.reply_times[msg_id] - start) * 1000, value


def rounds(name, peer, count, expected=None):
    samples = []
    for i in range(count):
        took, value = timed(peer, "pasteText", {"text": "round %d " % i, "report": True})
        assert expected is None or value["outcome"] == expected, value
        samples.append(took)
        time.sleep(0.1)
    print("%-44s median %7.1f ms, worst %7.1f ms (%d)" % (
        name, statistics.median(samples), max(samples), count))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bundle", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--actor", required=True)
    parser.add_argument("--rounds", type=int, default=20)
    args = parser.parse_args()
    probe = Probe(args.probe)
    start_notepad()
    peer = Peer(args.bundle)
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        yardstick = [timed(peer, "setFocusCheckEnabled", {"enabled": True})[0]
                     for _ in range(args.rounds)]
        print("%-44s median %7.1f ms, worst %7.1f ms (%d)" % (
            "yardstick: a call that does no work", statistics.median(yardstick), max(yardstick),
            args.rounds))
        focus(probe, "Untitled - Notepad", "Notepad")
        rounds("pasteText into notepad", peer, args.rounds, "pasted")
        monitor = Actor(args.actor, "monitor", "150")
        try:
            assert monitor.line() == "ready"
            rounds("pasteText into notepad beside a monitor", peer, args.rounds)
        finally:
            monitor.stop()
        deaf = Actor(args.actor, "reader", "never")
        try:
            assert deaf.line() == "ready"
            focus(probe, "Murmurly Reader", "MurmurlyActor")
            rounds("pasteText into a window that never reads", peer, 3, "notRead")
        finally:
            deaf.stop()
    finally:
        peer.close()
        stop_wine()


if __name__ == "__main__":
    main()
