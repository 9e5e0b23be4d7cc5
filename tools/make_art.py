#!/usr/bin/env python3
"""Draws every picture of Vimbo as SVG: the 40 card faces, the card back, the
opening picture and the window icon.

    python3 tools/make_art.py            # writes into resources/

The drawings are plain SVG 1.2 Tiny (paths, polygons, gradients; no filters, no
CSS, no text elements), which is what Qt SVG renders faithfully. Everything is
built from the few drawing functions in art/svg.py, so changing a suit sign in
art/signs.py and running the script again redraws all the cards that show it.
The output is deterministic: the same script always writes the same bytes.

The drawing code lives in tools/art/, one module per subject (its
__init__ lists them); this file only gathers the pictures and writes them.
"""

import os
import sys

from art.back_title_icon import back, icon, title
from art.faces import card_face


def pictures():
    """Every picture the game carries: file name under resources/, SVG text."""
    out = [(f"cards/card{card:02d}.svg", card_face(card)) for card in range(1, 41)]
    out += [("cards/back.svg", back()), ("title.svg", title()), ("icon.svg", icon())]
    return out


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    root = argv[1] if len(argv) > 1 else os.path.join(here, "..", "resources")
    for name, text in pictures():
        target = os.path.join(root, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
