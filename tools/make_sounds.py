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

The code lives in tools/sounds/, one module per subject (its __init__ lists
them); this file only writes the three files and checks them.
"""

import os
import sys
import wave

from sounds.midi import check_midi
from sounds.finale import make_finale
from sounds.pieces import make_background
from sounds.rustle import RATE, make_rustle, write_wav

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "resources")


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
