""""Cinque carte", the music under the game: a café waltz in G major, our own
tunes, about four and a quarter minutes before it starts over.

  bars     section  key      tune                        around it
  1-8      intro    G        guitar alone, then the      arpeggios
                             mandolin's first notes
  9-24     A        G        A, mandolin                 waltz
  25-40    A'       G > Em   A ornamented, accordion     mandolin counter-melody, strings
  41-56    B        E minor  B, violin                   arpeggios, strings (quieter)
  57-72    A''      G > C    A ornamented otherwise,     cello counter-melody, accordion
                             mandolin                    in thirds; turns to C
  73-88    trio     C        C, accordion                walking bass
  89-104   trio'    C > Em   C ornamented, clarinet      mandolin counter-melody, strings
                                                         (the fullest)
  105-120  B'       E minor  B ornamented, cello         arpeggios (the quietest); turns to D7
  121-136  A'''     G        A ornamented, mandolin      all: accordion in thirds, violin
                             with a new cadence          counter-melody
  137-144  coda     G        A's first notes, fading     arpeggios; ends on G as the
                                                         intro begins
"""

from .band import (ACCORDION, BASS, CELLO, CLARINET, GUITAR, MANDOLIN, STRINGS, VIOLIN,
                   arpeggio, counter, octave, ornament, pad, strum_end, walking, waltz)
from .midi import encode, loop_tempo
from .score import MAJOR, HARMONIC_MINOR, Song, assert_varied, parse_line, pitch, scale_of, third_below

# Channel: (General MIDI program, volume, pan). Each was chosen by rendering
# it in the soundfont: clean, no buzzing loops, one voice a note. The held
# chords are a viola's: the soundfont's string ensemble sounds five voices a
# note and rings for two and a half seconds after it.
BAND = {MANDOLIN: (25, 124, 48), ACCORDION: (21, 104, 80), GUITAR: (24, 108, 70),
        BASS: (32, 120, 64), STRINGS: (41, 64, 56), VIOLIN: (40, 90, 40),
        CLARINET: (71, 98, 86), CELLO: (42, 92, 60)}

# Where each section begins (bar, counted from 0), for tools/sounds/listen.py.
SECTIONS = (("intro", 0), ("A", 8), ("A'", 24), ("B", 40), ("A''", 56), ("trio", 72),
            ("trio'", 88), ("B'", 104), ("A'''", 120), ("coda", 136), ("end", 144))
TEMPO = 102  # crotchets a minute

G, C, EM = scale_of("G"), scale_of("C"), scale_of("E", HARMONIC_MINOR)

INTRO = "B4:6 | D5:6 | C5:6 | D5:2 C5:2 A4:2"
INTRO_CHORDS = "G Em C D7 G Em Am D7"

A = ("B4:3 C5:1 D5:2 | G5:4 D5:2 | E5:3 F#5:1 G5:2 | B4:4 B4:1 C5:1 |"
     "E5:3 D5:1 C5:2 | A4:2 C5:2 F#5:2 | G5:3 F#5:1 E5:1 D5:1 | D5:4 B4:2 |"
     "B4:3 C5:1 D5:2 | D#5:2 F#5:2 A5:2 | G5:3 F#5:1 E5:2 | G#4:2 B4:2 D5:2 |"
     "C5:3 E5:1 A5:2 | A5:2 F#5:2 D5:2 | C5:3 B4:1 A4:2 | G4:6")
A_CHORDS = "G G Em Em C D7 G G G B7 Em E7 Am D7 D7 G"
# Where A is turned elsewhere, its last four bars are new.
A_TO_EM = "C5:3 E5:1 A5:2 | C6:2 A5:2 F#5:2 | F#5:3 E5:1 D#5:2 | B4:6"
A_TO_EM_CHORDS = "Am F#dim B7 B7"
A_TO_C = "C5:3 E5:1 A5:2 | F#5:2 A5:2 C6:2 | B5:3 A5:1 G5:1 F5:1 | D5:2 B4:2 G4:2"
A_TO_C_CHORDS = "Am D7 G7 G7"
A_LAST = "C5:3 E5:1 A5:2 | G5:2 F#5:2 E5:1 D5:1 | D5:2 C6:2 F#5:2 | G5:6"
A_LAST_CHORDS = "Am D7 D7 G"

