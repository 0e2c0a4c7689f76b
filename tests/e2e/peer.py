"""The Dart side of murmurly.exe, played over the stand-in engine's Dart-peer link.

Starts the bundle's murmurly.exe under Wine with MURMURLY_DART_PEER pointing at a loopback
listener, then exchanges frames with it: NOTICE lines arrive in `notices`, platform messages
from the shell in `messages`, and calls to the shell are made with `call`.
"""

import os
import socket
import struct
import subprocess
import threading
import time

import codec

MESSAGE, REPLY, NOTICE, CONTROL = 1, 2, 3, 4
HOTKEY = "murmurly/global_hotkey"
PERMISSIONS = "murmurly/permissions"
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


class Peer:
    def __init__(self, bundle, args=(), env=None, timeout=30.0):
        self.bundle = bundle
        self.timeout = timeout
        self.notices = []
        self.messages = []  # (channel, method name, arguments)
        self.replies = {}
        self.reply_times = {}  # msg id -> when its reply arrived
        self.cond = threading.Condition()
        self.closed = False
        self.next_id = 1
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(1)
        self.listener.settimeout(timeout)
        port = self.listener.getsockname()[1]
        full_env = dict(os.environ)
        full_env["MURMURLY_DART_PEER"] = "127.0.0.1:%d" % port
        full_env.update(env or {})
        self.started = time.monotonic()
        self.process = subprocess.Popen(
            [os.path.join(ROOT, "tools", "wine-run"), "murmurly.exe", *args],
            cwd=bundle, env=full_env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.stderr = b""
        threading.Thread(target=self._read_stderr, daemon=True).start()
        self.sock = None

    def _read_stderr(self):
        for line in self.process.stderr:
            self.stderr += line

    def accept(self):
        self.sock, _ = self.listener.accept()
        self.sock.settimeout(None)
        threading.Thread(target=self._read_frames, daemon=True).start()

    def _recv_exact(self, count):
        data = b""
        while len(data) < count:
            chunk = self.sock.recv(count - len(data))
            if not chunk:
                raise EOFError
            data += chunk
        return data

    def _read_frames(self):
        try:
            while True:
                (length,) = struct.unpack("<I", self._recv_exact(4))
                body = self._recv_exact(length)
                self._handle(body[0], body[1:])
        except (EOFError, OSError):
            with self.cond:
                self.closed = True
                self.cond.notify_all()

    def _handle(self, kind, body):
        with self.cond:
            if kind == NOTICE:
                self.notices.append((time.monotonic(), body.decode("utf-8")))
            elif kind == MESSAGE:
                (msg_id, name_len) = struct.unpack_from("<IH", body)
                channel = body[6:6 + name_len].decode("utf-8")
                method, args = codec.decode_method_call(body[6 + name_len:])
                self.messages.append((time.monotonic(), channel, method, args))
                if msg_id:
                    self._send(REPLY, struct.pack("<I", msg_id))
            elif kind == REPLY:
                (msg_id,) = struct.unpack_from("<I", body)
                self.replies[msg_id] = body[4:]
                self.reply_times[msg_id] = time.monotonic()
            self.cond.notify_all()

    def _send(self, kind, body):
        self.sock.sendall(struct.pack("<IB", len(body) + 1, kind) + body)

    def control(self, line):
        with self.cond:
            self._send(CONTROL, line.encode("utf-8"))

    def call(self, channel, method, args=None, wait=True):
        """Calls a method on the shell and returns the decoded reply envelope (or, with
        wait=False, nothing: the reply is left unread)."""
        msg_id = self.send_call(channel, method, args)
        return self.reply(msg_id, method) if wait else None

    def send_call(self, channel, method, args=None):
        """Sends a call without waiting; returns its id for reply()."""
        with self.cond:
            msg_id = self.next_id
            self.next_id += 1
            name = channel.encode("utf-8")
            payload = codec.encode_method_call(method, args)
            self._send(MESSAGE, struct.pack("<IH", msg_id, len(name)) + name + payload)
            return msg_id

    def reply(self, msg_id, what="a call", timeout=None):
        """Waits for the reply to call `msg_id` and returns its decoded envelope."""
        with self.cond:
            self._wait_locked(lambda: msg_id in self.replies, "reply to " + what, timeout)
            return codec.decode_envelope(self.replies.pop(msg_id))

    def _wait_locked(self, predicate, what, timeout=None):
        deadline = time.monotonic() + (timeout or self.timeout)
        while not predicate():
            left = deadline - time.monotonic()
            if left <= 0 or (self.closed and not predicate()):
                raise AssertionError("timed out waiting for %s; notices %s; messages %s" % (
                    what, self.notice_texts(), self.methods()))
            self.cond.wait(left)

    def wait(self, predicate, what, timeout=None):
        with self.cond:
            self._wait_locked(predicate, what, timeout)

    def wait_notice(self, text, timeout=None):
        self.wait(lambda: text in self.notice_texts(), "notice " + text, timeout)
        return next(t for t, n in self.notices if n == text)

    def wait_event(self, method, count=1, timeout=None):
        self.wait(lambda: self.methods().count(method) >= count, "event " + method, timeout)
        return [t for t, _, m, _ in self.messages if m == method][count - 1]

    def sync(self, token="sync"):
        """Returns once the shell has handled every frame sent before."""
        self.control("ping " + token)
        self.wait_notice("pong " + token)
        with self.cond:
            self.notices = [(t, n) for t, n in self.notices if n != "pong " + token]

    def notice_texts(self):
        return [n for _, n in self.notices]

    def methods(self):
        return [m for _, _, m, _ in self.messages]

    def exit_code(self, timeout=None):
        try:
            return self.process.wait(timeout or self.timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("murmurly.exe did not exit; notices %s" % self.notice_texts()[-5:])

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        if self.sock:
            self.sock.close()
        self.listener.close()
