#!/usr/bin/env python3
"""Loudness of a stretch of the raw stream SDL's disk driver writes
(16-bit little-endian stereo at 44100 Hz): prints the peak sample of the
bytes from START to the end of FILE (or to START + LENGTH)."""
import array
import sys

path, start = sys.argv[1], int(sys.argv[2])
length = int(sys.argv[3]) if len(sys.argv) > 3 else None
with open(path, "rb") as f:
    f.seek(start - start % 4)
    data = f.read() if length is None else f.read(length)
samples = array.array("h")
samples.frombytes(data[: len(data) - len(data) % 2])
if sys.byteorder != "little":
    samples.byteswap()
# max and min run in C: a stream of many seconds is read in milliseconds.
print(max(max(samples), -min(samples)) if samples else 0)
