"""A whole dictation into Wine's notepad, a tap, and a press while murmurly has the focus."""

import sys
import time

from e2e_support import Peer, Probe, focus, parse_args, start_notepad, stop_wine, wait_for, \
    xdotool

HOTKEY = "murmurly/global_hotkey"
TRANSCRIPT = "Dictated by murmurly, ünïcode included."
CLIPBOARD = "what the user had copied"


def hold(seconds):
    xdotool("keydown", "Control_L")
    xdotool("keydown", "Shift_L")
    time.sleep(seconds)
    xdotool("keyup", "Shift_L")
    xdotool("keyup", "Control_L")


def test_dictation(peer, probe):
    assert probe.run("set-clip", CLIPBOARD)[0] == 0
    focus("Untitled - Notepad")
    hold(0.6)
    peer.wait_event("onHotkeyDown")
    peer.wait_event("onHotkeyUp")
    assert peer.call(HOTKEY, "pasteText", {"text": TRANSCRIPT}) == ("success", None)
    wait_for(lambda: probe.run("notepad-text")[1] == TRANSCRIPT, "the text in notepad")
    assert probe.run("get-clip") == (0, CLIPBOARD), "the user's clipboard was not put back"


def test_tap_shows_hint(peer, probe):
    focus("Untitled - Notepad")
    hold(0.0)
    peer.wait_event("onHotkeyCancelled")
    wait_for(lambda: probe.visible("MurmurlyHintOverlay"), "the hint overlay")


def test_own_window_focused(peer, probe):
    focus("murmurly")
    hold(0.4)
    peer.wait_event("onHotkeyWhileFocused")
    peer.sync("after-focused-press")
    assert peer.methods().count("onHotkeyDown") == 1, peer.methods()


def main():
    args = parse_args()
    probe = Probe(args.probe)
    start_notepad()
    peer = Peer(args.bundle)
    failed = 0
    tests = [test_dictation, test_tap_shows_hint, test_own_window_focused]
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        assert peer.call(HOTKEY, "startListening") == ("success", None)
        for test in tests:
            try:
                test(peer, probe)
                print("PASS", test.__name__)
            except AssertionError as error:
                failed += 1
                print("FAIL", test.__name__, error)
        peer.control("close-window")
        if peer.exit_code() != 0:
            failed += 1
            print("FAIL exit code", peer.process.returncode, peer.stderr)
    finally:
        peer.close()
        stop_wine()
    print("%d passed, %d failed" % (len(tests) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
