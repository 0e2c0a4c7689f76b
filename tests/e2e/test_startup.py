"""Start-up, geometry, arguments, clean exit, the failed-engine path and the single instance of
the real bundle."""

import os
import shutil
import re
import sys
import tempfile
import time

from e2e_support import Peer, Probe, focus, parse_args, start_notepad, stop_wine, wait_for

PLUGINS = [
    "AudioplayersWindowsPlugin", "ConnectivityPlusWindowsPlugin", "FileSaverPlugin",
    "FileSelectorWindows", "FlutterSecureStorageWindowsPlugin", "FvpPluginCApi",
    "PermissionHandlerWindowsPlugin", "RecordWindowsPluginCApi", "SharePlusWindowsPluginCApi",
    "UrlLauncherWindows",
]


def check_startup_order(notices):
    assert notices[0] == "engine-created", notices
    registration = [n for n in notices if n.split(" ")[0] in ("registrar", "plugin")]
    expected = []
    for name in PLUGINS:
        expected += ["registrar " + name, "plugin " + name]
    assert registration == expected, registration
    hotkey = notices.index("callback murmurly/global_hotkey")
    permissions = notices.index("callback murmurly/permissions")
    last_plugin = notices.index("plugin " + PLUGINS[-1])
    visible = notices.index("top-level-visible")
    assert last_plugin < hotkey < permissions < visible, notices
    # Shown by the next-frame callback, never before the first frame.
    assert notices.index("frame") < visible and "next-frame-callback" in notices, notices
    assert any(n.startswith("view-created ") for n in notices[:visible]), notices


def check_arguments(notices):
    first = notices.index("entrypoint-args 2")
    # The empty argument keeps its place; the program path is never passed.
    assert [n.rstrip(" ") for n in notices[first + 1:first + 3]] == ["arg héllo wörld", "arg"], \
        notices


def close_cleanly(peer):
    peer.control("close-window")
    assert peer.exit_code() == 0, peer.stderr
    shutdown = next(t for t, n in peer.notices if n == "shutdown")
    late = [m for t, _, m, _ in peer.messages if t > shutdown]
    assert not late, "sent after shutdown: %s" % late


def check_geometry(probe, origin, size):
    """The window opens at origin with size (the height capped, as Windows does, at the largest
    window the screen allows) and cannot be shrunk below the opening size at its own DPI."""
    x, y, width, height, visible, max_width, max_height, dpi = probe.rect()
    assert (x, y, width, height, visible) == (*origin, size[0], min(size[1], max_height), 1), \
        probe.rect()
    shrunk = probe.rect("shrink")[2:4]
    expected = (int(dpi / 96.0 * 1200.0), int(dpi / 96.0 * 750.0))
    assert shrunk == (min(expected[0], max_width), min(expected[1], max_height)), shrunk


def test_default_dpi(probe, bundle):
    peer = Peer(bundle, args=["héllo wörld", ""])
    try:
        peer.accept()
        peer.wait_notice("next-frame-callback")
        peer.wait_notice("top-level-visible")
        check_startup_order(peer.notice_texts())
        check_arguments(peer.notice_texts())
        check_geometry(probe, (360, 165), (1200, 750))
        exe = "Z:" + os.path.abspath(os.path.join(bundle, "murmurly.exe")).replace("/", "\\")
        assert probe.run("icon", exe)[1].strip() == "1", "no icon 101"
        assert probe.run("version", exe)[1].split() == ["1.20.2.17", "1.20.2+17", "murmurly"]
        peer.call("murmurly/global_hotkey", "startListening")
        close_cleanly(peer)
    finally:
        peer.close()


def test_high_dpi(probe, bundle):
    peer = Peer(bundle, env={"MURMURLY_STANDIN_DPI": "144"})
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        # 165 * 1.5 = 247.5 and 750 * 1.5 = 1125: truncated, not rounded.
        check_geometry(probe, (540, 247), (1800, 1125))
        close_cleanly(peer)
    finally:
        peer.close()


