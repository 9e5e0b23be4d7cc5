"""The rustle: a card slid off the pile and laid down, synthesised from
filtered noise and written as a mono 16-bit wave file."""

import math
import random
import struct
import wave

RATE = 44100


class Biquad:
    """A second-order filter (the usual audio cookbook formulas)."""

    def __init__(self, kind, freq, q):
        w = 2 * math.pi * freq / RATE
        alpha, c = math.sin(w) / (2 * q), math.cos(w)
        if kind == "band":
            b = (alpha, 0.0, -alpha)
        elif kind == "low":
            b = ((1 - c) / 2, 1 - c, (1 - c) / 2)
        else:  # high
            b = ((1 + c) / 2, -(1 + c), (1 + c) / 2)
        a0 = 1 + alpha
        self.b = [x / a0 for x in b]
        self.a = [-2 * c / a0, (1 - alpha) / a0]
        self.x1 = self.x2 = self.y1 = self.y2 = 0.0

    def run(self, xs):
        b0, b1, b2 = self.b
        a1, a2 = self.a
        out = []
        for x in xs:
            y = b0 * x + b1 * self.x1 + b2 * self.x2 - a1 * self.y1 - a2 * self.y2
            self.x2, self.x1, self.y2, self.y1 = self.x1, x, self.y1, y
            out.append(y)
        return out


def burst(rng, n, attack, decay, filters):
    """Filtered noise with a quick rise and an exponential fall (seconds)."""
    xs = [rng.uniform(-1.0, 1.0) for _ in range(n)]
    for f in filters:
        xs = f.run(xs)
    return [x * min(1.0, i / (attack * RATE)) * math.exp(-max(0, i - attack * RATE) / (decay * RATE))
            for i, x in enumerate(xs)]


def add(dst, src, at, gain):
    start = int(at * RATE)
    for i, x in enumerate(src):
        if start + i < len(dst):
            dst[start + i] += gain * x


def slide(rng):
    """Papery friction: bright band-passed noise whose loudness flutters with
    tiny grains, swelling quickly and fading over 170 ms."""
    slide_n = int(0.17 * RATE)
    slide = burst(rng, slide_n, 0.001, 10.0,
                  [Biquad("high", 1400, 0.7), Biquad("band", 4200, 0.8)])
    grains = [0.0] * slide_n
    t = 0
    while t < slide_n:  # friction grains every 2..7 ms, each dying in ~3 ms
        g = rng.uniform(0.3, 1.0)
        for i in range(t, min(slide_n, t + 400)):
            grains[i] += g * math.exp(-(i - t) / (0.003 * RATE))
        t += int(rng.uniform(0.002, 0.007) * RATE)
    for i in range(slide_n):
        x = i / slide_n  # swell in the first fifth, fade over the rest
        shape = min(1.0, x / 0.2) * (1.0 - max(0.0, x - 0.2) / 0.8) ** 1.5
        slide[i] *= shape * (0.35 + 0.65 * min(1.0, grains[i]))
    return slide


def make_rustle():
    """A card slid off the pile and laid down, in under a third of a second:
    the slide, a flick as the card's edge leaves the pile, and the landing, a
    softer and lower slap with a short settle after it."""
    rng = random.Random(1523)
    n = int(0.29 * RATE)
    out = [0.0] * n
    add(out, slide(rng), 0.004, 0.55)
    add(out, burst(rng, int(0.04 * RATE), 0.0015, 0.008, [Biquad("band", 5200, 1.2)]), 0.018, 1.0)
    landing = burst(rng, int(0.12 * RATE), 0.002, 0.022, [Biquad("band", 1800, 0.9)])
    thump = burst(rng, int(0.1 * RATE), 0.003, 0.018, [Biquad("low", 420, 0.8)])
    add(out, landing, 0.176, 1.6)
    add(out, thump, 0.176, 2.2)
    add(out, burst(rng, int(0.05 * RATE), 0.001, 0.01, [Biquad("band", 3600, 1.0)]), 0.205, 0.6)

    # Fade both edges so the device never starts or stops on a step.
    fade_in, fade_out = int(0.003 * RATE), int(0.04 * RATE)
    for i in range(fade_in):
        out[i] *= i / fade_in
    for i in range(fade_out):
        out[n - 1 - i] *= (i / fade_out) ** 2
    peak = max(abs(x) for x in out)
    gain = 10 ** (-4.5 / 20) / peak  # peak at -4.5 dBFS
    return [int(round(x * gain * 32767)) for x in out]


def write_wav(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(struct.pack("<%dh" % len(samples), *samples))
