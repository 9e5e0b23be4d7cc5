#!/usr/bin/env python3
"""Makes the game's three sound files: the card rustle and the two MIDI pieces.

    python3 tools/make_sounds.py            write resources/carta.wav and
                                            resources/Music/{5carte,finale}.mid
    python3 tools/make_sounds.py --check    only check the files already there

Standard library only and fully deterministic (fixed seeds), so running it
again gives the same bytes. Every MIDI file is read back by a small checker of
our own before we call it done: the music device loops a piece by rewinding it
when its position reaches its length, so a stray silent tail or a hanging note
would be heard at every repeat.
"""

import math
import os
import random
import struct
import sys
import wave

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "resources")

# ---------------------------------------------------------------- the rustle

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


# ---------------------------------------------------------------- MIDI files

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


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


def encode(song, tempo_us, time_sig, programs, name):
    """A format-1 file: a conductor track, then one track per channel.

    Program changes, volume and pan sit at tick 0; note-offs are written as
    note-on with velocity 0 under running status; every track puts its
    end-of-track at the tick where the last note of the piece stops.
    """
    end = max(s + n for _, s, n, _, _ in song.notes)
    num, den = time_sig
    conductor = [(0, 0, b"\xff\x03" + vlq(len(name)) + name.encode()),
                 (0, 0, bytes([0xFF, 0x51, 3]) + tempo_us.to_bytes(3, "big")),
                 (0, 0, bytes([0xFF, 0x58, 4, num, int(math.log2(den)), 24, 8]))]
    tracks = [conductor]
    for ch, (program, volume, pan) in sorted(programs.items()):
        ev = [(0, 0, bytes([0xB0 | ch, 7, volume])), (0, 0, bytes([0xB0 | ch, 10, pan])),
              (0, 0, bytes([0xB0 | ch, 91, 40]))]
        if ch != 9:
            ev.append((0, 0, bytes([0xC0 | ch, program])))
        for c, s, n, p, v in song.notes:
            if c == ch:
                ev.append((s, 2, bytes([0x90 | ch, p, v])))
                ev.append((s + n, 1, bytes([0x90 | ch, p, 0])))  # offs first at a tick
        tracks.append(ev)
    data = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    for ev in tracks:
        ev.sort(key=lambda e: (e[0], e[1]))
        body, now, status = bytearray(), 0, None
        for t, _, msg in ev:
            body += vlq(t - now)
            now = t
            if msg[0] < 0xF0 and msg[0] == status:
                body += msg[1:]
            else:
                body += msg
                status = msg[0] if msg[0] < 0xF0 else None
        body += vlq(end - now) + b"\xff\x2f\x00"
        data += b"MTrk" + struct.pack(">I", len(body)) + body
    return data


# ------------------------------------------------------------ the checker

def read_vlq(d, i):
    n = 0
    while True:
        n = (n << 7) | (d[i] & 0x7F)
        i += 1
        if not d[i - 1] & 0x80:
            return n, i


def read_track(data, j, stop):
    """The events of one track chunk as (tick, status, a, b); metas as (tick, 0xFF, type, body).
    Running status is resolved; the chunk must end exactly with end-of-track."""
    t, status, events = 0, None, []
    while j < stop:
        assert not events or events[-1][1:3] != (0xFF, 0x2F), "events after end-of-track"
        dt, j = read_vlq(data, j)
        t += dt
        if data[j] == 0xFF:
            n, body = read_vlq(data, j + 2)
            events.append((t, 0xFF, data[j + 1], data[body:body + n]))
            j = body + n
            continue
        assert data[j] not in (0xF0, 0xF7), "no sysex expected"
        if data[j] & 0x80:
            status, j = data[j], j + 1
        assert status is not None, "running status with no status"
        size = 1 if status & 0xF0 in (0xC0, 0xD0) else 2
        a, b = data[j], data[j + size - 1]
        assert a < 0x80 and b < 0x80, "data byte out of range"
        events.append((t, status, a, b))
        j += size
    assert j == stop and events and events[-1][1:] == (0xFF, 0x2F, b""), "track end wrong"
    return events


