#!/usr/bin/env python3
"""Writes the PNG level seeds into corpus/level. Run again only to remake
them; the files are committed. The JPEG seeds come from ImageMagick:
  convert -size 3x2 xc:red tiny.jpg
  convert -size 16x8 gradient:red-blue -interlace Plane -quality 80 progressive.jpg
jpeg-declares-8000-square.jpg is tiny.jpg with its frame size raised to
8000 x 8000, and gif-extension-cut-short.gif an input the fuzzer once hung on;
both stay so that every run tries them again."""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "art"))
from pngfile import SIGNATURE as signature, chunk, encode  # noqa: E402  (the project's one PNG writer)

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "level")


zlib_default = -1  # the seeds were first made at zlib's default level


def png(width, height, colour_type, rows, depth=8, extra=b""):
    return encode(width, height, rows, colour_type, depth, extra=extra, level=zlib_default)


def write(name, data):
    with open(os.path.join(here, name), "wb") as f:
        f.write(data)


os.makedirs(here, exist_ok=True)
# Every cell kind of the format in one row, open space around it.
cells = [255, 0, 32, 64, 96, 128, 254, 224, 17]
rgba_rows = [bytes(v for c in cells for v in (c, 200, 100, 255 if c != 17 else 0)) for _ in range(3)]
rgba = png(len(cells), 3, 6, rgba_rows)
write("rgba-cells.png", rgba)
write("rgb-three-wide.png", png(3, 2, 2, [bytes([255, 1, 2, 0, 3, 4, 32, 5, 6])] * 2))
# Paletted and grey pictures: levels since 1-bit grey and palettes come from ordinary tools.
palette = chunk(b"PLTE", bytes([255, 255, 255, 0, 0, 0, 64, 64, 64]))
write("paletted.png", png(2, 2, 3, [bytes([0, 1]), bytes([2, 0])], extra=palette))
write("grey.png", png(2, 2, 0, [bytes([255, 0]), bytes([64, 128])]))
write("sixteen-bit.png", png(1, 2, 6, [bytes(8), b"\xff" * 8], depth=16))
write("truncated.png", rgba[: len(rgba) // 2])
write("cut-in-chunk-header.png", rgba[:8 + 25 + 5])
# A data chunk that declares 50 MB but carries 16 bytes.
crafted = signature + chunk(b"IHDR", struct.pack(">IIBBBBB", 4096, 4096, 8, 6, 0, 0, 0))
crafted += struct.pack(">I", 50_000_000) + b"IDAT" + b"\x55" * 16
write("chunk-declares-megabytes.png", crafted)
write("empty.png", b"")
write("garbage.png", b"not a picture at all\n")