B = ("B4:2 E5:2 G5:2 | B5:4 A5:1 G5:1 | A5:3 G5:1 F#5:1 E5:1 | E5:4 C5:2 |"
     "D#5:3 E5:1 F#5:2 | A5:4 F#5:2 | G5:3 F#5:1 E5:2 | B4:6 |"
     "C5:2 E5:2 G5:2 | G5:3 F#5:1 E5:2 | E5:2 A5:2 C6:2 | B5:4 A5:2 |"
     "G5:3 F#5:1 E5:2 | C5:2 E5:2 A5:2 | F#5:3 E5:1 D#5:2 | E5:6")
B_CHORDS = "Em Em Am Am B7 B7 Em Em C C Am Am Em Am B7 Em"
B_TO_D7 = "A5:3 G5:1 F#5:2 | D5:2 F#5:2 C6:2"
B_TO_D7_CHORDS = "D7 D7"

TRIO = ("G4:1 C5:1 E5:1 G5:1 E5:2 | G5:1 A5:1 G5:2 E5:2 | F5:1 E5:1 F5:1 A5:1 C6:2 | G5:4 E5:2 |"
        "D5:1 E5:1 F5:1 D5:1 B4:2 | G5:3 F5:1 D5:2 | E5:2 C5:2 G4:2 | C5:4 G4:2 |"
        "A4:1 C5:1 F5:1 A5:1 F5:2 | A5:2 G5:2 F5:2 | E5:1 G5:1 C6:2 G5:2 | C#5:3 E5:1 G5:2 |"
        "F5:3 E5:1 D5:2 | B4:2 D5:2 F5:2 | C5:2 E5:2 G5:2 | C5:6")
TRIO_CHORDS = "C C F C G7 G7 C C F F C A7 Dm G7 C C"
TRIO_TO_EM = "A5:3 G5:1 F#5:2 | C6:2 A5:2 F#5:2 | D#5:3 E5:1 F#5:2 | B5:6"
TRIO_TO_EM_CHORDS = "Am F#dim B7 B7"

CODA = "B4:3 C5:1 D5:2 | G5:6 | E5:3 D5:1 C5:2 | A4:6 | B4:3 A4:1 G4:2 | D5:6 | B4:6 | G4:6"
CODA_CHORDS = "G G C Am G/D D7 G G"

# The dynamic arc: (bar, velocity factor). Quiet start, fuller at the trio's
# return, the quietest at B', a last full A, and the coda fading to the intro's
# level so the start over sounds like the piece going on.
ARC = ((0, 0.72), (7, 0.8), (10, 0.84), (23, 0.86), (26, 0.92), (38, 0.92), (41, 0.82),
       (55, 0.84), (57, 0.92), (71, 0.9), (73, 0.88), (87, 0.9), (89, 0.97), (102, 0.97),
       (105, 0.76), (118, 0.78), (121, 0.96), (134, 0.98), (137, 0.84), (144, 0.7))


def tune(text, ending=None):
    """A theme's bars, with its last bars replaced by `ending`."""
    bars = parse_line(text)
    if ending:
        new = parse_line(ending)
        bars = bars[:len(bars) - len(new)] + new
    return bars


def chords(text, ending=None):
    c = text.split()
    if ending:
        e = ending.split()
        c = c[:len(c) - len(e)] + e
    return c