def check_midi(data):
    """Reads a MIDI file back and returns its length in seconds; raises on anything
    a looping sequencer could trip on: bad chunks, a missing tempo or program
    change at the start, a note never released, silence at either end."""
    assert data[:4] == b"MThd", "no header"
    hlen, fmt, ntracks, ppq = struct.unpack(">IHHH", data[4:14])
    assert (hlen, fmt) == (6, 1) and ppq & 0x8000 == 0, "not a format-1 file with ticks"
    i, events = 14, []
    for _ in range(ntracks):
        assert data[i:i + 4] == b"MTrk", "track chunk expected at %d" % i
        stop = i + 8 + struct.unpack(">I", data[i + 4:i + 8])[0]
        assert stop <= len(data), "track runs past the file"
        events += read_track(data, i + 8, stop)
        i = stop
    assert i == len(data), "bytes after the last track"
    tempos = [(t, int.from_bytes(b, "big")) for t, s, k, b in events if s == 0xFF and k == 0x51]
    assert len(tempos) == 1 and tempos[0][0] == 0, "one tempo, at the start"
    programs = {s & 0x0F: t for t, s, _, _ in events if s & 0xF0 == 0xC0}
    sounding, ons, offs = {}, [], []
    for t, s, k, v in events:  # in file order: a track's note-off precedes a new note-on
        if s & 0xF0 in (0x80, 0x90):
            on = s & 0xF0 == 0x90 and v > 0
            (ons if on else offs).append(t)
            sounding[s & 0x0F, k] = sounding.get((s & 0x0F, k), 0) + (1 if on else -1)
            assert sounding[s & 0x0F, k] >= 0, "note-off without note-on"
            assert not on or programs.get(s & 0x0F) == 0 or s & 0x0F == 9, "no program at start"
    assert not any(sounding.values()), "a note is never released"
    last_off = max(offs)
    assert min(ons) == 0, "silence before the music"
    assert max(e[0] for e in events) == last_off, "silence after the music"
    return last_off / ppq * tempos[0][1] / 1e6


# ------------------------------------------------------------- the pieces

# Channel: (General MIDI program, volume, pan).
BAND = {MANDOLIN: (25, 120, 48), ACCORDION: (21, 100, 80), GUITAR: (24, 104, 70),
        BASS: (32, 116, 64), STRINGS: (48, 84, 56)}

# "Cinque carte", a serenade in G major in 3/4, our own tune. Four bars of
# mandolin arpeggios, then a sixteen-bar song (asks on the dominant at bar 8,
# answers home at bar 16), the song again with strings, a minor middle in E
# minor for the accordion that turns back through D7, and the song a last
# time in thirds. It ends on a full bar of G and the intro starts on G again.
INTRO = ("G4:1 B4:1 D5:1 G5:1 D5:1 B4:1 | G4:1 B4:1 D5:1 G5:1 D5:1 B4:1 |"
         "F#4:1 A4:1 C5:1 D5:1 C5:1 A4:1 | F#4:1 A4:1 C5:1 A4:1 B4:1 C5:1")
INTRO_CHORDS = "G G D7 D7"
SONG = ("D5:3 E5:1 D5:2 | B4:4 D5:2 | C5:3 D5:1 C5:2 | B4:4 G4:2 |"
        "E5:3 F#5:1 E5:2 | D5:4 B4:2 | C5:2 B4:2 A4:2 | A4:3 B4:1 C5:2 |"
        "D5:3 E5:1 D5:2 | B4:4 D5:2 | G5:3 F#5:1 E5:2 | D5:4 B4:2 |"
        "A4:2 C5:2 E5:2 | D5:3 B4:1 G4:2 | A4:2 C5:2 F#4:2 | G4:6")
SONG_CHORDS = "G G D7 G C G Am D7 G G C G Am G/D D7 G"
MINOR = ("B4:2 E5:2 G5:2 | G5:1 F#5:1 E5:1 D#5:1 E5:2 | F#5:3 E5:1 D#5:2 | E5:4 B4:2 |"
         "A4:2 C5:2 E5:2 | G5:1 F#5:1 E5:2 B4:2 | C5:2 E5:2 A5:2 | F#5:4 D#5:2 |"
         "E5:2 G5:2 B5:2 | B5:1 A5:1 G5:2 E5:2 | C6:3 B5:1 A5:2 | G5:2 E5:2 B4:2 |"
         "E5:3 D5:1 C5:2 | B4:2 D#5:2 F#5:2 | E5:6 | F#4:2 A4:2 C5:2")
MINOR_CHORDS = "Em Em B7 Em Am Em Am B7 Em Em Am Em C B7 Em D7"


