"""A whole dictation into Wine's notepad, a tap, and a press while murmurly has the focus."""

import sys
import time

from e2e_support import Peer, Probe, focus, parse_args, run_test, start_notepad, stop_wine, \
    summary, wait_for, xdotool

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
    focus(probe, "Untitled - Notepad", "Notepad")
    hold(0.6)
    peer.wait_event("onHotkeyDown")
    peer.wait_event("onHotkeyUp")
    assert peer.call(HOTKEY, "pasteText", {"text": TRANSCRIPT}) == ("success", None)
    wait_for(lambda: probe.run("notepad-text")[1] == TRANSCRIPT, "the text in notepad")
    assert probe.run("get-clip") == (0, CLIPBOARD), "the user's clipboard was not put back"


def test_tap_shows_hint(peer, probe):
    focus(probe, "Untitled - Notepad", "Notepad")
    hold(0.0)
    peer.wait_event("onHotkeyCancelled")
    wait_for(lambda: probe.visible("MurmurlyHintOverlay"), "the hint overlay")


def test_own_window_focused(peer, probe):
    events_before = len(peer.methods())
    focus(probe, "murmurly", "FLUTTER_RUNNER_WIN32_WINDOW")
    hold(0.4)
    peer.wait_event("onHotkeyWhileFocused")
    peer.sync("after-focused-press")
    # No recording starts, and the release sends nothing.
    assert peer.methods()[events_before:] == ["onHotkeyWhileFocused"], peer.methods()


def test_transcript_caption(peer, probe):
    """Words under the pill, white on blue, notepad keeping the focus; none on the next hold."""
    focus(probe, "Untitled - Notepad", "Notepad")
    caption = "MurmurlyTranscriptOverlay"
    for text in ("words while speaking", None):
        downs, ups = peer.methods().count("onHotkeyDown"), peer.methods().count("onHotkeyUp")
        xdotool("keydown", "Control_L", "keydown", "Shift_L")
        peer.wait_event("onHotkeyDown", downs + 1)
        if text:
            assert peer.call(HOTKEY, "setOverlayTranscript", {"text": text}) == ("success", None)
            x, y, width, height, blue, white = map(int, wait_for(
                lambda: probe.visible(caption) and probe.run("colours", caption)[1].split(),
                "the caption"))
            assert (x, y, height) == ((1920 - width) // 2, 54, 32), (x, y, width, height)
            assert blue > width * 16 and white > 20, (blue, white)
        else:
            time.sleep(0.5)
            assert not probe.visible(caption), "old words on a new hold"
        assert probe.run("foreground")[1].strip() == "Notepad"
        xdotool("keyup", "Shift_L", "keyup", "Control_L")
        peer.wait_event("onHotkeyUp", ups + 1)
    assert peer.call(HOTKEY, "hideOverlay") == ("success", None)


def close_during_hold_and_paste(peer, probe):
    """Closing with both overlays up, a hold in progress and a paste queued still exits 0,
    and nothing reaches the Dart side once the engine has shut down."""
    focus(probe, "Untitled - Notepad", "Notepad")
    hold(0.0)
    peer.wait_event("onHotkeyCancelled", 2)
    xdotool("keydown", "Control_L")
    xdotool("keydown", "Shift_L")
    peer.wait_event("onHotkeyDown", 3)
    wait_for(lambda: probe.visible("MurmurlyRecordingOverlay"), "the recording overlay")
    assert probe.visible("MurmurlyHintOverlay")
    peer.call(HOTKEY, "pasteText", {"text": "late"}, wait=False)
    peer.control("close-window")
    code = peer.exit_code()
    xdotool("keyup", "Shift_L")
    xdotool("keyup", "Control_L")
    assert code == 0, "exit code %d: %s" % (code, peer.stderr)
    shutdown = next(t for t, n in peer.notices if n == "shutdown")
    late = [m for t, _, m, _ in peer.messages if t > shutdown]
    assert not late, "sent after shutdown: %s" % late


def main():
    args = parse_args()
    probe = Probe(args.probe)
    start_notepad()
    peer = Peer(args.bundle)
    failed = 0
    tests = [test_dictation, test_transcript_caption, test_tap_shows_hint,
             test_own_window_focused]
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        assert peer.call(HOTKEY, "startListening") == ("success", None)
        for test in tests:
            failed += run_test(test, peer, probe)
        tests.append(close_during_hold_and_paste)
        failed += run_test(close_during_hold_and_paste, peer, probe)
    finally:
        peer.close()
        stop_wine()
    return summary(len(tests), failed)


if __name__ == "__main__":
    sys.exit(main())
