"""Context switches per second of an idle Wine process, per thread, over 10 s.

peer: murmurly with the Dart-peer link connected and the hotkey listening (the hook thread and
the link's thread both waiting); demo: murmurly with the stand-in's demo Dart side, which listens
too; notepad: Wine's notepad, for comparison.

  tools/xvfb-session python3 bench/idle_wakeups.py build/bundle peer|demo|notepad
"""

import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
from peer import ROOT, Peer  # noqa: E402


def switches(pid):
    """{thread id: (name, voluntary + involuntary context switches so far)}"""
    counts = {}
    for tid in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/comm" % (pid, tid)) as f:
                name = f.read().strip()
            with open("/proc/%d/task/%s/status" % (pid, tid)) as f:
                status = f.read()
        except OSError:
            continue  # the thread ended meanwhile
        total = sum(int(status.split(field)[1].split()[0])
                    for field in ("\nvoluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:"))
        counts[tid] = (name, total)
    return counts


def measure(mode, pid, seconds=10):
    time.sleep(8)  # start-up settles
    before = switches(pid)
    time.sleep(seconds)
    after = switches(pid)
    total = 0
    for tid, (name, count) in sorted(after.items(), key=lambda item: int(item[0])):
        delta = count - before.get(tid, (name, 0))[1]
        total += delta
        if delta:
            print("  thread %s %-16s %6.1f /s" % (tid, name, delta / seconds))
    print("%s: %.1f context switches per second (%d threads)" % (mode, total / seconds, len(after)))


def main():
    bundle, mode = sys.argv[1], sys.argv[2]
    if mode == "peer":
        peer = Peer(bundle)
        try:
            peer.accept()
            peer.wait_notice("top-level-visible")
            assert peer.call("murmurly/global_hotkey", "startListening") == ("success", None)
            measure(mode, peer.process.pid)
            peer.control("close-window")
            peer.exit_code()
        finally:
            peer.close()
        return
    program = "c:\\windows\\system32\\notepad.exe" if mode == "notepad" else "murmurly.exe"
    process = subprocess.Popen([os.path.join(ROOT, "tools", "wine-run"), program], cwd=bundle,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        measure(mode, process.pid)
    finally:
        process.kill()
        process.wait()


if __name__ == "__main__":
    main()
