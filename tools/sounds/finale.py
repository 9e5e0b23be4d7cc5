"""The finale: the band's fanfare for a won game, then a tarantella in G, 6/8,
that the game goes on playing after the win, so it comes round again and again.

  bars   section   key       tune                           around it
  1-4    fanfare   G         mandolin run, the band's       tutti chords, tambourine roll
                             call, a held G
  5-20   A         G         A, mandolin                    tambourine, 6/8 accompaniment
  21-36  B         Em > G    B, accordion                   mandolin counter-melody, strings
  37-44  A'        G         A's first half ornamented,     accordion in thirds, strings
                             mandolin                       an octave up
  45-48  close     G         a run down and up, a held G    tutti; the fanfare follows
"""

from .band import (ACCORDION, BASS, DRUMS, GUITAR, MANDOLIN, STRINGS, counter, jig, ornament,
                   pad, strum_end)
from .midi import encode, loop_tempo
from .score import BAR, EIGHTH, Song, assert_varied, chord_tones, parse_line, pitch, scale_of, \
    third_below, voice

BAND = {MANDOLIN: (25, 116, 48), ACCORDION: (21, 96, 80), GUITAR: (24, 100, 70),
        BASS: (32, 112, 64), STRINGS: (41, 70, 56), DRUMS: (0, 84, 64)}
TAMBOURINE = 54
SECTIONS = (("fanfare", 0), ("A", 4), ("B", 20), ("A'", 36), ("close", 44), ("end", 48))
TEMPO = 174  # crotchets a minute: 116 dotted crotchets
G = scale_of("G")

FANFARE = "D4:1 G4:1 B4:1 D5:1 G5:1 B5:1 | D6:1 D6:1 D6:1 B5:3 | C6:1 B5:1 A5:1 F#5:3 | G5:4 r:2"
FANFARE_CHORDS = "G G D7 G"
FANFARE_HITS = [(1, 0, 1), (1, 1, 1), (1, 2, 1), (1, 3, 3), (2, 0, 1), (2, 1, 1), (2, 2, 1),
                (2, 3, 3), (3, 0, 4)]  # (bar, eighth, eighths) of the band's chords

A = ("B4:1 C5:1 D5:1 G5:2 D5:1 | G5:1 F#5:1 E5:1 D5:3 | A4:1 B4:1 C5:1 F#5:2 C5:1 |"
     "D5:1 C5:1 B4:1 G4:3 | E5:1 F#5:1 G5:1 C6:2 G5:1 | B5:2 G5:1 D5:3 |"
     "C5:1 E5:1 A5:1 G5:1 E5:1 C5:1 | D5:3 F#5:3 |"
     "B4:1 C5:1 D5:1 G5:2 D5:1 | G5:1 F#5:1 E5:1 D5:3 | C5:1 E5:1 G5:1 C6:2 B5:1 |"
     "B5:1 A5:1 G5:1 D5:3 | C5:1 E5:1 A5:1 G5:2 E5:1 | D5:1 G5:1 B5:1 G5:2 D5:1 |"
     "C5:1 D5:1 F#5:1 A5:2 F#5:1 | G5:6")
A_CHORDS = "G G D7 G C G Am D7 G G C G Am G D7 G"

B = ("E5:2 F#5:1 G5:2 E5:1 | B5:3 G5:3 | A5:2 G5:1 F#5:2 D#5:1 | F#5:3 B4:3 |"
     "E5:2 F#5:1 G5:2 A5:1 | B5:2 C6:1 B5:2 G5:1 | A5:1 G5:1 F#5:1 E5:2 C5:1 | D#5:3 B4:3 |"
     "C5:1 E5:1 G5:1 C6:2 G5:1 | E5:2 D5:1 C5:3 | B4:1 D5:1 G5:1 B5:2 G5:1 | D5:3 B4:3 |"
     "C5:2 E5:1 A5:2 G5:1 | F#5:2 E5:1 D5:2 C5:1 | B4:2 D5:1 G5:2 B5:1 | A5:3 F#5:3")
