"""The hotkey against the bundle in Wine's notepad: a busy main thread, Alt hotkeys and the menu
bar, AltGr, the paste's own keys, pastes and holds overlapping, a locked session, a hook removed,
mouse buttons as the hotkey."""

import subprocess
import sys
import time

from e2e_support import WINE_RUN, Peer, Probe, XKeys, focus, parse_args, run_test, start_notepad, \
    stop_wine, summary, wait_for, xdotool

HOTKEY = "murmurly/global_hotkey"


class Notepad:
    """Tracks what notepad should hold, so each test looks only at what it typed."""

    def __init__(self, probe):
        self.probe = probe
        self.text = ""

    def typed(self, letters):
        self.text += letters
        wait_for(lambda: self.probe.run("notepad-text")[1] == self.text,
                 "%r in notepad" % self.text, timeout=20)
        return time.monotonic()

    def unchanged(self, settle=1.0):
        time.sleep(settle)
        return self.probe.run("notepad-text")[1] == self.text


def set_hotkey(peer, label):
    assert peer.call(HOTKEY, "setHotkey", {"label": label}) == ("success", None)


def events_since(peer, start, count=0):
    """The events after the first `start`, once there are at least `count` of them."""
    peer.wait(lambda: len(peer.methods()) >= start + count, "%d events" % count)
    return peer.methods()[start:]


def test_busy_main_thread(peer, probe, keys, notepad):
    """Letters reach notepad while the main thread sleeps; the hotkey's events come after,
    a 0.6 s hold judged by its keys' times."""
    set_hotkey(peer, "Left Shift + Left Ctrl")
    start = len(peer.methods())
    busy_from = time.monotonic()
    peer.control("busy 6000")
    peer.control("ping busy-over")
    time.sleep(0.3)
    xdotool("type", "--delay", "30", "abc")
    keys.hold(0.6, "Control_L", "Shift_L")
    seen = notepad.typed("abc")
    over = peer.wait_notice("pong busy-over", timeout=30)
    assert seen < over, "the letters waited for the main thread"
    events = events_since(peer, start, 2)
    assert events == ["onHotkeyDown", "onHotkeyUp"], events
    arrived = [t for t, _, m, _ in peer.messages[start:]]
    assert min(arrived) > busy_from + 3.0, "an event arrived while the main thread was busy"


def test_alt_hotkeys_leave_no_menu(peer, probe, keys, notepad):
    for label, key in (("Left Alt", "Alt_L"), ("Right Alt", "Alt_R")):
        set_hotkey(peer, label)
        start = len(peer.methods())
        keys.hold(0.5, key)
        events = events_since(peer, start, 2)
        assert events == ["onHotkeyDown", "onHotkeyUp"], (label, events)
        xdotool("type", "--delay", "30", "abc")
        notepad.typed("abc")


def test_alt_alone_keeps_its_menu(peer, probe, keys, notepad):
    set_hotkey(peer, "Left Alt + Left Ctrl")
    keys.hold(0.1, "Alt_L")
    xdotool("type", "--delay", "30", "q")
    assert notepad.unchanged(), "Left Alt alone did not open the menu bar"
    keys.hold(0.05, "Escape")
    keys.hold(0.05, "Escape")
    xdotool("type", "--delay", "30", "de")
    notepad.typed("de")


def test_altgr(peer, probe, keys, notepad):
    """Windows' AltGr pair (Left Ctrl with scan 0x21D, then Right Alt, one time stamp) sent by
    another program: a "Right Alt" hotkey holds through it, a "Left Ctrl" one never starts."""
    for label, expected in (("Right Alt", ["onHotkeyDown", "onHotkeyUp"]), ("Left Ctrl", [])):
        set_hotkey(peer, label)
        start = len(peer.methods())
        assert probe.run("keys", "+162:21d", "+165:38")[0] == 0
        time.sleep(0.5)
        assert probe.run("keys", "-162:21d", "-165:38")[0] == 0
        time.sleep(0.5)
        peer.sync("after-altgr")
        assert events_since(peer, start, len(expected)) == expected, (label, peer.methods()[start:])


