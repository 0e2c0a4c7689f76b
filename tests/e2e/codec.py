"""The standard message codec, as much of it as the e2e driver exchanges with the shell."""

import struct


def _write_size(out, size):
    if size < 254:
        out.append(size)
    elif size <= 0xFFFF:
        out.append(254)
        out += struct.pack("<H", size)
    else:
        out.append(255)
        out += struct.pack("<I", size)


def encode_value(out, value):
    if value is None:
        out.append(0)
    elif value is True:
        out.append(1)
    elif value is False:
        out.append(2)
    elif isinstance(value, int):
        out.append(3)
        out += struct.pack("<i", value)
    elif isinstance(value, str):
        data = value.encode("utf-8")
        out.append(7)
        _write_size(out, len(data))
        out += data
    elif isinstance(value, list):
        out.append(12)
        _write_size(out, len(value))
        for item in value:
            encode_value(out, item)
    elif isinstance(value, dict):
        out.append(13)
        _write_size(out, len(value))
        for key, item in value.items():
            encode_value(out, key)
            encode_value(out, item)
    else:
        raise TypeError(type(value))


class _Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def byte(self):
        self.pos += 1
        return self.data[self.pos - 1]

    def take(self, count):
        self.pos += count
        return self.data[self.pos - count:self.pos]

    def size(self):
        first = self.byte()
        if first < 254:
            return first
        if first == 254:
            return struct.unpack("<H", self.take(2))[0]
        return struct.unpack("<I", self.take(4))[0]

    def align(self, n):
        self.pos += (-self.pos) % n

    def value(self):
        kind = self.byte()
        if kind == 0:
            return None
        if kind in (1, 2):
            return kind == 1
        if kind == 3:
            return struct.unpack("<i", self.take(4))[0]
        if kind == 4:
            return struct.unpack("<q", self.take(8))[0]
        if kind == 6:
            self.align(8)
            return struct.unpack("<d", self.take(8))[0]
        if kind == 7:
            return self.take(self.size()).decode("utf-8")
        if kind == 8:
            return bytes(self.take(self.size()))
        if kind == 12:
            return [self.value() for _ in range(self.size())]
        if kind == 13:
            return dict((self.value(), self.value()) for _ in range(self.size()))
        raise ValueError("type %d" % kind)


def encode_method_call(method, args=None):
    out = bytearray()
    encode_value(out, method)
    encode_value(out, args)
    return bytes(out)


def decode_method_call(data):
    reader = _Reader(data)
    method = reader.value()
    args = reader.value() if reader.pos < len(data) else None
    return method, args


def decode_envelope(data):
    """("success", value), ("error", code, message, details) or ("notImplemented",)."""
    if not data:
        return ("notImplemented",)
    reader = _Reader(data)
    if reader.byte() == 0:
        return ("success", reader.value())
    return ("error", reader.value(), reader.value(), reader.value())