B_CHORDS = "Em Em B7 B7 Em Em Am B7 C C G G Am D7 G D7"

A_CLOSE = "G5:1 D5:1 B4:1 G4:3 | C5:1 E5:1 G5:1 C6:3 | D5:1 F#5:1 A5:1 C6:1 B5:1 A5:1 | G5:6"
CLOSE_CHORDS = "G C D7 G"

ARC = ((0, 1.0), (4, 0.9), (20, 0.92), (21, 0.86), (36, 0.88), (37, 0.94), (48, 1.0))


def fanfare(s):
    """The band's call: the mandolin runs up and calls; accordion, guitar,
    strings and bass strike its chords with it; the tambourine rolls."""
    s.line(MANDOLIN, parse_line(FANFARE), 0, 100, tremolo=True, tune=True)
    chords = FANFARE_CHORDS.split()
    for bar, at, n in FANFARE_HITS:
        t, tones = bar * BAR + at * EIGHTH, chord_tones(chords[bar])[0]
        for p in voice(tones, 60, 71):
            s.note(ACCORDION, t, n * EIGHTH, p, 76)
        for p in voice(tones, 52, 63):
            s.note(GUITAR, t, n * EIGHTH, p, 62)
        s.note(BASS, t, n * EIGHTH, voice([chord_tones(chords[bar])[1]], 40, 51)[0], 86)
    pad(s, STRINGS, chords[:1] * 3, 0, 50)
    for k in range(0, BAR, EIGHTH // 2):  # the roll, growing into the call
        s.note(DRUMS, k, EIGHTH // 2, TAMBOURINE, 40 + k * 40 // BAR)


def tambourine(s, first_bar, bars):
    """One and four, and a lighter shake before four and before the next one
    (its jingles ring for a second, so every eighth would pile up voices)."""
    for bar in range(first_bar, first_bar + bars):
        for at, vel in ((0, 80), (2, 44), (3, 70), (5, 44)):
            s.note(DRUMS, bar * BAR + at * EIGHTH, EIGHTH, TAMBOURINE, vel)


def make_finale():
    s = Song(seed=7, arc=ARC)
    fanfare(s)

    # A: the tarantella on the mandolin.
    a = parse_line(A)
    s.line(MANDOLIN, a, 4, 96, tremolo=True, tune=True)
    jig(s, A_CHORDS.split(), 4, 82)
    tambourine(s, 4, 16)

    # B: the accordion in E minor, the mandolin holding a slow line above.
    s.line(ACCORDION, parse_line(B), 20, 92, tune=True)
    jig(s, B_CHORDS.split(), 20, 78)
    counter(s, MANDOLIN, B_CHORDS.split(), 20, 62, pitch("G5"), 71, 83)
    pad(s, STRINGS, B_CHORDS.split(), 20, 44)
    tambourine(s, 20, 16)

    # A': the first half again, ornamented, with the accordion a third
    # under it and the strings an octave up; then the close.
    a2 = ornament(a[:8], G, 1) + parse_line(A_CLOSE)
    s.line(MANDOLIN, a2, 36, 96, tremolo=True, tune=True)
    s.line(ACCORDION, a2[:11], 36, 68, shift=third_below(G))
    s.line(STRINGS, a2[4:11], 40, 56, shift=lambda p: p + 12)
    jig(s, A_CHORDS.split()[:8] + CLOSE_CHORDS.split()[:3], 36, 82)
    tambourine(s, 36, 11)
    strum_end(s, "G", 47, 62)
    s.note(DRUMS, 47 * BAR, BAR, TAMBOURINE, 90)

    assert_varied(s)
    return encode(s, loop_tempo(TEMPO, 3 * 48), (6, 8), BAND, "Finale")
