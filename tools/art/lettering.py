"""Lettering: our own stroke alphabet, so no picture depends on a font."""

from .svg import arc, group, rotate_pts, stroke_line

# Digits for the corner indices, drawn in a box 5 wide and 9 tall (y down).


def _digit_strokes(d):
    if d == "1":
        return [[(0.9, 2.0), (3.0, 0.2), (3.0, 9.0)]]
    if d == "2":
        return [arc(2.5, 2.5, 2.2, 2.2, 190, 385) + [(0.3, 9.0), (5.0, 9.0)]]
    if d == "3":
        return [arc(2.4, 2.3, 2.1, 2.1, 200, 450) + arc(2.4, 6.6, 2.4, 2.3, 270, 520)]
    if d == "4":
        return [[(3.7, 9.0), (3.7, 0.2), (0.2, 6.5), (5.0, 6.5)]]
    if d == "5":
        return [[(4.6, 0.4), (1.0, 0.4), (0.6, 4.2)] + arc(2.5, 6.2, 2.4, 2.7, 220, 510)]
    if d == "6":
        return [arc(2.5, 6.6, 2.4, 2.4, 0, 360, 36),
                arc(4.7, 6.6, 4.4, 6.2, 180, 258)]
    if d == "7":
        return [[(0.3, 0.5), (4.9, 0.5), (1.8, 9.0)]]
    if d == "8":
        return [arc(2.5, 2.3, 1.9, 2.0, 0, 360, 36), arc(2.5, 6.7, 2.3, 2.3, 0, 360, 36)]
    if d == "9":
        return [rotate_pts(s, 180, 2.5, 4.5) for s in _digit_strokes("6")]
    if d == "0":
        return [arc(2.5, 4.5, 2.3, 4.3, 0, 360, 40)]
    raise ValueError(d)


def numeral(text, colour, width=1.7):
    """The rank as it stands in a corner: digits 9 px tall from (0, 0) down."""
    out, x = [], 0.0
    for d in text:
        narrow = d == "1" and len(text) > 1
        shift = x - (0.9 if narrow else 0.0)
        for s in _digit_strokes(d):
            out.append(stroke_line([(px + shift, py) for px, py in s], colour, width))
        x += 3.4 if narrow else 5.8
    if text in ("6", "9"):  # underlined, so a turned 9 is never read as a 6
        out.append(stroke_line([(0.4, 11.0), (4.6, 11.0)], colour, width * 0.8))
    return group(out)


# A stroke alphabet with x-height 5 and ascenders 7.5 (baseline at y = 0, up is
# negative): just the letters our titles use. Each glyph: advance, strokes.

def _glyph(ch):
    o = arc(2.3, -2.5, 2.3, 2.5, 0, 360, 40)
    arch = arc(2.2, -2.9, 2.2, 2.1, 180, 360)
    table = {
        "o": (4.6, [o]),
        "a": (4.6, [o, [(4.6, -5.0), (4.6, 0.0)]]),
        "b": (4.6, [o, [(0.0, -7.5), (0.0, 0.0)]]),
        "d": (4.6, [o, [(4.6, -7.5), (4.6, 0.0)]]),
        "c": (4.4, [arc(2.4, -2.5, 2.4, 2.5, 320, 40)]),
        "e": (4.6, [[(0.1, -2.6), (4.6, -2.6)] + arc(2.3, -2.5, 2.3, 2.5, 358, 42)]),
        "n": (4.4, [[(0.0, -5.0), (0.0, 0.0)], [(0.0, -2.9)] + arch + [(4.4, 0.0)]]),
        "h": (4.4, [[(0.0, -7.5), (0.0, 0.0)], [(0.0, -2.9)] + arch + [(4.4, 0.0)]]),
        "m": (6.8, [[(0.0, -5.0), (0.0, 0.0)],
                    [(0.0, -3.1)] + arc(1.7, -3.1, 1.7, 1.9, 180, 360) + [(3.4, 0.0)],
                    [(3.4, -3.1)] + arc(5.1, -3.1, 1.7, 1.9, 180, 360) + [(6.8, 0.0)]]),
        "i": (0.0, [[(0.0, -5.0), (0.0, 0.0)], [(0.0, -7.15), (0.0, -6.95)]]),
        "l": (0.8, [[(0.0, -7.5), (0.0, -1.0)] + arc(1.0, -1.0, 1.0, 1.0, 180, 90)]),
        "t": (2.8, [[(0.9, -6.8), (0.9, -1.0)] + arc(2.0, -1.0, 1.1, 1.0, 180, 90),
                    [(-0.2, -5.0), (2.8, -5.0)]]),
        "r": (3.2, [[(0.0, -5.0), (0.0, 0.0)], [(0.0, -2.6)] + arc(2.6, -2.4, 2.6, 2.4, 180, 285)]),
        "s": (4.0, [arc(2.0, -3.8, 1.9, 1.2, 330, 90) + arc(2.0, -1.3, 2.0, 1.3, 270, 510)]),
        "w": (6.0, [[(0.0, -5.0), (1.4, 0.0), (3.0, -4.0), (4.6, 0.0), (6.0, -5.0)]]),
        "k": (3.8, [[(0.0, -7.5), (0.0, 0.0)], [(3.6, -5.0), (0.0, -1.9)], [(1.3, -2.9), (3.8, 0.0)]]),
        "I": (0.0, [[(0.0, -7.0), (0.0, 0.0)]]),
        "B": (4.6, [[(0.0, 0.0), (0.0, -7.0), (2.3, -7.0)] + arc(2.3, -5.3, 1.9, 1.7, 270, 450)
                    + [(0.0, -3.6), (2.5, -3.6)] + arc(2.5, -1.8, 2.1, 1.8, 270, 450) + [(0.0, 0.0)]]),
        "S": (4.8, [arc(2.4, -5.25, 2.3, 1.75, 330, 90) + arc(2.4, -1.75, 2.4, 1.75, 270, 510)]),
        "V": (6.2, [[(0.0, -7.0), (3.1, 0.0), (6.2, -7.0)]]),
        "©": (7.4, [arc(3.7, -3.5, 3.7, 3.7, 0, 360, 48), arc(3.8, -3.5, 1.7, 1.7, 320, 40)]),
        " ": (1.6, []),
    }
    return table[ch]


def lettering(text, x, baseline, size, weight=0.85, centre=True):
    """Text in our stroke alphabet; size is the x-height in pixels."""
    scale = size / 5.0
    strokes, cursor = [], 0.0
    for ch in text:
        advance, glyph = _glyph(ch)
        strokes += [[(cursor + px, py) for px, py in s] for s in glyph]
        cursor += advance + 1.2 + weight
    width = cursor - 1.2 - weight
    left = x - width * scale / 2 if centre else x
    placed = [[(left + px * scale, baseline + py * scale) for px, py in s] for s in strokes]
    return placed, weight * scale


def lettering_svg(text, x, baseline, size, colour, weight=0.85, centre=True):
    strokes, w = lettering(text, x, baseline, size, weight, centre)
    return group([stroke_line(s, colour, w) for s in strokes])
