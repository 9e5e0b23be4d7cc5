"""Notes, bars and chords in ticks: pitches from names, a bar-checked line
parser, chords of any root and kind, scales for keys, and the Song that
collects notes under the piece's dynamic arc."""

import random

PPQ = 480
EIGHTH = PPQ // 2
BAR = 6 * EIGHTH  # both pieces have six eighths a bar (3/4 and 6/8)

NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
KINDS = {"": (0, 4, 7), "m": (0, 3, 7), "7": (0, 4, 7, 10), "m7": (0, 3, 7, 10),
         "maj7": (0, 4, 7, 11), "6": (0, 4, 7, 9), "m6": (0, 3, 7, 9), "dim": (0, 3, 6),
         "dim7": (0, 3, 6, 9)}
MAJOR, HARMONIC_MINOR = (0, 2, 4, 5, 7, 9, 11), (0, 2, 3, 5, 7, 8, 11)


def pitch_class(name):
    return (NAMES[name[0]] + name[1:].count("#") - name[1:].count("b")) % 12


def pitch(note):
    """'F#5' -> 78 (middle C is C4 = 60)."""
    return 12 * (int(note[-1]) + 1) + NAMES[note[0]] + note.count("#") - note[1:].count("b")


def parse_line(text):
    """'D5:3 E5:1 | G4:6' -> bars of (pitch or None, eighths); each bar must fill six eighths."""
    bars = []
    for bar in text.split("|"):
        notes = []
        for tok in bar.split():
            name, length = tok.split(":")
            notes.append((None if name == "r" else pitch(name), int(length)))
        assert sum(n[1] for n in notes) == 6, "bar %d of %r does not add up" % (len(bars) + 1, text[:30])
        bars.append(tuple(notes))
    return bars


def chord_tones(symbol):
    """'D7' -> pitch classes (root first) and the bass; 'G/D' puts D in the bass."""
    name, _, bass = symbol.partition("/")
    n = 2 if len(name) > 1 and name[1] in "#b" else 1
    root = pitch_class(name[:n])
    tones = [(root + k) % 12 for k in KINDS[name[n:]]]
    return tones, pitch_class(bass) if bass else root


def voice(tones, low, high):
    """Every chord tone once, in the octave window [low, high]."""
    return sorted(next(p for p in range(low, high + 1) if p % 12 == t) for t in tones)


def nearest(tones, target, low, high):
    """The chord tone nearest to `target` within [low, high]."""
    return min((p for p in range(low, high + 1) if p % 12 in tones), key=lambda p: abs(p - target))


def scale_of(tonic, mode=MAJOR):
    return [(pitch_class(tonic) + k) % 12 for k in mode]


def third_below(scale):
    """A second voice a diatonic third under the tune, in the key of `scale`;
    a note outside the scale gets a minor third."""
    def shift(p):
        if p % 12 not in scale:
            return p - 3
        deg = scale.index(p % 12)
        return p - (p % 12 - scale[(deg - 2) % 7]) % 12
    return shift


class Song:
    """Notes per channel, in ticks, turned into a format-1 file by `encode`.

    `arc` is the dynamic arc of the whole piece: (bar, factor) points joined
    by straight lines; every velocity is scaled by the factor where its note
    begins, so a crescendo is gradual across every instrument at once.
    """

    def __init__(self, seed, arc=((0, 1.0),)):
        self.notes = []  # (channel, start, length, pitch, velocity)
        self.rng = random.Random(seed)
        self.arc = sorted(arc)
        self.tune = {}  # bar -> the tune's notes there, for `assert_varied`

    def level(self, tick):
        bar = tick / BAR
        points = self.arc
        if bar <= points[0][0]:
            return points[0][1]
        for (b0, f0), (b1, f1) in zip(points, points[1:]):
            if bar <= b1:
                return f0 + (f1 - f0) * (bar - b0) / (b1 - b0)
        return points[-1][1]

    def note(self, ch, start, length, p, vel):
        vel = vel * self.level(start) + self.rng.randint(-4, 4)  # a player's hand, not a grid
        self.notes.append((ch, start, length, p, max(1, min(127, round(vel)))))

    def line(self, ch, bars, first_bar, vel, tremolo=False, shift=None, accent=6, tune=False):
        """A line from parsed bars. The first beat of a bar is leant on a
        little; a tremolo line holds its long notes by picking them fast, as a
        mandolin does. The `tune` (the line a listener follows) is kept aside
        to check that no return of it is a copy."""
        t = first_bar * BAR
        if tune:
            for i, bar in enumerate(bars):
                self.tune[first_bar + i] = tuple((shift(p) if shift and p else p, n) for p, n in bar)
        for bar in bars:
            beat = 0
            for p, n in bar:
                if p is not None:
                    p = shift(p) if shift else p
                    v = vel + (accent if beat == 0 else 0)
                    if tremolo and n >= 3:
                        step = EIGHTH // 2
                        for k in range(0, n * EIGHTH, step):
                            self.note(ch, t + k, step, p, v - (10 if k else 0))
                    else:
                        self.note(ch, t, n * EIGHTH, p, v)
                t += n * EIGHTH
                beat += n

    def channels(self):
        return {c for c, *_ in self.notes}


def assert_varied(song, span=8):
    """No stretch of `span` bars of the tune comes back note for note (an
    octave higher or lower counts as the same notes)."""
    bars = sorted(song.tune)
    seen = {}
    for b in bars:
        if all(b + k in song.tune for k in range(span)):
            key = tuple(tuple((p % 12 if p else p, n) for p, n in song.tune[b + k])
                        for k in range(span))
            assert key not in seen, "bars %d-%d repeat bars %d-%d note for note" % (
                b + 1, b + span, seen[key] + 1, seen[key] + span)
            seen[key] = b
