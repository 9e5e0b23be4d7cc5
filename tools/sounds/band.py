"""What the band plays around a tune: the accompaniment figures of a waltz
and of a tarantella, held chords that move by the nearest step, a slow
counter-melody drawn from the harmony, and the ornaments that make a
returning tune sound new."""

from .score import BAR, EIGHTH, chord_tones, nearest, voice

# Channels. A steel-string guitar picked in tremolo stands in for the
# mandolin, which General MIDI lacks.
MANDOLIN, ACCORDION, GUITAR, BASS, STRINGS, VIOLIN, CLARINET, CELLO, DRUMS = 0, 1, 2, 3, 4, 5, 6, 7, 9


def bass_note(symbol, fifth=False):
    tones, root = chord_tones(symbol)
    return voice([tones[2] if fifth else root], 40, 51)[0]


def waltz(song, chords, first_bar, vel=80, guitar=GUITAR):
    """Bass on one, the chord on two and three. On a chord held over several
    bars the bass swaps root for fifth, so the line keeps moving."""
    prev = None
    for i, symbol in enumerate(chords):
        t = (first_bar + i) * BAR
        song.note(BASS, t, 2 * EIGHTH, bass_note(symbol, symbol == prev), vel + 4)
        for h in (2, 4):
            for p in voice(chord_tones(symbol)[0], 52, 63):
                song.note(guitar, t + h * EIGHTH, EIGHTH, p, vel - 24 - (4 if h == 4 else 0))
        prev = symbol


def arpeggio(song, chords, first_bar, vel=70):
    """The guitar alone breaks each chord into eighths, low to high and back,
    with the bass only on the downbeat: the quiet accompaniment."""
    for i, symbol in enumerate(chords):
        t = (first_bar + i) * BAR
        tones, root = chord_tones(symbol)
        low = voice([root], 43, 54)[0]
        upper = voice(tones, low + 1, low + 12)
        figure = [low] + upper[:3] + [upper[-1], upper[1]]
        for k, p in enumerate(figure[:6]):
            song.note(GUITAR, t + k * EIGHTH, 2 * EIGHTH, p, vel - (0 if k == 0 else 8))
        song.note(BASS, t, 4 * EIGHTH, bass_note(symbol), vel)


def walking(song, chords, first_bar, vel=80):
    """The trio's bass: the root on one and a step towards the next root on
    three, the guitar on two only; lighter on its feet than the waltz."""
    for i, symbol in enumerate(chords):
        t = (first_bar + i) * BAR
        root = bass_note(symbol)
        nxt = bass_note(chords[i + 1]) if i + 1 < len(chords) else root
        approach = nxt + (1 if nxt < root else -1) if nxt != root else root + 7
        song.note(BASS, t, 3 * EIGHTH, root, vel + 4)
        song.note(BASS, t + 4 * EIGHTH, 2 * EIGHTH, approach, vel - 6)
        for p in voice(chord_tones(symbol)[0], 52, 63):
            song.note(GUITAR, t + 2 * EIGHTH, 2 * EIGHTH, p, vel - 26)


def jig(song, chords, first_bar, vel=82):
    """6/8: bass on one and four, the guitar's chord after each (the
    tambourine fills the other eighths; a nylon string rings for more than
    half a second, so a chord on every eighth would pile up voices)."""
    for i, symbol in enumerate(chords):
        t = (first_bar + i) * BAR
        song.note(BASS, t, 3 * EIGHTH, bass_note(symbol), vel + 4)
        song.note(BASS, t + 3 * EIGHTH, 3 * EIGHTH, bass_note(symbol, True), vel - 4)
        for h in (1, 4):
            for p in voice(chord_tones(symbol)[0], 52, 63):
                song.note(GUITAR, t + h * EIGHTH, 2 * EIGHTH, p, vel - 22)


def pad(song, ch, chords, first_bar, vel, low=55, high=67):
    """Held chords, each voice moving to the nearest tone of the next chord."""
    prev = voice(chord_tones(chords[0])[0][:3], low, high)
    i = 0
    while i < len(chords):
        j = i
        while j + 1 < len(chords) and chords[j + 1] == chords[i]:
            j += 1
        tones = chord_tones(chords[i])[0]
        notes = sorted({nearest(tones, p, low, high) for p in prev})
        for p in notes:
            song.note(ch, (first_bar + i) * BAR, (j - i + 1) * BAR, p, vel)
        prev, i = notes, j + 1


def counter(song, ch, chords, first_bar, vel, start, low, high, halves=False):
    """A slow second tune from the harmony: one note a bar (or a half note and
    a crotchet), each the chord tone nearest the last, so it moves by steps
    and small leaps against the tune."""
    p = start
    for i, symbol in enumerate(chords):
        t = (first_bar + i) * BAR
        tones = chord_tones(symbol)[0]
        p = nearest([x for x in tones if x != p % 12] or tones, p, low, high)
        if halves:
            song.note(ch, t, 4 * EIGHTH, p, vel)
            q = nearest(tones, p + (2 if i % 2 else -2), low, high)
            song.note(ch, t + 4 * EIGHTH, 2 * EIGHTH, q, vel - 6)
            p = q
        else:
            song.note(ch, t, BAR, p, vel)


def strum_end(song, symbol, bar, vel=64, ch=GUITAR):
    """A last bar: bass and a quick strum, low to high, held to the bar's end,
    so the music ends exactly where the file ends."""
    t = bar * BAR
    song.note(BASS, t, BAR, bass_note(symbol), vel + 20)
    for k, p in enumerate(voice(chord_tones(symbol)[0], 52, 63)):
        song.note(ch, t + 15 * k, BAR - 15 * k, p, vel)


# ---------------------------------------------------------------- ornaments

def step(p, scale, up=True):
    """The next note of the scale above (or below) p."""
    q = p + (1 if up else -1)
    while q % 12 not in scale:
        q += 1 if up else -1
    return q


def ornament(bars, scale, seed=0):
    """The tune decorated as a player would on a repeat: a long note gets a
    turn through its upper neighbour, a leap of a third is filled with the
    note between, a note that repeats gets a lower neighbour. Which ornament a
    bar gets rotates with `seed`, so two ornamented returns differ too."""
    out = []
    for i, bar in enumerate(bars):
        kind = (i + seed) % 3
        new, notes = [], list(bar)
        for k, (p, n) in enumerate(notes):
            nxt = notes[k + 1][0] if k + 1 < len(notes) else None
            if p is None:
                new.append((p, n))
            elif kind == 0 and n >= 3:
                new += [(p, 1), (step(p, scale), 1), (p, n - 2)]
                kind = -1
            elif kind == 1 and n >= 2 and nxt and 3 <= abs(nxt - p) <= 4:
                new += [(p, n - 1), (step(p, scale, nxt > p), 1)]
                kind = -1
            elif kind == 2 and n >= 2:
                new += [(p, n - 1), (step(p, scale, False), 1)]
                kind = -1
            else:
                new.append((p, n))
        if kind != -1 and new[-1][0] is not None and new[-1][1] >= 2:  # nothing fitted
            p, n = new.pop()
            new += [(p, n - 1), (step(p, scale), 1)]
        out.append(tuple(new))
    return out


def octave(bars, shift):
    return [tuple((None if p is None else p + shift, n) for p, n in bar) for bar in bars]
