"""Start-up of murmurly.exe under Wine beside a minimal one-window Win32 program.

murmurly: process start to the `top-level-visible` notice over the Dart-peer link. The minimal
program: process start to the "visible" line it writes at its first paint. Runs alternate, in one
session, so all see the same warm Wine server and the same load on the machine. Give --bundle
more than once to compare builds (before and after a change) in the same run.

  tools/xvfb-session /usr/bin/python3 bench/app_startup.py --bundle build/bundle \
      [--bundle other/bundle] --minimal build/windows/tests/minimal_window.exe [--runs 10]
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from peer import ROOT, Peer  # noqa: E402

WINE_RUN = os.path.join(ROOT, "tools", "wine-run")


def murmurly_once(bundle):
    peer = Peer(bundle)
    try:
        peer.accept()
        visible = peer.wait_notice("top-level-visible")
        elapsed = visible - peer.started
        peer.control("close-window")
        peer.exit_code()
        return elapsed
    finally:
        peer.close()


def minimal_once(path):
    start = time.monotonic()
    process = subprocess.Popen([WINE_RUN, path], stdout=subprocess.PIPE)
    line = process.stdout.readline()
    elapsed = time.monotonic() - start
    process.wait(60)
    assert line.strip() == b"visible", line
    return elapsed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bundle", required=True, action="append")
    parser.add_argument("--minimal", required=True)
    parser.add_argument("--runs", type=int, default=10)
    args = parser.parse_args()
    minimal_once(args.minimal)  # the first start also boots the Wine server
    apps, minimals = {bundle: [] for bundle in args.bundle}, []
    for _ in range(args.runs):
        for bundle in args.bundle:
            apps[bundle].append(murmurly_once(bundle))
        minimals.append(minimal_once(args.minimal))
    base = statistics.median(minimals)
    print("minimal window start to visible: median %.0f ms, worst %.0f ms (%d runs)"
          % (base * 1000, max(minimals) * 1000, len(minimals)))
    for bundle, times in apps.items():
        app = statistics.median(times)
        print("%s: start to top-level-visible median %.0f ms, worst %.0f ms; ratio %.2f"
              % (bundle, app * 1000, max(times) * 1000, app / base))


if __name__ == "__main__":
    main()
