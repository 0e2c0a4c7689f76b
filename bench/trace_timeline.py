"""Where the time goes: murmurly's per-phase timeline (MURMURLY_TRACE=1) over start-ups and
dictations under Wine, as a table of phases with the median and worst of each step.

The shell writes "[Trace] <microseconds> <phase>" with OutputDebugStringA; Wine prints those
calls on standard error with WINEDEBUG=+debugstr. The stamps are Wine's QueryPerformanceCounter,
which counts CLOCK_MONOTONIC_RAW, so "launched" (the moment this script starts wine) is stamped
on that clock too and the table starts there.

The minimal one-window program (bench/minimal_window.cpp) writes the same start-up phases; its
start-ups alternate with murmurly's and get a table of their own.

  tools/xvfb-session /usr/bin/python3 bench/trace_timeline.py --bundle build/bundle \
      --probe build/windows/tests/window_probe.exe \
      --minimal build/windows/tests/minimal_window.exe [--startups 10] [--dictations 10]
"""

import argparse
import os
import re
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
sys.path.insert(0, HERE)
from e2e_support import WINE_RUN, Peer, Probe, XKeys, focus, start_notepad, stop_wine  # noqa: E402

TRACE_ENV = {"MURMURLY_TRACE": "1", "WINEDEBUG": "-all,+debugstr"}
LINE = re.compile(rb'OutputDebugStringA "\[Trace\] (\d+) ([a-zA-Z" -]+?)\\n"')
HOTKEY = "murmurly/global_hotkey"
TRANSCRIPT = "Timed by murmurly."
# The phase each dictation's story starts with: the hook's, or in a build that does not mark it,
# each overlay shown (two stories per dictation then: listening and transcribing looks).
DICTATION_STARTS = ["hook saw the key-down", "overlay shown"]


def launched_us():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW) // 1000


def trace_lines(stderr):
    return [(int(stamp), name.decode()) for stamp, name in LINE.findall(stderr)]


def drained(peer):
    """Standard error of an exited murmurly, once the peer's reader thread has taken all of it."""
    size = -1
    while size != len(peer.stderr):
        size = len(peer.stderr)
        time.sleep(0.3)
    return peer.stderr


def startup_once(bundle):
    launched = launched_us()
    peer = Peer(bundle, env=TRACE_ENV)
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        peer.control("close-window")
        peer.exit_code()
        return [(launched, "launched")] + trace_lines(drained(peer))
    finally:
        peer.close()


def minimal_once(path):
    launched = launched_us()
    done = subprocess.run([WINE_RUN, path], env=dict(os.environ, **TRACE_ENV),
                          capture_output=True, timeout=60)
    return [(launched, "launched")] + trace_lines(done.stderr)


def dictations(bundle, probe, count):
    """One process, `count` holds into notepad, each followed by a paste; one story per hold."""
    start_notepad()
    peer = Peer(bundle, env=TRACE_ENV)
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        peer.call(HOTKEY, "startListening")
        focus(probe, "Untitled - Notepad", "Notepad")
        keyboard = XKeys()
        for hold in range(1, count + 1):
            keyboard.down("Control_L")
            keyboard.down("Shift_L")
            peer.wait_event("onHotkeyDown", hold)
            time.sleep(0.4)  # past the tap threshold
            keyboard.up("Shift_L")
            keyboard.up("Control_L")
            peer.wait_event("onHotkeyUp", hold)
            peer.call(HOTKEY, "pasteText", {"text": TRANSCRIPT})
            peer.call(HOTKEY, "hideOverlay")
            time.sleep(0.3)  # lets the clipboard be put back before the next hold
        peer.control("close-window")
        peer.exit_code()
        lines = trace_lines(drained(peer))
    finally:
        peer.close()
        stop_wine()
    traced = {name for _, name in lines}
    start = next((name for name in DICTATION_STARTS if name in traced), None)
    stories, current = [], None
    for stamp, name in lines:
        if name == start:
            current = []
            stories.append(current)
        if current is not None:
            current.append((stamp, name))
    return stories


def table(title, stories):
    """Each story is [(stamp_us, phase)] in order; a phase's step runs from the line before."""
    if not stories:
        print("\n%s: no lines traced" % title)
        return
    steps, totals, order = {}, {}, []
    for story in stories:
        origin = story[0][0]
        seen = {}
        for index, (stamp, phase) in enumerate(story):
            # A phase that comes round again in one story (the overlay shown for each look) gets
            # a row per occurrence: "overlay shown", "overlay shown #2".
            seen[phase] = seen.get(phase, 0) + 1
            name = phase if seen[phase] == 1 else "%s #%d" % (phase, seen[phase])
            if name not in steps:
                steps[name], totals[name] = [], []
                order.append(name)
            steps[name].append(stamp - story[index - 1][0] if index else 0)
            totals[name].append(stamp - origin)
    print("\n%s (%d runs; ms: step from the line before, and since the first line)" % (
        title, len(stories)))
    print("%-32s %9s %9s %9s %9s" % ("phase", "step med", "worst", "since med", "worst"))
    for name in order:
        print("%-32s %9.1f %9.1f %9.1f %9.1f" % (
            name, statistics.median(steps[name]) / 1000, max(steps[name]) / 1000,
            statistics.median(totals[name]) / 1000, max(totals[name]) / 1000))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bundle", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--minimal", required=True)
    parser.add_argument("--startups", type=int, default=10)
    parser.add_argument("--dictations", type=int, default=10)
    args = parser.parse_args()
    if args.startups:
        minimal_once(args.minimal)  # the first start also boots the Wine server
        apps, minimals = [], []
        for _ in range(args.startups):
            apps.append(startup_once(args.bundle))
            minimals.append(minimal_once(args.minimal))
        table("Start-up of murmurly", apps)
        table("Start-up of the minimal window", minimals)
    if args.dictations:
        table("Dictation", dictations(args.bundle, Probe(args.probe), args.dictations))


if __name__ == "__main__":
    main()
