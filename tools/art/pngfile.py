"""Writes PNG files with the standard library only: the one PNG writer of
the project's Python tools and tests.

encode() takes rows of raw samples already packed at the bit depth (one
bytes object per row, without the filter byte), so that it can write every
colour type a level may come in; encode_rgba() and write_rgba() write the
8-bit RGBA pictures the game holds.
"""

import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
GREY, RGB, PALETTE, GREY_ALPHA, RGBA = 0, 2, 3, 4, 6  # colour types


def chunk(kind, payload):
    body = kind + payload
    return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def pack(samples, depth):
    """One row of sample values (ints) packed at 1, 2, 4, 8 or 16 bits."""
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    per_byte = 8 // depth
    out = bytearray((len(samples) + per_byte - 1) // per_byte)
    for i, s in enumerate(samples):
        out[i // per_byte] |= s << (8 - depth * (i % per_byte + 1))
    return bytes(out)


def encode(width, height, rows, colour_type=RGBA, depth=8, palette=None, extra=b"", level=9):
    """rows: `height` bytes objects of packed samples; palette: (r, g, b) tuples;
    extra: chunks placed before the picture data."""
    if len(rows) != height:
        raise ValueError("%d rows for a height of %d" % (len(rows), height))
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0)
    if palette is not None:
        extra = chunk(b"PLTE", bytes(v for entry in palette for v in entry)) + extra
    raw = b"".join(b"\x00" + row for row in rows)  # filter type None: levels compress well anyway
    return (SIGNATURE + chunk(b"IHDR", header) + extra
            + chunk(b"IDAT", zlib.compress(raw, level)) + chunk(b"IEND", b""))


def encode_rgba(width, height, pixels):
    """pixels: list of rows, each a list of (r, g, b, a) tuples."""
    if len(pixels) != height or any(len(row) != width for row in pixels):
        raise ValueError("pixel rows do not match %d x %d" % (width, height))
    return encode(width, height, [bytes(v for p in row for v in p) for row in pixels])


def write(path, data):
    with open(path, "wb") as out:
        out.write(data)


def write_rgba(path, width, height, pixels):
    write(path, encode_rgba(width, height, pixels))