def test_view_controller_failure(probe, bundle):
    peer = Peer(bundle, env={"MURMURLY_STANDIN_FAIL": "view-controller"})
    try:
        try:
            peer.accept()
        except OSError:
            pass  # the engine may give up before it connects
        assert peer.exit_code() == 1
        wait_for(lambda: b"Failed to create view controller." in peer.stderr, "failure line",
                 timeout=10)
        assert "top-level-visible" not in peer.notice_texts()
    finally:
        peer.close()


def created_engine(peer, timeout):
    peer.listener.settimeout(timeout)
    try:
        peer.accept()
    except OSError:
        return False
    peer.wait_notice("engine-created")
    return True


def test_second_launch_hands_over(probe, bundle):
    """A second launch creates no engine: it brings the first window back, restored and in front,
    and exits 0. So does a copy of the bundle in another folder: one app per session."""
    first = Peer(bundle)
    others = []
    try:
        first.accept()
        first.wait_notice("top-level-visible")
        start_notepad()
        focus(probe, "Untitled - Notepad", "Notepad")
        probe.run("minimize")
        assert probe.run("iconic")[1].strip() == "1"

        second = Peer(bundle)
        others.append(second)
        started = time.monotonic()
        assert second.exit_code() == 0, second.stderr
        print("second launch exited after %.2f s" % (time.monotonic() - started))
        assert not created_engine(second, 1.0), "the second launch created an engine"
        wait_for(lambda: probe.run("foreground")[1].strip() == "FLUTTER_RUNNER_WIN32_WINDOW",
                 "the first window in front")
        assert probe.run("iconic")[1].strip() == "0"

        copy = os.path.join(tempfile.mkdtemp(prefix="murmurly-copy-"), "bundle")
        shutil.copytree(bundle, copy)
        elsewhere = Peer(copy)
        others.append(elsewhere)
        assert elsewhere.exit_code() == 0, elsewhere.stderr
        assert not created_engine(elsewhere, 1.0), "a copy in another folder created an engine"
        assert probe.visible("FLUTTER_RUNNER_WIN32_WINDOW"), "the first window is gone"
        shutil.rmtree(os.path.dirname(copy))
        close_cleanly(first)
    finally:
        for peer in [first, *others]:
            peer.close()


STARTUP_PHASES = ["process start", "main entered", "window created", "engine running",
                  "first frame", "window visible"]
# Wine prints each OutputDebugStringA call on standard error with WINEDEBUG=+debugstr.
DEBUG_OUTPUT = {"WINEDEBUG": "-all,+debugstr"}


def debug_lines(stderr):
    return [line.decode() for line in re.findall(rb'OutputDebugStringA "(.*?)\\n"', stderr)]


def test_trace(probe, bundle):
    """MURMURLY_TRACE=1 gives the start-up phases in order on the steady clock; without it the
    debugger output has the other diagnostics but no timeline."""
    peer = Peer(bundle, env=dict(DEBUG_OUTPUT, MURMURLY_TRACE="1"))
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        wait_for(lambda: b"window visible" in peer.stderr, "the last start-up phase", timeout=10)
        trace = [line.split(" ", 2) for line in debug_lines(peer.stderr)
                 if line.startswith("[Trace] ")]
        assert [phase for _, _, phase in trace] == STARTUP_PHASES, trace
        stamps = [int(stamp) for _, stamp, _ in trace]
        assert stamps == sorted(stamps), trace
        close_cleanly(peer)
    finally:
        peer.close()
    peer = Peer(bundle, env=DEBUG_OUTPUT)
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        peer.call("murmurly/global_hotkey", "startListening")
        wait_for(lambda: b"Started listening" in peer.stderr, "the hotkey's diagnostic line")
        assert not [line for line in debug_lines(peer.stderr) if "[Trace]" in line], peer.stderr
        close_cleanly(peer)
    finally:
        peer.close()


def main():
    args = parse_args()
    probe = Probe(args.probe)
    tests = [test_default_dpi, test_high_dpi, test_view_controller_failure,
             test_second_launch_hands_over, test_trace]
    failed = 0
    for test in tests:
        try:
            test(probe, args.bundle)
            print("PASS", test.__name__)
        except AssertionError as error:
            failed += 1
            print("FAIL", test.__name__, error)
    stop_wine()
    print("%d passed, %d failed" % (len(tests) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