def test_paste_during_hold(peer, probe, keys, notepad):
    """Left Shift + Left Ctrl held through a paste, then the held Ctrl repeating (sent by another
    program: XTEST cannot repeat a held modifier under Wine): one hold, ended by the release."""
    set_hotkey(peer, "Left Shift + Left Ctrl")
    start = len(peer.methods())
    keys.down("Control_L", "Shift_L")
    peer.wait_event("onHotkeyDown", peer.methods().count("onHotkeyDown") + 1)
    assert peer.call(HOTKEY, "pasteText", {"text": "held"}) == ("success", None)
    for _ in range(3):
        assert probe.run("keys", "+162")[0] == 0
    keys.up("Shift_L", "Control_L")
    notepad.typed("held")
    time.sleep(0.5)
    peer.sync("after-paste-during-hold")
    assert events_since(peer, start) == ["onHotkeyDown", "onHotkeyUp"], events_since(peer, start)


def test_paste_keys_are_not_the_hotkey(peer, probe, keys, notepad):
    set_hotkey(peer, "Left Ctrl")
    start = len(peer.methods())
    assert peer.call(HOTKEY, "pasteText", {"text": "pasted"}) == ("success", None)
    notepad.typed("pasted")
    time.sleep(1.0)  # the paste's keys would have made their events by now
    peer.sync("after-paste")
    assert events_since(peer, start) == [], events_since(peer, start)


def test_hotkey_during_paste(peer, probe, keys, notepad):
    """A hold that starts while a paste is still running is recognised at once: the paste no
    longer keeps the main thread, so the event comes long before the paste is over."""
    set_hotkey(peer, "Left Shift + Left Ctrl")
    downs = peer.methods().count("onHotkeyDown")
    call = peer.send_call(HOTKEY, "pasteText", {"text": "during"})
    time.sleep(0.1)
    pressed = time.monotonic()
    keys.down("Control_L", "Shift_L")
    recognised = peer.wait_event("onHotkeyDown", downs + 1)
    assert peer.reply(call, "pasteText") == ("success", None)
    over = peer.reply_times[call]
    keys.up("Shift_L", "Control_L")
    print("  FIGURE hotkey during a paste: recognised %.1f ms after the key-down"
          % ((recognised - pressed) * 1000))
    assert recognised < over, "the hotkey waited for the paste"
    notepad.typed("during")
    peer.sync("after-hotkey-during-paste")


def test_lock_during_hold(peer, probe, keys, notepad):
    set_hotkey(peer, "Left Shift + Left Ctrl")
    start = len(peer.methods())
    keys.down("Control_L", "Shift_L")
    peer.wait_event("onHotkeyDown", peer.methods().count("onHotkeyDown") + 1)
    assert probe.run("session", "7")[0] == 0  # WTS_SESSION_LOCK
    keys.up("Shift_L", "Control_L")
    time.sleep(1.0)  # the late key-up would have arrived by now
    peer.sync("after-lock")
    events = events_since(peer, start, 2)
    assert events == ["onHotkeyDown", "onHotkeyCancelled"], events
    assert probe.run("session", "8")[0] == 0  # WTS_SESSION_UNLOCK
    keys.hold(0.5, "Control_L", "Shift_L")
    events = events_since(peer, start, 4)
    assert events[2:] == ["onHotkeyDown", "onHotkeyUp"], events


def test_hook_removed_behind_our_back(peer, probe, keys, notepad):
    """Windows drops the hook, idle or during a "Right Alt" hold whose key-up it then misses:
    letters still arrive, the hold ends as a release within 2 s, the repaired hook works again."""
    hotkey_keys = ["Control_L", "Shift_L"]
    set_hotkey(peer, "Left Shift + Left Ctrl")
    peer.control("drop-hook")
    peer.wait_notice("hook-dropped")
    downs = peer.methods().count("onHotkeyDown")
    xdotool("type", "--delay", "30", "xyz")  # raw input sees these; the dead hook does not
    typed = notepad.typed("xyz")

    def works():
        keys.hold(0.4, *hotkey_keys)
        peer.sync("retry")
        return peer.methods().count("onHotkeyDown") > downs

    wait_for(works, "the hotkey working again", timeout=15, step=0.2)
    print("  hotkey back %.1f s after the letters" % (time.monotonic() - typed))

    hotkey_keys = ["Alt_R"]
    set_hotkey(peer, "Right Alt")
    ups = peer.methods().count("onHotkeyUp")
    keys.down("Alt_R")
    downs = peer.methods().count("onHotkeyDown") + 1
    peer.wait_event("onHotkeyDown", downs)
    time.sleep(0.4)
    peer.control("drop-hook")
    peer.wait(lambda: peer.notice_texts().count("hook-dropped") == 2, "hook-dropped again")
    released = keys.up("Alt_R")
    ended = peer.wait_event("onHotkeyUp", ups + 1, timeout=2)
    print("  FIGURE unseen key-up: the hold ended %.0f ms after it" % ((ended - released) * 1000))
    wait_for(works, "the hotkey working again", timeout=15, step=0.2)


