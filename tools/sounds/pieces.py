"""The two pieces: "Cinque carte", the music under the game, and the finale."""

from .midi import encode
from .score import (ACCORDION, BAR, BASS, DRUMS, EIGHTH, GUITAR, MANDOLIN, STRINGS, Song,
                    accompany, chord_tones, finish, parse_line, pitch, third_below, voice)

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