def make_background():
    s = Song(seed=5)
    intro, song, minor = parse_line(INTRO), parse_line(SONG), parse_line(MINOR)
    chords = (INTRO_CHORDS + " " + " ".join([SONG_CHORDS] * 2) + " " + MINOR_CHORDS + " "
              + SONG_CHORDS).split()
    s.line(MANDOLIN, intro, 0, 72)
    s.line(MANDOLIN, song, 4, 96, tremolo=True)
    s.line(MANDOLIN, song, 20, 92, tremolo=True)
    s.pad(STRINGS, chords[20:36], 20, 50)
    s.line(ACCORDION, minor, 36, 96)
    s.pad(STRINGS, chords[36:52], 36, 54)
    s.line(MANDOLIN, song, 52, 98, tremolo=True)
    s.line(ACCORDION, song, 52, 70, shift=third_below)
    s.pad(STRINGS, chords[52:67], 52, 56)
    accompany(s, chords[:-1], 0, "3/4")
    finish(s, chords[-1], len(chords) - 1)
    for p in voice(chord_tones("G")[0], 55, 66):
        s.note(STRINGS, 67 * BAR, BAR, p, 56)
    return encode(s, 555556, (3, 4), BAND, "Cinque carte")  # 108 crotchets a minute


# The finale: a tarantella in G, 6/8, quick and bright. Two bars of band and
# tambourine, sixteen bars of tune (the second eight doubled an octave up on
# the glockenspiel), ending on a held high G.
TARANTELLA = ("B4:1 C5:1 D5:1 G5:2 D5:1 | G5:1 F#5:1 E5:1 D5:3 | A4:1 B4:1 C5:1 F#5:2 C5:1 |"
              "D5:1 C5:1 B4:1 G4:3 | E5:1 F#5:1 G5:1 C6:2 G5:1 | B5:2 G5:1 D5:3 |"
              "C5:1 E5:1 A5:1 G5:1 E5:1 C5:1 | D5:3 F#5:3 |"
              "B4:1 C5:1 D5:1 G5:2 D5:1 | G5:1 F#5:1 E5:1 D5:3 | C5:1 E5:1 G5:1 C6:2 B5:1 |"
              "B5:1 A5:1 G5:1 D5:3 | C5:1 E5:1 A5:1 G5:2 E5:1 | D5:1 G5:1 B5:1 G5:2 D5:1 |"
              "C5:1 D5:1 F#5:1 A5:2 F#5:1 | G5:6")
TARANTELLA_CHORDS = "G G  G G D7 G C G Am D7  G G C G Am G D7 G"
GLOCKENSPIEL = 9


def make_finale():
    s = Song(seed=7)
    tune = parse_line(TARANTELLA)
    chords = TARANTELLA_CHORDS.split()
    s.line(MANDOLIN, tune, 2, 100, tremolo=True)
    s.line(ACCORDION, tune[:15], 2, 72, shift=third_below)
    s.line(STRINGS, tune[8:], 10, 70, shift=lambda p: p + 12)
    accompany(s, chords[:-1], 0, "6/8")
    finish(s, chords[-1], len(chords) - 1)
    s.note(ACCORDION, 17 * BAR, BAR, pitch("D5"), 74)
    for t in range(0, 17 * BAR, EIGHTH):  # tambourine: every eighth, one and four louder
        s.note(DRUMS, t, EIGHTH, 54, 84 if t % (3 * EIGHTH) == 0 else 50)
    s.note(DRUMS, 17 * BAR, BAR, 54, 96)
    band = {**BAND, STRINGS: (GLOCKENSPIEL, 84, 72), DRUMS: (0, 90, 64)}
    return encode(s, 60_000_000 // 174, (6, 8), band, "Finale")  # 116 dotted crotchets


def main():
    paths = {"carta.wav": os.path.join(RES, "carta.wav"),
             "5carte.mid": os.path.join(RES, "Music", "5carte.mid"),
             "finale.mid": os.path.join(RES, "Music", "finale.mid")}
    if "--check" not in sys.argv:
        os.makedirs(os.path.join(RES, "Music"), exist_ok=True)
        write_wav(paths["carta.wav"], make_rustle())
        for name, make in (("5carte.mid", make_background), ("finale.mid", make_finale)):
            with open(paths[name], "wb") as f:
                f.write(make())
    for name in ("5carte.mid", "finale.mid"):
        with open(paths[name], "rb") as f:
            print("%s: %.1f s" % (name, check_midi(f.read())))
    with wave.open(paths["carta.wav"]) as w:
        assert (w.getnchannels(), w.getsampwidth(), w.getframerate()) == (1, 2, RATE)
        print("carta.wav: %.3f s" % (w.getnframes() / RATE))


if __name__ == "__main__":
    main()