def make_background():
    s = Song(seed=5, arc=ARC)
    # Intro: the guitar alone, the mandolin's first long notes from bar 5.
    arpeggio(s, INTRO_CHORDS.split(), 0, 76)
    s.line(MANDOLIN, parse_line(INTRO), 4, 68, tremolo=True, tune=True)

    # A: the mandolin sings the tune over the waltz.
    waltz(s, chords(A_CHORDS), 8, 80)
    s.line(MANDOLIN, tune(A), 8, 92, tremolo=True, tune=True)

    # A': the accordion takes it, ornamented; the mandolin holds a slow
    # counter-melody above; the strings come in; it turns towards E minor.
    a2, c2 = ornament(tune(A, A_TO_EM), G, 0), chords(A_CHORDS, A_TO_EM_CHORDS)
    s.line(ACCORDION, a2, 24, 90, tune=True)
    waltz(s, c2, 24, 78)
    counter(s, MANDOLIN, c2, 24, 66, pitch("D6"), 74, 86)
    pad(s, STRINGS, c2, 24, 44)

    # B: the violin, over the guitar's arpeggios, quieter.
    arpeggio(s, chords(B_CHORDS), 40, 70)
    s.line(VIOLIN, tune(B), 40, 84, tune=True)
    pad(s, STRINGS, chords(B_CHORDS), 40, 40, 52, 64)

    # A'': the mandolin again, ornamented otherwise, the accordion a third
    # below, the cello's counter-melody; it turns to C for the trio.
    a3, c3 = ornament(tune(A, A_TO_C), G, 1), chords(A_CHORDS, A_TO_C_CHORDS)
    s.line(MANDOLIN, a3, 56, 90, tremolo=True, tune=True)
    s.line(ACCORDION, a3[:8], 64, 64, shift=third_below(G))
    waltz(s, c3, 56, 78)
    counter(s, CELLO, c3, 56, 66, pitch("B3"), 48, 60, halves=True)

    # Trio: a tune of its own in C on the accordion, the bass walking.
    walking(s, chords(TRIO_CHORDS), 72, 80)
    s.line(ACCORDION, tune(TRIO), 72, 90, tune=True)

    # Trio': the clarinet, ornamented, with the mandolin above and the
    # strings: the fullest part; it turns to E minor.
    t2, ct2 = ornament(tune(TRIO, TRIO_TO_EM), C, 2), chords(TRIO_CHORDS, TRIO_TO_EM_CHORDS)
    s.line(CLARINET, t2, 88, 90, tune=True)
    waltz(s, ct2, 88, 80)
    counter(s, MANDOLIN, ct2, 88, 64, pitch("E6"), 74, 86)
    pad(s, STRINGS, ct2, 88, 46)

    # B': the cello, an octave down, ornamented, over arpeggios: the quietest;
    # it ends on D7 and the last A follows.
    b2, cb2 = ornament(tune(B, B_TO_D7), EM, 1), chords(B_CHORDS, B_TO_D7_CHORDS)
    s.line(CELLO, octave(b2, -12), 104, 80, tune=True)
    arpeggio(s, cb2, 104, 66)
    counter(s, VIOLIN, cb2, 104, 56, pitch("B5"), 71, 83)

    # A''': everyone, the accordion a third under the mandolin, the violin's
    # counter-melody, and a new cadence ending high.
    a4, c4 = ornament(tune(A, A_LAST), G, 2), chords(A_CHORDS, A_LAST_CHORDS)
    s.line(MANDOLIN, a4, 120, 92, tremolo=True, tune=True)
    s.line(ACCORDION, a4, 120, 66, shift=third_below(G))
    waltz(s, c4, 120, 80)
    counter(s, VIOLIN, c4, 120, 60, pitch("D5"), 62, 74, halves=True)
    pad(s, STRINGS, c4, 120, 42)

    # Coda: A's first notes, slower to come, over arpeggios; a last G.
    cc = chords(CODA_CHORDS)
    s.line(MANDOLIN, parse_line(CODA), 136, 80, tremolo=True, tune=True)
    arpeggio(s, cc[:-1], 136, 66)
    pad(s, STRINGS, cc, 136, 38)
    strum_end(s, "G", 143, 58)

    assert_varied(s)
    return encode(s, loop_tempo(TEMPO, 3 * 144), (3, 4), BAND, "Cinque carte")
