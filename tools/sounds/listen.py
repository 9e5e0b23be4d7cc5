#!/usr/bin/python3
"""Figures for listening to a render of the music (what render_music writes:
16-bit stereo at 44100 Hz). Needs numpy (Debian's python3-numpy); a tool for
the developer, not part of the build or the tests.

    listen.py sections RAW piece|finale     peak and RMS of each section, the
                                            spectrum above 11 and 16 kHz
    listen.py seam RAW ONE-ROUND-RAW        where the second round begins in RAW
                                            (a render through the game's output)
                                            against where it should, and the
                                            click level there
    listen.py plot RAW OUT.png              the level over time (0.5 s RMS)
"""

import os
import struct
import sys
import zlib

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from sounds import finale, pieces  # noqa: E402
from sounds.midi import loop_tempo  # noqa: E402

RATE = 44100


def read(path):
    return np.fromfile(path, dtype="<i2").reshape(-1, 2).astype(np.float64) / 32768


def db(v):
    return 20 * np.log10(max(v, 1e-9))


def sections(path, which):
    piece = pieces if which == "piece" else finale
    x = read(path)
    bar_s = 3 * 60 / piece.TEMPO
    print("%-8s %7s %7s %9s %9s" % ("section", "from s", "to s", "peak dBFS", "RMS dBFS"))
    for (name, b0), (_, b1) in zip(piece.SECTIONS, piece.SECTIONS[1:]):
        part = x[int(b0 * bar_s * RATE):int(b1 * bar_s * RATE)]
        print("%-8s %7.1f %7.1f %9.1f %9.1f" % (name, b0 * bar_s, b1 * bar_s,
                                             db(np.abs(part).max()), db(np.sqrt((part ** 2).mean()))))
    whole = x[:int(piece.SECTIONS[-1][1] * bar_s * RATE)]
    mono = whole.mean(axis=1)
    power = np.abs(np.fft.rfft(mono)) ** 2
    f = np.fft.rfftfreq(len(mono), 1 / RATE)
    print("whole: peak %.2f dBFS, RMS %.1f dBFS; energy above 11.025 kHz %.1f dB, above 16 kHz"
          " %.1f dB of the whole" % (db(np.abs(whole).max()), db(np.sqrt((whole ** 2).mean())),
                                     10 * np.log10(power[f > 11025].sum() / power.sum()),
                                     10 * np.log10(power[f > 16000].sum() / power.sum())))


def seam(path, round_path):
    """The second round's start is found by matching the first second of the
    piece (from the off-line render) against the stream after the first
    round's end; the first round's start the same way from the beginning."""
    x, ref = read(path).mean(axis=1), read(round_path).mean(axis=1)
    probe = ref[:RATE]
    length = int(np.nonzero(np.abs(ref) > 0)[0][-1])  # rough; refined by the match below

    def find(lo, hi):
        seg = x[lo:hi + len(probe)]
        n = 1 << int(np.ceil(np.log2(len(seg) + len(probe))))
        corr = np.fft.irfft(np.fft.rfft(seg, n) * np.conj(np.fft.rfft(probe, n)), n)
        return lo + int(np.argmax(corr[:hi - lo]))

    first = find(0, 5 * RATE)
    nominal = piece_frames(round_path, ref)
    second = find(first + nominal - RATE, first + nominal + RATE)
    gap = second - first - nominal
    d2 = np.abs(np.diff(x, 2))
    win = int(0.005 * RATE)
    around = d2[second - 2 * RATE:second + 2 * RATE]
    energy = np.convolve(around ** 2, np.ones(win) / win, "valid")
    at_seam = energy[2 * RATE - 2 * win:2 * RATE + 2 * win].max()
    steps = np.abs(np.diff(x[second - 2 * RATE:second + 2 * RATE]))
    jump = steps[2 * RATE - RATE // 1000:2 * RATE + RATE // 1000].max()
    print("first round at frame %d, second at %d: %d frames (%.1f ms) after the first round's end;"
          " click level at the seam %.1f dB against the median of the 4 s around it; largest"
          " sample step within 1 ms of it %.4f, against %.4f at the 99.9th percentile of those 4 s"
          % (first, second, gap, 1000 * gap / RATE, 10 * np.log10(at_seam / np.median(energy)),
             jump, np.percentile(steps, 99.9)))
    del length


def piece_frames(round_path, ref):
    name = os.path.basename(round_path)
    piece = finale if "finale" in name else pieces
    quarters = 3 * piece.SECTIONS[-1][1]
    return int(round(quarters * loop_tempo(piece.TEMPO, quarters) * RATE / 1e6))


def plot(path, out):
    """A level plot as a PNG, one column per 0.5 s, -50 to -10 dBFS, a grey line every 5 dB."""
    x = read(path)
    hop = RATE // 2
    levels = [db(np.sqrt((x[i:i + hop] ** 2).mean())) for i in range(0, len(x) - hop, hop)]
    w, h = max(1, len(levels)) * 2, 240
    img = np.full((h, w), 255, np.uint8)
    for k in range(0, 41, 5):
        img[min(h - 1, k * h // 40), :] = 200
    for i, v in enumerate(levels):
        top = int(min(h, max(0, (-10 - v) * h / 40)))
        img[top:, 2 * i:2 * i + 2] = 40
    raw = b"".join(b"\x00" + img[r].tobytes() for r in range(h))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 0, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
    with open(out, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    {"sections": sections, "seam": seam, "plot": plot}[sys.argv[1]](*sys.argv[2:])
