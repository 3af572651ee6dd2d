"""Writes 8-bit RGBA PNG files (colour type 6) with the standard library only.

The game's decoder accepts only 3 or 4 bytes per pixel, so every picture is
written as truecolour with alpha, never paletted or grey.
"""

import struct
import zlib


def _chunk(kind, payload):
    body = kind + payload
    return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def encode_rgba(width, height, pixels):
    """pixels: list of rows, each a list of (r, g, b, a) tuples."""
    if len(pixels) != height or any(len(row) != width for row in pixels):
        raise ValueError("pixel rows do not match %d x %d" % (width, height))
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # filter type None: the pictures are small and compress well anyway
        for (r, g, b, a) in row:
            raw += bytes((r, g, b, a))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header)
            + _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b""))


def write_rgba(path, width, height, pixels):
    with open(path, "wb") as out:
        out.write(encode_rgba(width, height, pixels))
