#!/usr/bin/env python3
"""Finds dropouts in a recording of the game's sound.

    gaps.py CAPTURE.raw [--min-ms 20] [--edge-level 0.002]

CAPTURE.raw is raw little-endian float32 stereo at 44100 Hz, as
tests/audio/with-sound-sink records it. A dropout shows as a run of exact
zeros (the sound server fills what the stream failed to deliver with
silence) that cuts into sound: the music stops dead from an audible level
and comes back later. The game's own quiet stretches end differently: a voice
fades out through its release and the buffer is exact zero only after the
last voice has decayed to almost nothing, so a zero run is counted as a gap
only when the sound just before it is at least EDGE-LEVEL, and only when sound
follows it (the end of the recording, after the stream closed, is no gap).

Prints one summary line "seconds=... peak=... gaps=N" and one line per gap
(at most 20); exits 0 whatever it finds, 2 when the file cannot be read.
"""
import argparse
import array
import re
import sys

RATE = 44100  # frames per second
CHANNELS = 2
SAMPLE_BYTES = 4
EDGE_MS = 2.0  # how much sound before a zero run decides whether it was cut


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("capture")
    parser.add_argument("--min-ms", type=float, default=20.0)
    parser.add_argument("--edge-level", type=float, default=0.002)
    args = parser.parse_args()
    try:
        with open(args.capture, "rb") as f:
            data = f.read()
    except OSError as error:
        print(f"gaps.py: cannot read {args.capture}: {error.strerror}")
        return 2
    frame_bytes = CHANNELS * SAMPLE_BYTES
    data = data[: len(data) - len(data) % frame_bytes]
    samples = array.array("f")
    samples.frombytes(data)
    if sys.byteorder != "little":
        samples.byteswap()
    frames = len(samples) // CHANNELS
    peak = peak_in_chunks(samples)

    # Searching the bytes keeps a ten-minute recording fast: a zero float is
    # four zero bytes. Negative zero does not occur in what the sink records.
    min_frames = int(args.min_ms * RATE / 1000.0)
    edge_frames = int(EDGE_MS * RATE / 1000.0)
    pattern = re.compile(b"\x00{%d,}" % (min_frames * frame_bytes))
    gaps = []
    for match in pattern.finditer(data):
        # Whole frames inside the run of zero bytes.
        first = -(-match.start() // frame_bytes)
        end = match.end() // frame_bytes
        if end - first < min_frames or first == 0 or end >= frames:
            continue
        before = samples[max(0, first - edge_frames) * CHANNELS : first * CHANNELS]
        edge = max(abs(s) for s in before)
        if edge < args.edge_level:
            continue
        gaps.append((first / RATE, (end - first) * 1000.0 / RATE, edge))

    print(f"seconds={frames / RATE:.1f} peak={peak:.3f} gaps={len(gaps)}")
    for start, length, edge in gaps[:20]:
        print(f"gap at {start:.3f} s: {length:.1f} ms of silence after a level of {edge:.3f}")
    return 0


def peak_in_chunks(samples):
    peak = 0.0
    step = 1 << 20
    for offset in range(0, len(samples), step):
        chunk = samples[offset : offset + step]
        peak = max(peak, max(chunk), -min(chunk))
    return peak


if __name__ == "__main__":
    sys.exit(main())
