"""The paste against the programs a user really has around, through the bundle: a program that
copies while the paste runs, a late target beside a clipboard monitor, a terminal, a lazy owner,
held keys, pastes back to back, the report, exits with pastes pending; and the text typed instead.
Prints the reply times."""

import subprocess
import sys
import time

from e2e_support import WINE_RUN, Peer, Probe, focus, parse_args, start_notepad, stop_wine, \
    wait_for, xdotool

HOTKEY = "murmurly/global_hotkey"
PREVIOUS = "what the user had copied"
PASTED = {"outcome": "pasted", "target": "notepad.exe"}


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
        return self.process.stdout.read().decode("utf-8").split()


def notepad(probe):
    focus(probe, "Untitled - Notepad", "Notepad")
    xdotool("key", "ctrl+a", "Delete")
    wait_for(lambda: probe.run("notepad-text")[1] == "", "an empty notepad")


def paste(peer, text, reply=None, **arguments):
    """Calls pasteText, checks its reply and returns the reply time in ms."""
    start = time.monotonic()
    msg_id = peer.send_call(HOTKEY, "pasteText", dict(arguments, text=text))
    answer = peer.reply(msg_id, "pasteText")
    assert answer == ("success", reply), answer
    return (peer.reply_times[msg_id] - start) * 1000


def test_into_notepad_back_to_back(peer, probe, args, figures):
    assert probe.run("set-clip", PREVIOUS)[0] == 0
    notepad(probe)
    figures["reply, notepad reads at once (ms)"] = round(
        paste(peer, "alone", PASTED, report=True))
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


def reader_test(peer, probe, args, delay_ms, hold_shift=False, window_class="MurmurlyActor",
                windowless=False, reply=None, **arguments):
    assert probe.run("set-clip", PREVIOUS)[0] == 0
    reader = Actor(args.actor, "reader", str(delay_ms), window_class,
                   *(["windowless"] if windowless else []))
    try:
        assert reader.line() == "ready"
        focus(probe, "Murmurly Reader", window_class)
        if hold_shift:
            xdotool("keydown", "Shift_L")
        try:
            took = paste(peer, "read late", reply, **arguments)
        finally:
            if hold_shift:
                xdotool("keyup", "Shift_L")
        seen = [reader.line() for _ in range(4)]
        assert seen[1:3] == ["read late", "history-formats"], seen
        assert probe.run("get-clip") == (0, PREVIOUS)
        return took, seen[3], seen[0]
    finally:
        reader.stop()


def test_late_reader_beside_a_monitor_gets_the_transcript(peer, probe, args, figures):
    """A clipboard tool reads every change 150 ms later; the target reads 800 ms after its keys,
    which carry their scan codes (Ctrl 0x1D, V 0x2F)."""
    monitor = Actor(args.actor, "monitor", "150")
    try:
        assert monitor.line() == "ready"
        took, _, scans = reader_test(peer, probe, args, 800)
        assert scans == "scan 1d 2f", scans
        assert "read read late" in [monitor.line() for _ in range(3)]
    finally:
        monitor.stop()
    figures["reply, target reads after 800 ms beside a monitor (ms)"] = round(took)


def test_terminal_gets_shift_insert(peer, probe, args, figures):
    _, _, scans = reader_test(peer, probe, args, 0, window_class="mintty")
    assert scans == "scan 2a 152", scans  # Insert is an extended key


def test_windowless_reader_is_the_target(peer, probe, args, figures):
    """PuTTY opens the clipboard without a window; read after the keys, it is still the target."""
    reader_test(peer, probe, args, 0, windowless=True, report=True,
                reply={"outcome": "pasted", "target": "clipboard_actor.exe"})


def test_shift_held_is_released_first(peer, probe, args, figures):
    _, shift, _ = reader_test(peer, probe, args, 0, hold_shift=True)
    assert shift == "no-shift"


def test_held_hotkey_types_nothing_after_the_paste(peer, probe, args, figures):
    """"Left Ctrl + K" held through a paste: the Ctrl pressed again keeps K's auto-repeat from
    typing into notepad, and the hold goes on to its release."""
    assert peer.call(HOTKEY, "setHotkey", {"label": "Left Ctrl + K"}) == ("success", None)
    assert peer.call(HOTKEY, "startListening") == ("success", None)
    notepad(probe)
    xdotool("keydown", "Control_L", "keydown", "k")
    try:
        peer.wait_event("onHotkeyDown")
        paste(peer, "held", PASTED, report=True)
        time.sleep(2)  # K repeats meanwhile
    finally:
        xdotool("keyup", "k", "keyup", "Control_L")
    peer.wait_event("onHotkeyUp")
    assert peer.call(HOTKEY, "stopListening") == ("success", None)
    assert probe.run("notepad-text")[1] == "held", probe.run("notepad-text")


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