class ButtonTarget:
    """A window of another program under the pointer, which reports the middle and side button
    messages it got ("+x1 -x1 app1 +m -m ..."; app: WM_APPCOMMAND, 1 Back, 2 Forward)."""

    def __init__(self, probe):
        self.process = subprocess.Popen([WINE_RUN, probe.path, "buttons", "8000"],
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        assert self.process.stdout.readline().strip() == b"ready"
        xdotool("mousemove", "300", "250")
        time.sleep(0.3)

    def seen(self):
        out, _ = self.process.communicate(timeout=30)
        return out.decode().split()


def mouse_events(peer, keys, label, *clicks):
    """The events that `clicks` ((seconds, X button, keys held) each) make with `label`."""
    set_hotkey(peer, label)
    start = len(peer.methods())
    for seconds, button, held in clicks:
        if held:
            keys.down(*held)
        keys.click(seconds, button)
        if held:
            keys.up(*held)
        time.sleep(0.2)
    peer.sync("after-" + label)
    return events_since(peer, start)


def test_mouse_4_held_and_tapped(peer, probe, keys, notepad):
    target = ButtonTarget(probe)
    events = mouse_events(peer, keys, "Mouse 4", (0.6, 8, None), (0.1, 8, None))
    assert events == ["onHotkeyDown", "onHotkeyUp", "onHotkeyDown", "onHotkeyCancelled"], events
    assert target.seen() == [], "the window under the pointer saw the bound button"


def test_modifier_and_mouse_5(peer, probe, keys, notepad):
    """With Ctrl the button is the hotkey and kept from the window; without, it goes Forward."""
    target = ButtonTarget(probe)
    events = mouse_events(peer, keys, "Left Ctrl + Mouse 5", (0.5, 9, ["Control_L"]),
                          (0.5, 9, None))
    assert events == ["onHotkeyDown", "onHotkeyUp"], events
    assert target.seen() == ["+x2", "-x2", "app2"], "Forward without Ctrl"


def test_keyboard_label_swallows_no_button(peer, probe, keys, notepad):
    target = ButtonTarget(probe)
    events = mouse_events(peer, keys, "Right Alt", (0.1, 8, None), (0.1, 9, None), (0.1, 2, None))
    assert events == [], events
    assert target.seen() == ["+x1", "-x1", "app1", "+x2", "-x2", "app2", "+m", "-m"]


def main():
    args = parse_args()
    probe = Probe(args.probe)
    start_notepad()
    peer = Peer(args.bundle)
    tests = [test_busy_main_thread, test_alt_hotkeys_leave_no_menu, test_alt_alone_keeps_its_menu,
             test_paste_keys_are_not_the_hotkey, test_hotkey_during_paste,
             test_altgr, test_paste_during_hold, test_lock_during_hold,
             test_hook_removed_behind_our_back, test_mouse_4_held_and_tapped,
             test_modifier_and_mouse_5, test_keyboard_label_swallows_no_button]
    failed = 0
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        assert peer.call(HOTKEY, "startListening") == ("success", None)
        assert peer.call(HOTKEY, "setOverlayEnabled", {"enabled": False}) == ("success", None)
        keys = XKeys()
        notepad = Notepad(probe)
        for test in tests:
            focus(probe, "Untitled - Notepad", "Notepad")
            if run_test(test, peer, probe, keys, notepad):
                failed += 1
                notepad.text = probe.run("notepad-text")[1]
    finally:
        peer.close()
        stop_wine()
    return summary(len(tests), failed)


if __name__ == "__main__":
    sys.exit(main())
