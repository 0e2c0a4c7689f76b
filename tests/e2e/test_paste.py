"""The paste against the programs a user really has around, through the bundle: a program that
copies while the paste runs, a target that reads late, a clipboard owner that never renders,
Shift held, pastes back to back. Prints the reply times it measured."""

import subprocess
import sys
import time

from e2e_support import WINE_RUN, Peer, Probe, focus, parse_args, start_notepad, stop_wine, \
    wait_for, xdotool

HOTKEY = "murmurly/global_hotkey"
PREVIOUS = "what the user had copied"


class Actor:
    """clipboard_actor.exe in one of its modes; `lines` waits for its output."""

    def __init__(self, path, *args):
        self.process = subprocess.Popen([WINE_RUN, path, *args], stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)

    def line(self):
        return self.process.stdout.readline().decode("utf-8").rstrip("\r\n")

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()


def notepad(probe):
    focus(probe, "Untitled - Notepad", "Notepad")
    xdotool("key", "ctrl+a", "Delete")
    wait_for(lambda: probe.run("notepad-text")[1] == "", "an empty notepad")


def paste(peer, text):
    """Calls pasteText and returns the reply time in ms."""
    start = time.monotonic()
    msg_id = peer.send_call(HOTKEY, "pasteText", {"text": text})
    assert peer.reply(msg_id, "pasteText") == ("success", None)
    return (peer.reply_times[msg_id] - start) * 1000


def test_into_notepad_back_to_back(peer, probe, args, figures):
    assert probe.run("set-clip", PREVIOUS)[0] == 0
    notepad(probe)
    figures["reply, notepad reads at once (ms)"] = round(paste(peer, "alone"))
    ids = [peer.send_call(HOTKEY, "pasteText", {"text": t}) for t in (" one", " two", " three")]
    for msg_id in ids:
        assert peer.reply(msg_id, "pasteText") == ("success", None)
    assert probe.run("notepad-text")[1] == "alone one two three", probe.run("notepad-text")
    assert probe.run("get-clip") == (0, PREVIOUS)


def test_copy_while_pasting_stays(peer, probe, args, figures):
    assert probe.run("set-clip", PREVIOUS)[0] == 0
    notepad(probe)
    copier = Actor(args.actor, "copier", "100", "copied meanwhile")
    try:
        assert copier.line() == "waiting"
        paste(peer, "transcript")
        assert copier.line() == "copied"
        time.sleep(1.5)  # past any restore
        assert probe.run("get-clip") == (0, "copied meanwhile"), probe.run("get-clip")
        assert probe.run("notepad-text")[1] == "transcript"
    finally:
        copier.stop()


def reader_test(peer, probe, args, delay_ms, hold_shift=False):
    assert probe.run("set-clip", PREVIOUS)[0] == 0
    reader = Actor(args.actor, "reader", str(delay_ms))
    try:
        assert reader.line() == "ready"
        focus(probe, "Murmurly Reader", "MurmurlyActor")
        if hold_shift:
            xdotool("keydown", "Shift_L")
        try:
            took = paste(peer, "read late")
        finally:
            if hold_shift:
                xdotool("keyup", "Shift_L")
        seen = [reader.line() for _ in range(3)]
        assert seen[:2] == ["read late", "history-formats"], seen
        assert probe.run("get-clip") == (0, PREVIOUS)
        return took, seen[2]
    finally:
        reader.stop()


def test_late_reader_gets_the_transcript(peer, probe, args, figures):
    took, _ = reader_test(peer, probe, args, 800)
    figures["reply, target reads after 800 ms (ms)"] = round(took)


def test_shift_held_is_released_first(peer, probe, args, figures):
    _, shift = reader_test(peer, probe, args, 0, hold_shift=True)
    assert shift == "no-shift"


def test_lazy_owner_blocks_nothing(peer, probe, args, figures):
    lazy = Actor(args.actor, "lazy", "3000")
    try:
        assert lazy.line() == "ready"
        notepad(probe)
        paste_id = peer.send_call(HOTKEY, "pasteText", {"text": "after a lazy owner"})
        time.sleep(0.2)  # the paste thread is now waiting for the lazy owner
        start = time.monotonic()
        other = peer.send_call(HOTKEY, "setFocusCheckEnabled", {"enabled": True})
        assert peer.reply(other, "setFocusCheckEnabled") == ("success", None)
        figures["other call answered during a stuck snapshot (ms)"] = round(
            (peer.reply_times[other] - start) * 1000)
        assert paste_id not in peer.reply_times, "the paste should still be waiting"
        assert peer.reply(paste_id, "pasteText", timeout=60) == ("success", None)
        wait_for(lambda: probe.run("notepad-text")[1] == "after a lazy owner", "the paste")
    finally:
        lazy.stop()


def main():
    args = parse_args()
    probe = Probe(args.probe)
    start_notepad()
    peer = Peer(args.bundle)
    tests = [test_into_notepad_back_to_back, test_copy_while_pasting_stays,
             test_late_reader_gets_the_transcript, test_shift_held_is_released_first,
             test_lazy_owner_blocks_nothing]
    figures = {}
    failed = 0
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        for test in tests:
            try:
                test(peer, probe, args, figures)
                print("PASS", test.__name__)
            except AssertionError as error:
                failed += 1
                print("FAIL", test.__name__, error)
    finally:
        peer.close()
        stop_wine()
    for name, value in figures.items():
        print("FIGURE %s: %s" % (name, value))
    print("%d passed, %d failed" % (len(tests) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
