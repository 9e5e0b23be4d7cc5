"""Notes, bars and chords in ticks: pitches from names, a bar-checked line
parser, the Song that collects notes, and the band's accompaniment."""

import random

PPQ = 480
EIGHTH = PPQ // 2
BAR = 6 * EIGHTH  # both pieces have six eighths a bar (3/4 and 6/8)

# Channels. A steel-string guitar picked in tremolo stands in for the
# mandolin, which General MIDI lacks.
MANDOLIN, ACCORDION, GUITAR, BASS, STRINGS, DRUMS = 0, 1, 2, 3, 4, 9

NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
CHORDS = {"G": "G B D", "C": "C E G", "D7": "D F# A C", "Am": "A C E", "Em": "E G B",
          "B7": "B D# F# A"}


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
        bars.append(notes)
    return bars


def chord_tones(symbol):
    name, _, bass = symbol.partition("/")
    tones = [pitch_class(t) for t in CHORDS[name].split()]
    return tones, pitch_class(bass) if bass else tones[0]


def voice(tones, low, high):
    """Every chord tone once, in the octave window [low, high]."""
    return sorted(next(p for p in range(low, high + 1) if p % 12 == t) for t in tones)


class Song:
    """Notes per channel, in ticks; turned into a format-1 file by `encode`."""

    def __init__(self, seed):
        self.notes = []  # (channel, start, length, pitch, velocity)
        self.rng = random.Random(seed)

    def note(self, ch, start, length, p, vel):
        vel = max(1, min(127, vel + self.rng.randint(-5, 5)))  # a player's hand, not a grid
        self.notes.append((ch, start, length, p, vel))

    def line(self, ch, bars, first_bar, vel, tremolo=False, shift=None):
        t = first_bar * BAR
        for bar in bars:
            for p, n in bar:
                if p is not None:
                    p = shift(p) if shift else p
                    if tremolo and n >= 3:  # a mandolin holds a note by picking it fast
                        for k in range(0, n * EIGHTH, EIGHTH // 3):
                            self.note(ch, t + k, EIGHTH // 3, p, vel - (8 if k else 0))
                    else:
                        self.note(ch, t, n * EIGHTH, p, vel)
                t += n * EIGHTH

    def pad(self, ch, chords, first_bar, vel):
        """Held chords, one note per tone for as long as the chord lasts."""
        i = 0
        while i < len(chords):
            j = i
            while j + 1 < len(chords) and chords[j + 1] == chords[i]:
                j += 1
            for p in voice(chord_tones(chords[i])[0], 55, 66):
                self.note(ch, (first_bar + i) * BAR, (j - i + 1) * BAR, p, vel)
            i = j + 1


def third_below(p):
    """The diatonic third under p in G major, for a second voice in thirds."""
    scale = [pitch_class(n) for n in "G A B C D E F#".split()]
    deg = scale.index(p % 12)
    return p - (p % 12 - scale[(deg - 2) % 7]) % 12


def accompany(song, chords, first_bar, meter):
    """Bass and guitar under a run of bars.

    3/4: the waltz's bass on one and the guitar on two and three. 6/8: bass on
    one and four, guitar on the eighths between. On a chord held over several
    bars the bass swaps root for fifth, so the line keeps moving.
    """
    prev = None
    for i, symbol in enumerate(chords):
        t = (first_bar + i) * BAR
        tones, root = chord_tones(symbol)
        low = voice([root], 40, 51)[0]
        fifth = voice([tones[2]], 40, 51)[0]
        if meter == "3/4":
            song.note(BASS, t, 2 * EIGHTH, fifth if symbol == prev else low, 84)
            hits = [2, 4]
        else:
            song.note(BASS, t, 3 * EIGHTH, low, 86)
            song.note(BASS, t + 3 * EIGHTH, 3 * EIGHTH, fifth, 78)
            hits = [1, 2, 4, 5]
        for h in hits:
            for p in voice(tones, 52, 63):
                song.note(GUITAR, t + h * EIGHTH, EIGHTH, p, 58)
        prev = symbol


def finish(song, chord, bar):
    """The final bar: everyone holds the tonic to the bar's end, so the music
    ends exactly where the file ends and the repeat follows without a gap."""
    tones, root = chord_tones(chord)
    t = bar * BAR
    song.note(BASS, t, BAR, voice([root], 40, 51)[0], 88)
    for k, p in enumerate(voice(tones, 52, 63)):
        song.note(GUITAR, t + 15 * k, BAR - 15 * k, p, 64)  # a quick strum, low to high