def units(text):
    """The text's length in UTF-16 units, as "typed" counts it."""
    return len(text.encode("utf-16-le")) // 2


TYPED = "Gr\u00fc\u00dfe, na\u00efve caf\u00e9 \u2014 \U0001F600 \u2713\nzweite Zeile\tTab"


def test_typed_text_arrives_exactly_and_the_clipboard_is_untouched(peer, probe, args, figures):
    assert probe.run("set-clip", PREVIOUS)[0] == 0
    notepad(probe)
    typed = {"outcome": "typed", "target": "notepad.exe", "typed": units(TYPED)}
    paste(peer, TYPED, typed, method="type", report=True)
    expected = TYPED.replace("\n", "\r\n")
    # The reply comes when the keys are in; notepad may still be behind them.
    wait_for(lambda: probe.run("notepad-text")[1] == expected, "the typed text in notepad")
    assert probe.run("get-clip") == (0, PREVIOUS)


def test_a_key_of_the_users_stops_typing(peer, probe, args, figures):
    """While listening, the user's own key (Escape: notepad ignores it) ends a long typing before
    its next batch; "typed" is exactly what notepad got."""
    assert peer.call(HOTKEY, "startListening") == ("success", None)
    notepad(probe)
    text = "".join("line %d of a long dictation. " % i for i in range(100))
    msg_id = peer.send_call(HOTKEY, "pasteText", {"text": text, "method": "type", "report": True})
    wait_for(lambda: len(probe.run("notepad-text")[1]) > 50, "typing under way")
    xdotool("key", "Escape")
    status, reply = peer.reply(msg_id, "pasteText", timeout=120)
    assert peer.call(HOTKEY, "stopListening") == ("success", None)
    assert status == "success" and reply["outcome"] == "interrupted", reply
    assert 50 < reply["typed"] < len(text), reply
    wait_for(lambda: probe.run("notepad-text")[1] == text[:reply["typed"]],
             "exactly the %d characters typed in notepad" % reply["typed"])
    time.sleep(1)  # and nothing after them
    assert probe.run("notepad-text")[1] == text[:reply["typed"]], (reply, probe.run("notepad-text"))


def exit_with_pastes_pending(peer, probe, args, close, figures):
    """Into a window that never reads, one paste reported unread, then pastes queued and the app
    closed: every call gets its answer, the queued ones type nothing, the user's clipboard is back
    and the exit code is 0. The paste under way finishes unless the window goes first (Wine,
    without a window manager, takes 2 s to hide a window)."""
    assert probe.run("set-clip", PREVIOUS)[0] == 0
    deaf = Actor(args.actor, "reader", "never")
    try:
        assert deaf.line() == "ready"
        focus(probe, "Murmurly Reader", "MurmurlyActor")
        unread = {"outcome": "notRead", "target": "clipboard_actor.exe"}
        figures["reply, nobody reads (ms)"] = round(paste(peer, "unread", unread, report=True))
        ids = [peer.send_call(HOTKEY, "pasteText", {"text": t, "report": True})
               for t in ("first", "second", "third")]
        time.sleep(0.5)  # the first one's keys are sent
        close()
        replies = [peer.reply(msg_id, "pasteText")[1]["outcome"] for msg_id in ids]
        assert replies[0] in ("notRead", "cancelled") and replies[1:] == ["cancelled"] * 2, replies
        assert peer.exit_code() == 0, peer.stderr
        assert probe.run("get-clip") == (0, PREVIOUS)
    finally:
        keys = deaf.stop()
    assert keys == ["scan", "1d", "2f"] * 2, "keys of the queued pastes: %s" % keys


def test_close_answers_every_paste(peer, probe, args, figures):
    exit_with_pastes_pending(peer, probe, args, lambda: peer.control("close-window"), figures)


def test_quit_without_destroy_answers_every_paste(peer, probe, args, figures):
    peer = Peer(args.bundle)
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        exit_with_pastes_pending(peer, probe, args, lambda: probe.run("post-quit"), figures)
    finally:
        peer.close()


def main():
    args = parse_args()
    probe = Probe(args.probe)
    start_notepad()
    peer = Peer(args.bundle)
    tests = [test_into_notepad_back_to_back, test_copy_while_pasting_stays,
             test_late_reader_beside_a_monitor_gets_the_transcript, test_terminal_gets_shift_insert,
             test_windowless_reader_is_the_target, test_shift_held_is_released_first,
             test_held_hotkey_types_nothing_after_the_paste,
             test_lazy_owner_blocks_nothing,
             test_typed_text_arrives_exactly_and_the_clipboard_is_untouched,
             test_a_key_of_the_users_stops_typing,
             test_close_answers_every_paste, test_quit_without_destroy_answers_every_paste]
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
