"""Value helpers shared by the emulator: journal-friendly values, name encoding, bodies, progress lines."""

import base64
import math
import struct
import xmlrpc.client
import zlib

# Deeper values are refused: the journal encoder and the playlists never need more.
MAX_NESTING = 64


class TooDeep(ValueError):
    pass


def to_json(value, depth=0):
    """An XML-RPC value in a JSON-friendly form: date-times as their XML-RPC text, base64 as base64 text."""
    if depth > MAX_NESTING:
        raise TooDeep("value nested deeper than %d levels" % MAX_NESTING)
    if isinstance(value, xmlrpc.client.DateTime):
        return value.value
    if isinstance(value, xmlrpc.client.Binary):
        return base64.b64encode(value.data).decode("ascii")
    if value is None or isinstance(value, (bool, int, str)):
        return value
    if isinstance(value, float):
        return value if math.isfinite(value) else repr(value)
    if isinstance(value, (list, tuple)):
        return [to_json(item, depth + 1) for item in value]
    if isinstance(value, dict):
        return {str(key): to_json(item, depth + 1) for key, item in value.items()}
    return str(value)


def u_plus_encode(name):
    """The registration form of a name: unchanged when ASCII, else every UTF-16 unit as "U+" and hex digits."""
    if all(ord(ch) < 128 for ch in name):
        return name
    raw = name.encode("utf-16-be", "surrogatepass")
    units = struct.unpack(">%dH" % (len(raw) // 2), raw)
    return "".join("U+%X" % unit for unit in units)


def u_plus_decode(text):
    """Reverse of u_plus_encode; text without "U+" is returned unchanged. Raises ValueError on bad digits."""
    if "U+" not in text:
        return text
    units = []
    for part in text.split("U+")[1:]:
        if not part:
            break
        unit = int(part, 16)
        if not 0 < unit <= 0xFFFF:
            raise ValueError("code %r out of range" % part)
        units.append(unit)
    return struct.pack(">%dH" % len(units), *units).decode("utf-16-be", "replace")


def deflate_body(body):
    """The compressed body form: 4-byte big-endian uncompressed length, then a zlib stream."""
    return struct.pack(">I", len(body)) + zlib.compress(body)


def inflate_body(body):
    if len(body) < 4:
        raise ValueError("compressed body shorter than its length prefix")
    (length,) = struct.unpack(">I", body[:4])
    data = zlib.decompress(body[4:])
    if len(data) != length:
        raise ValueError("compressed body length %d, prefix says %d" % (len(data), length))
    return data


def progress_line(file_name, percent):
    """A download progress line: the name padded to 20 characters, a blank, the percentage in 3 places, "%"."""
    percent = max(0, min(100, int(percent)))
    return "%-20.20s %3d%%" % (file_name, percent)


def plain_file_name(name):
    """True when name is a bare file name that stays inside its directory."""
    return (isinstance(name, str) and name not in ("", ".", "..") and "/" not in name
            and "\\" not in name and "\0" not in name)
