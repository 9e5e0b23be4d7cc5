#!/usr/bin/env python3
"""Draws every picture of Vimbo as SVG: the 40 card faces, the card back, the
opening picture and the window icon.

    python3 tools/make_art.py            # writes into resources/

The drawings are plain SVG 1.2 Tiny (paths, polygons, gradients; no filters, no
CSS, no text elements), which is what Qt SVG renders faithfully. Everything is
built from the few drawing functions below, so changing a suit sign here and
running the script again redraws all the cards that show it. The output is
deterministic: the same script always writes the same bytes.

Layout of this file, top to bottom:
  SVG writing        - numbers, elements, the document with its gradients
  palette            - the flat colours of the deck, per suit
  lettering          - a small stroke alphabet for the corner indices and titles
  suit signs         - coin, cup, club, sword, each in a plain and an ace form
  number cards       - where 2..7 signs go
  figures            - heads, hands, the knave, the knight and the king
  faces              - one function per card kind, then the 40 cards
  back, title, icon  - the other pictures
"""

import math
import os
import sys

FACE_W, FACE_H = 62, 100
BACK_W, BACK_H = 64, 100
TITLE_W, TITLE_H = 410, 354
ICON_SIZE = 32

# --------------------------------------------------------------------------
# SVG writing
# --------------------------------------------------------------------------


def num(x):
    """A coordinate with at most two decimals, without trailing zeros."""
    text = f"{x:.2f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def pts(points):
    return " ".join(f"{num(x)},{num(y)}" for x, y in points)


def attrs(**kw):
    """SVG attributes from keywords: stroke_width becomes stroke-width."""
    out = []
    for key, value in kw.items():
        if value is None:
            continue
        out.append(f'{key.replace("_", "-")}="{num(value) if isinstance(value, float) else value}"')
    return " ".join(out)


INK = "#2a1a0e"  # the dark outline every sign gets, so it reads on cream
LINE = 0.8


def style(fill, stroke=INK, width=LINE, **extra):
    if stroke is None:
        return attrs(fill=fill, **extra)
    return attrs(fill=fill, stroke=stroke, stroke_width=float(width),
                 stroke_linejoin="round", **extra)


def path(d, fill, stroke=INK, width=LINE, **extra):
    return f'<path d="{d}" {style(fill, stroke, width, **extra)}/>'


def polygon(points, fill, stroke=INK, width=LINE, **extra):
    return f'<polygon points="{pts(points)}" {style(fill, stroke, width, **extra)}/>'


def circle(cx, cy, r, fill, stroke=INK, width=LINE, **extra):
    return (f'<circle cx="{num(cx)}" cy="{num(cy)}" r="{num(r)}" '
            f'{style(fill, stroke, width, **extra)}/>')


def ellipse(cx, cy, rx, ry, fill, stroke=INK, width=LINE, **extra):
    return (f'<ellipse cx="{num(cx)}" cy="{num(cy)}" rx="{num(rx)}" ry="{num(ry)}" '
            f'{style(fill, stroke, width, **extra)}/>')


def rect(x, y, w, h, fill, stroke=INK, width=LINE, **extra):
    return (f'<rect x="{num(x)}" y="{num(y)}" width="{num(w)}" height="{num(h)}" '
            f'{style(fill, stroke, width, **extra)}/>')


def stroke_line(points, colour, width, cap="round", **extra):
    """An open polyline drawn as a stroke (no fill)."""
    return (f'<polyline points="{pts(points)}" '
            + attrs(fill="none", stroke=colour, stroke_width=float(width),
                    stroke_linecap=cap, stroke_linejoin="round", **extra) + "/>")


def limb(points, colour, width, outline=INK):
    """A sleeve, leg or twig: a thick stroke with a dark edge around it."""
    return (stroke_line(points, outline, width + 2 * LINE)
            + stroke_line(points, colour, width))


def group(children, transform=None):
    body = "".join(children) if isinstance(children, (list, tuple)) else children
    if transform:
        return f'<g transform="{transform}">{body}</g>'
    return f"<g>{body}</g>"


def place(children, x, y, angle=0.0, scale=1.0):
    """Puts a drawing made around (0, 0) at (x, y), turned by angle degrees."""
    t = f"translate({num(x)} {num(y)})"
    if angle:
        t += f" rotate({num(angle)})"
    if scale != 1.0:
        t += f" scale({num(scale)})"
    return group(children, t)


def arc(cx, cy, rx, ry, a0, a1, steps=None):
    """Points on an ellipse from angle a0 to a1 (degrees, 0 = right, 90 = down)."""
    if steps is None:
        steps = max(4, int(abs(a1 - a0) / 10))
    out = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        out.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return out


def rotate_pts(points, angle, cx=0.0, cy=0.0):
    a = math.radians(angle)
    c, s = math.cos(a), math.sin(a)
    return [(cx + (x - cx) * c - (y - cy) * s, cy + (x - cx) * s + (y - cy) * c)
            for x, y in points]


class Doc:
    """One SVG picture: its size, its gradients (each defined once) and body."""

    def __init__(self, width, height, title):
        self.width, self.height, self.title = width, height, title
        self.defs = {}
        self.body = []

    def add(self, *parts):
        self.body.extend(parts)

    def _grad(self, gid, kind, geometry, stops):
        if gid not in self.defs:
            stop_xml = "".join(
                f'<stop offset="{num(o)}" stop-color="{c}"/>' for o, c in stops)
            self.defs[gid] = f'<{kind} id="{gid}" {geometry}>{stop_xml}</{kind}>'
        return f"url(#{gid})"

    def linear(self, gid, stops, x1=0, y1=0, x2=1, y2=0, user=False):
        units = ' gradientUnits="userSpaceOnUse"' if user else ""
        geometry = (f'x1="{num(x1)}" y1="{num(y1)}" x2="{num(x2)}" y2="{num(y2)}"'
                    + units)
        return self._grad(gid, "linearGradient", geometry, stops)

    def radial(self, gid, stops, cx=0.5, cy=0.5, r=0.5, fx=None, fy=None, user=False):
        fx = cx if fx is None else fx
        fy = cy if fy is None else fy
        units = ' gradientUnits="userSpaceOnUse"' if user else ""
        geometry = (f'cx="{num(cx)}" cy="{num(cy)}" r="{num(r)}" '
                    f'fx="{num(fx)}" fy="{num(fy)}"' + units)
        return self._grad(gid, "radialGradient", geometry, stops)

    def svg(self):
        defs = "".join(self.defs[k] for k in sorted(self.defs))
        head = (f'<?xml version="1.0" encoding="UTF-8"?>\n'
                f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" '
                f'baseProfile="tiny" width="{self.width}" height="{self.height}" '
                f'viewBox="0 0 {self.width} {self.height}">\n'
                f"<title>{self.title}</title>\n")
        body = "\n".join(self.body)
        return head + (f"<defs>{defs}</defs>\n" if defs else "") + body + "\n</svg>\n"


# --------------------------------------------------------------------------
# Palette
# --------------------------------------------------------------------------

CREAM = "#fbf5e4"
GOLD = "#f0b92c"
GOLD_LIGHT = "#fde78e"
GOLD_DARK = "#c3860f"
GOLD_DEEP = "#8a5a06"
ORANGE = "#e2771a"
RED = "#cc2222"
RED_DARK = "#8c1414"
BLUE = "#2d5fb4"
BLUE_DARK = "#1b3a78"
BLUE_LIGHT = "#7fa6e0"
STEEL_LIGHT = "#e4eefa"
STEEL = "#9db9e0"
STEEL_DARK = "#5b7db0"
STEEL_INK = "#1c2a48"
WOOD_LIGHT = "#c98a46"
WOOD = "#995622"
WOOD_DARK = "#5c300e"
LEAF = "#45a032"
LEAF_LIGHT = "#8fd060"
LEAF_DARK = "#1d5e16"
SKIN = "#f7d2ac"
SKIN_SHADE = "#d99a70"
HAIR_BROWN = "#6b3a14"
HAIR_BLOND = "#d9a23a"
BEARD_GREY = "#e8e4dc"
WHITE = "#ffffff"
BLACK = "#1a1a1a"


class Suit:
    """What a suit looks like: its name, index colour and costume colours."""

    def __init__(self, name, index, coat, trim, hose, hat, cloth):
        self.name = name
        self.index = index  # colour of the corner numerals
        self.coat = coat  # tunic, robe, the knight's coat
        self.trim = trim  # belts, hems, collars
        self.hose = hose  # the knave's legs
        self.hat = hat  # the knave's cap
        self.cloth = cloth  # the horse's saddle cloth


COINS = Suit("coins", "#b06f00", GOLD, RED, RED, RED, GOLD_LIGHT)
CUPS = Suit("cups", "#c01c1c", RED, GOLD, GOLD, BLUE, GOLD)
CLUBS = Suit("clubs", "#2b7a1f", LEAF, WOOD, WOOD, WOOD, WOOD_LIGHT)
SWORDS = Suit("swords", "#2552a6", BLUE, STEEL, STEEL_DARK, BLUE_DARK, STEEL)
SUITS = [COINS, CUPS, CLUBS, SWORDS]

# --------------------------------------------------------------------------
# Lettering: our own stroke alphabet, so no picture depends on a font
# --------------------------------------------------------------------------
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

# --------------------------------------------------------------------------
# Suit signs. Each is drawn around (0, 0), upright, in card pixels; place()
# puts it on a card. Long signs (clubs, swords) have their head at the top.
# --------------------------------------------------------------------------


def gold_fill(d):
    """Gold shaded across, as if turned on a lathe: light left of centre."""
    return d.linear("gold", [(0, GOLD_DARK), (0.32, GOLD_LIGHT), (0.62, GOLD),
                             (1, GOLD_DEEP)])


def star(n, r_out, r_in, turn=0.0):
    out = []
    for i in range(2 * n):
        r = r_out if i % 2 == 0 else r_in
        a = math.radians(turn - 90 + i * 180.0 / n)
        out.append((r * math.cos(a), r * math.sin(a)))
    return out


def coin(d, r):
    """Denari: a gold disc with a darker rim and a sun at its heart."""
    disc = d.radial("coinDisc", [(0, "#fff6c4"), (0.55, GOLD_LIGHT), (1, GOLD)],
                    cx=0.4, cy=0.38, r=0.7)
    parts = [circle(0, 0, r, GOLD_DARK),
             circle(0, 0, r * 0.78, disc, GOLD_DEEP, 0.5)]
    if r >= 7:
        parts.append(polygon(star(8, r * 0.66, r * 0.3, 22.5), ORANGE, GOLD_DEEP, 0.45))
    parts.append(circle(0, 0, max(1.3, r * 0.2), RED, INK, 0.45))
    if r >= 9:
        parts += [circle(x, y, r * 0.045 + 0.25, GOLD_LIGHT, None)
                  for x, y in arc(0, 0, r * 0.89, r * 0.89, 0, 360, 16)[:-1]]
    return group(parts)


def coin_ace(d, r):
    """The ace of coins: a great sun, rays alternately gold and red."""
    rays = []
    for i in range(24):
        long = i % 2 == 0
        tip = r * (1.36 if long else 1.2)
        a = i * 15.0
        tri = rotate_pts([(-r * 0.13, -r * 0.94), (0, -tip), (r * 0.13, -r * 0.94)], a)
        rays.append(polygon(tri, GOLD if long else ORANGE, INK, 0.6))
    disc = d.radial("aceDisc", [(0, "#fff8d0"), (0.5, GOLD_LIGHT), (1, GOLD)],
                    cx=0.4, cy=0.36, r=0.72)
    petals = [place(path(f"M0,0 C{num(r*0.18)},{num(-r*0.2)} {num(r*0.16)},{num(-r*0.5)} 0,"
                         f"{num(-r*0.6)} C{num(-r*0.16)},{num(-r*0.5)} {num(-r*0.18)},"
                         f"{num(-r*0.2)} 0,0Z", RED, RED_DARK, 0.5), 0, 0, a)
              for a in range(0, 360, 45)]
    leaves = [place(path(f"M0,0 C{num(r*0.1)},{num(-r*0.15)} {num(r*0.08)},{num(-r*0.35)} 0,"
                         f"{num(-r*0.45)} C{num(-r*0.08)},{num(-r*0.35)} {num(-r*0.1)},"
                         f"{num(-r*0.15)} 0,0Z", ORANGE, GOLD_DEEP, 0.4), 0, 0, a + 22.5)
              for a in range(0, 360, 45)]
    dots = [circle(x, y, r * 0.05, RED, None)
            for x, y in arc(0, 0, r * 0.9, r * 0.9, 0, 360, 24)[:-1]]
    return group(rays + [circle(0, 0, r, GOLD_DARK, INK, 0.9),
                         circle(0, 0, r * 0.82, disc, GOLD_DEEP, 0.6)]
                 + dots + leaves + petals
                 + [circle(0, 0, r * 0.17, GOLD, INK, 0.5),
                    circle(0, 0, r * 0.08, RED_DARK, None)])


def _bowl_side(t, hw, neck):
    """Half-width of a goblet's bowl at depth t (0 rim .. 1 bottom)."""
    return neck + (hw - neck) * math.sqrt(max(0.0, 1 - t ** 2.2))


CUP_WIDTH = 0.66  # of its height


def cup(d, h, ornate=False, width=CUP_WIDTH):
    """Coppe: a gold goblet - bowl, red band, knot, stem, foot."""
    w = width * h
    hw, neck = w / 2, 0.07 * w
    top, depth = -h / 2, 0.44 * h
    rim_ry = 0.07 * h
    bowl_pts = lambda t0, t1: (
        [(-_bowl_side(t, hw, neck), top + t * depth) for t in _steps(t0, t1)]
        + [(_bowl_side(t, hw, neck), top + t * depth) for t in _steps(t1, t0)])
    front_lip = arc(0, top, hw, rim_ry, 0, 180, 12)
    bowl = [(-hw, top)] + bowl_pts(0, 1)[1:-1] + front_lip
    band_t0, band_t1 = 0.2, 0.48
    band = bowl_pts(band_t0, band_t1)
    base_y, foot_top = h / 2, h / 2 - 0.14 * h
    knot_y = top + depth + 0.045 * h
    foot = (f"M{num(-0.05*w)},{num(foot_top)} C{num(-0.08*w)},{num(base_y-0.05*h)} "
            f"{num(-0.36*w)},{num(base_y-0.05*h)} {num(-0.37*w)},{num(base_y)} "
            f"L{num(0.37*w)},{num(base_y)} C{num(0.36*w)},{num(base_y-0.05*h)} "
            f"{num(0.08*w)},{num(base_y-0.05*h)} {num(0.05*w)},{num(foot_top)}Z")
    g = gold_fill(d)
    parts = [rect(-0.055 * w, top + depth, 0.11 * w, foot_top - top - depth + 0.5, g, INK, 0.6),
             path(foot, g),
             rect(-0.34 * w, base_y - 0.035 * h, 0.68 * w, 0.035 * h, RED, INK, 0.5),
             ellipse(0, top, hw, rim_ry, GOLD_DEEP),
             polygon(bowl, g),
             polygon(band, RED, INK, 0.55),
             ellipse(0, knot_y, 0.15 * w, 0.04 * h + 0.4, RED, INK, 0.6)]
    if ornate:
        mid = top + depth * (band_t0 + band_t1) / 2
        parts += [circle(x, mid, 0.035 * h, BLUE if i % 2 else GOLD_LIGHT, INK, 0.4)
                  for i, x in enumerate((-0.24 * w, -0.12 * w, 0, 0.12 * w, 0.24 * w))]
        parts.append(ellipse(0, (knot_y + foot_top) / 2, 0.08 * w, 0.025 * h, RED, INK, 0.5))
    return group(parts)


def _steps(t0, t1, n=10):
    return [t0 + (t1 - t0) * i / n for i in range(n + 1)]


def cup_ace(d, h):
    """The ace of cups: a tall chalice with jewels, under a red domed lid
    with a gold finial."""
    body_h, ratio = h * 0.82, 0.78
    rim = 0.5 * ratio * body_h
    lid_h = 0.15 * h
    lid = (f"M{num(-rim)},0 C{num(-rim)},{num(-lid_h)} {num(rim)},{num(-lid_h)} "
           f"{num(rim)},0Z")
    top = -h / 2 + lid_h + 0.06 * h
    knob = [ellipse(0, -lid_h * 0.78, 0.06 * h, 0.03 * h, GOLD, INK, 0.5),
            circle(0, -lid_h * 0.78 - 0.05 * h, 0.045 * h, GOLD, INK, 0.6),
            circle(0, -lid_h * 0.78 - 0.05 * h, 0.018 * h, RED, None)]
    lid_parts = [path(lid, RED),
                 path(f"M{num(-rim*0.7)},{num(-lid_h*0.35)} Q0,{num(-lid_h*0.62)} "
                      f"{num(rim*0.7)},{num(-lid_h*0.35)}", "none", GOLD, 1.2),
                 rect(-rim - 0.8, -1.0, 2 * rim + 1.6, 2.0, gold_fill(d), INK, 0.5)] + knob
    return group([place(cup(d, body_h, ornate=True, width=ratio), 0, top + body_h / 2),
                  place(group(lid_parts), 0, top)])


def _club_widths(L):
    """Half-widths of head and grip: a long cudgel gets longer, not fatter."""
    head = 2.0 + 0.055 * L
    return head, 0.55 * head


def _club_outline(L):
    """The cudgel's edge: thick head, knobbly shaft, rounded grip."""
    top = -L / 2
    head, grip = _club_widths(L)
    cap = min(0.1 * L, head * 1.2)
    left, right = [], []
    for i in range(13):
        t = i / 12
        wob = 0.1 * head * math.sin(t * 9.0)
        hw = head + (grip - head) * t
        y = top + cap + t * (L - cap - grip)
        left.append((-hw + wob, y))
        right.append((hw + wob * 0.6, y))
    cap_top = arc(0, top + cap, head, cap, 180, 360, 10)
    cap_bottom = arc(0, left[-1][1], grip, grip, 0, 180, 6)
    return cap_top + right + cap_bottom + left[::-1]


def leaf(length, width, colour=LEAF, edge=LEAF_DARK, rib=LEAF_LIGHT):
    """A pointed leaf along +x from (0, 0), with a light midrib."""
    l, w = length, width
    d = (f"M0,0 C{num(l*0.3)},{num(-w)} {num(l*0.75)},{num(-w*0.8)} {num(l)},0 "
         f"C{num(l*0.75)},{num(w*0.8)} {num(l*0.3)},{num(w)} 0,0Z")
    return (path(d, colour, edge, 0.5)
            + stroke_line([(l * 0.15, 0), (l * 0.8, 0)], rib, max(0.35, w * 0.18)))


def laurel(stem, size, colour, edge, rib):
    """A branch along the points of stem, leaves paired along it, pointing
    the way the branch grows."""
    out = [stroke_line(stem, edge, max(0.8, size * 0.14))]
    for i in range(1, len(stem)):
        (x0, y0), (x1, y1) = stem[i - 1], stem[i]
        heading = math.degrees(math.atan2(y1 - y0, x1 - x0))
        for turn in (-38, 38):
            out.append(place(leaf(size, size * 0.34, colour, edge, rib), x1, y1, heading + turn))
    return out


def club(d, L, leaves=2):
    """Bastoni: a knotty wooden cudgel with a sprig of green leaves."""
    wood = d.linear("wood", [(0, WOOD_DARK), (0.28, WOOD_LIGHT), (0.55, WOOD), (1, WOOD_DARK)])
    head, grip = _club_widths(L)
    parts = [polygon(_club_outline(L), wood, INK, 0.75)]
    # Stubs of cut branches: the knots that make it a cudgel, not a stick.
    k = head * 0.5
    for t, side in ((0.32, -1), (0.5, 1), (0.7, -1)):
        y = -L / 2 + t * L
        x = side * (head + (grip - head) * t) * 0.92
        stub = [(x, y - 0.6 * k), (x + side * k, y - 1.4 * k),
                (x + side * 1.4 * k, y - 0.8 * k), (x, y + 0.3 * k)]
        parts.append(polygon(stub, WOOD, INK, 0.6))
        parts.append(ellipse(x + side * 1.2 * k, y - 1.1 * k, 0.3 * k + 0.15,
                             0.42 * k + 0.15, WOOD_LIGHT, INK, 0.35))
    parts.append(stroke_line([(-head * 0.4, -L / 2 + head * 1.5), (-grip * 0.3, L * 0.35)],
                             WOOD_DARK, max(0.4, 0.12 * head)))
    parts += _club_leaves(L, leaves)
    return group(parts)


def sprig(x, y, heading, size, count, spread=50):
    """A twig growing from (x, y) towards heading (degrees), its leaves fanned
    at the tip."""
    a = math.radians(heading)
    tip = (x + size * 0.7 * math.cos(a), y + size * 0.7 * math.sin(a))
    out = [limb([(x, y), tip], WOOD, max(0.7, size * 0.1), LEAF_DARK)]
    for i in range(count):
        turn = (i - (count - 1) / 2) * spread
        out.append(place(leaf(size, size * 0.36), tip[0], tip[1], heading + turn))
    return out


def _club_leaves(L, count):
    """The sprig near the head, growing up and a little out to the right, so
    that clubs side by side keep clear of each other."""
    head, _ = _club_widths(L)
    size = min(10.0, 1.1 * head + 0.07 * L)
    return sprig(head * 0.7, -L / 2 + head * 2.6, -75, size, count, 40)


def club_ace(d, L):
    """The ace of clubs: a great cudgel in full leaf, tied with a red ribbon."""
    y = L * 0.16
    bow = [path(f"M-7,{num(y-2)} L7,{num(y+1)} L7,{num(y+4)} L-7,{num(y+1)}Z", RED, INK, 0.6),
           path(f"M-5,{num(y+1)} L-13,{num(y+10)} L-9,{num(y+10)} L-11,{num(y+15)} "
                f"L-2,{num(y+3)}Z", RED, INK, 0.6),
           path(f"M5,{num(y+3)} L12,{num(y+13)} L8,{num(y+12)} L9,{num(y+17)} "
                f"L2,{num(y+4)}Z", RED_DARK, INK, 0.6),
           ellipse(0, y + 1.5, 2.4, 2.2, RED, INK, 0.6)]
    head, _ = _club_widths(L)
    size = 0.13 * L
    shoots = (sprig(-head * 0.8, -0.18 * L, 200, size, 3)
              + sprig(head * 0.7, -0.02 * L, -20, size * 0.9, 2)
              + sprig(-head * 0.6, 0.06 * L, 160, size * 0.8, 2))
    return group(shoots + [club(d, L, leaves=3)] + bow)


def sword(d, L, ornate=False):
    """Spade: a straight steel blade, point up, gold cross-guard and pommel."""
    guard_y = 0.3 * L
    tip_y = -L / 2
    bw = max(1.5, (0.058 if ornate else 0.048) * L)
    shoulder = tip_y + 0.09 * L
    left = [(0, tip_y), (-bw, shoulder), (-bw, guard_y)]
    right = [(0, tip_y), (bw, shoulder), (bw, guard_y)]
    steel = [polygon(left + [(0, guard_y)], STEEL_LIGHT, None),
             polygon(right + [(0, guard_y)], STEEL, None),
             stroke_line([(0, shoulder + 0.04 * L), (0, guard_y - 0.02 * L)],
                         STEEL_DARK, max(0.4, 0.012 * L)),
             polygon(left + right[::-1][:-1], "none", STEEL_INK, 0.7)]
    gh = max(1.4, 0.04 * L)
    gw = 2.5 + (0.12 if ornate else 0.09) * L
    hilt = [rect(-0.03 * L - 0.4, guard_y, 0.06 * L + 0.8, 0.14 * L, RED_DARK, INK, 0.6),
            rect(-gw, guard_y - gh / 2, 2 * gw, gh, gold_fill(d), INK, 0.6),
            circle(-gw, guard_y, gh * 0.7, GOLD, INK, 0.5),
            circle(gw, guard_y, gh * 0.7, GOLD, INK, 0.5),
            circle(0, L / 2 - 0.045 * L, 0.035 * L + 0.8, GOLD, INK, 0.6)]
    if L >= 40:
        for i in range(3):
            y = guard_y + 0.03 * L + i * 0.035 * L
            hilt.append(stroke_line([(-0.03 * L, y), (0.03 * L, y + 0.02 * L)], GOLD, 0.5))
    if ornate:
        hilt += [path(f"M{num(-gw)},{num(guard_y)} c-2,-3 -1,-7 2,-7", "none", GOLD_DEEP, 1.4),
                 path(f"M{num(gw)},{num(guard_y)} c2,-3 1,-7 -2,-7", "none", GOLD_DEEP, 1.4),
                 circle(0, guard_y, gh * 0.8, RED, INK, 0.5),
                 circle(0, L / 2 - 0.045 * L, 0.022 * L, RED, None)]
    return group(steel + hilt)


def sword_ace(d, L):
    """The ace of swords: a long blade with a jewelled hilt in a gold laurel."""
    branches = []
    for side in (-1, 1):
        stem = [(side * x, y) for x, y in arc(0, 0.1 * L, 0.2 * L, 0.3 * L, 100, 215, 6)]
        branches += laurel(stem, 0.075 * L, GOLD, GOLD_DEEP, GOLD_LIGHT)
    return group(branches + [sword(d, L, ornate=True)])


SIGNS = {"coins": coin, "cups": cup, "clubs": club, "swords": sword}


def sign(d, suit, size):
    return SIGNS[suit.name](d, size)

# --------------------------------------------------------------------------
# Number cards: where the signs go. Round signs (coins, cups) follow the
# patterns a player counts at a glance; long signs (clubs, swords) stand side
# by side while there is room and lean in pairs when there are more.
# --------------------------------------------------------------------------

COIN_LAYOUTS = {
    2: [(31, 28), (31, 72)],
    3: [(31, 20), (31, 50), (31, 80)],
    4: [(18, 27), (44, 27), (18, 73), (44, 73)],
    5: [(17, 23), (45, 23), (31, 50), (17, 77), (45, 77)],
    6: [(18, 22), (44, 22), (18, 50), (44, 50), (18, 78), (44, 78)],
    7: [(19.5, 21), (42.5, 21), (12.5, 50), (31, 50), (49.5, 50), (19.5, 79), (42.5, 79)],
}
COIN_RADIUS = {2: 12, 3: 10, 4: 11, 5: 10, 6: 9.5, 7: 8.2}

# Cups are widest at the rim, so the upper ones keep further in from the index.
CUP_LAYOUTS = {
    2: [(31, 27), (31, 73)],
    3: [(31, 20), (31, 50), (31, 80)],
    4: [(20.5, 27), (41.5, 27), (20.5, 73), (41.5, 73)],
    5: [(19.5, 22), (42.5, 22), (31, 50), (19.5, 78), (42.5, 78)],
    6: [(19.5, 23), (42.5, 23), (19.5, 50), (42.5, 50), (19.5, 77), (42.5, 77)],
    7: [(19.5, 22), (42.5, 22), (12.5, 50), (31, 50), (49.5, 50), (19.5, 78), (42.5, 78)],
}
CUP_HEIGHT = {2: 34, 3: 25, 4: 28, 5: 24, 6: 23, 7: 22}

# (x, y, lean in degrees) of each long sign, and their length. Signs near the
# upper-left and lower-right corners lean away from the rank index there.
LONG_LAYOUTS = {
    2: ([(18, 50, 0), (44, 50, 0)], 84),
    3: ([(13.5, 50, 0), (31, 50, 180), (48.5, 50, 0)], 70),
    4: ([(18, 27, 15), (44, 27, -15), (18, 73, -15), (44, 73, 15)], 44),
    5: ([(17, 24, 15), (45, 24, -15), (31, 50, 90), (17, 76, -15), (45, 76, 15)], 36),
    6: ([(18, 22, 35), (44, 22, 35), (18, 50, 35), (44, 50, 35), (18, 78, 35),
         (44, 78, 35)], 32),
    7: ([(15, 22, 30), (47, 22, 30), (15, 50, 30), (31, 50, 0), (47, 50, 30),
         (15, 78, 30), (47, 78, 30)], 30),
}
# Clubs carry their leaves to one side and need the room between them.
CLUB_LAYOUTS = dict(LONG_LAYOUTS)
CLUB_LAYOUTS.update({
    2: ([(19, 50, 0), (43, 50, 0)], 84),
    3: ([(31, 22, 55), (31, 50, 55), (31, 78, 55)], 44),
    5: ([(17, 23, 15), (45, 23, -15), (31, 50, 90), (17, 77, -15), (45, 77, 15)], 34),
    7: ([(21, 20, 10), (41, 20, 10), (12, 50, 10), (30, 50, 10), (48, 50, 10), (21, 80, 10),
         (41, 80, 10)], 27),
})
SWORD_LAYOUTS = dict(LONG_LAYOUTS)
SWORD_LAYOUTS[2] = ([(17, 50, 0), (45, 50, 0)], 84)


def number_signs(d, suit, count):
    if suit.name == "coins":
        return [place(coin(d, COIN_RADIUS[count]), x, y) for x, y in COIN_LAYOUTS[count]]
    if suit.name == "cups":
        return [place(cup(d, CUP_HEIGHT[count]), x, y) for x, y in CUP_LAYOUTS[count]]
    spots, length = (CLUB_LAYOUTS if suit.name == "clubs" else SWORD_LAYOUTS)[count]
    return [place(sign(d, suit, length), x, y, a) for x, y, a in spots]

# --------------------------------------------------------------------------
# Figures. Drawn at the card's own scale, flat colours with a dark edge; the
# silhouettes carry the rank: the knave stands on his two legs, the knight
# rides a horse across the card, the king wears a crown and a long robe.
# --------------------------------------------------------------------------


def face(cx, cy, s, hair, beard=None):
    """A front-facing head, s = half its height: eyes, brows, nose, mouth."""
    parts = [ellipse(cx, cy, 0.8 * s, s, SKIN, INK, 0.6)]
    eye_y = cy - 0.08 * s
    for side in (-1, 1):
        ex = cx + side * 0.34 * s
        parts.append(circle(ex, eye_y, 0.15 * s, BLACK, None))
        parts.append(stroke_line([(ex - 0.22 * s, eye_y - 0.3 * s), (ex + 0.22 * s,
                                  eye_y - 0.34 * s)], hair, 0.1 * s + 0.2))
        parts.append(circle(cx + side * 0.48 * s, cy + 0.3 * s, 0.16 * s, "#f2a48c", None))
    parts.append(stroke_line([(cx, eye_y + 0.1 * s), (cx + 0.1 * s, cy + 0.32 * s),
                              (cx - 0.05 * s, cy + 0.36 * s)], SKIN_SHADE, 0.5))
    if beard:
        shape = (f"M{num(cx-0.8*s)},{num(cy+0.05*s)} C{num(cx-0.8*s)},{num(cy+1.2*s)} "
                 f"{num(cx-0.4*s)},{num(cy+1.75*s)} {num(cx)},{num(cy+1.9*s)} "
                 f"C{num(cx+0.4*s)},{num(cy+1.75*s)} {num(cx+0.8*s)},{num(cy+1.2*s)} "
                 f"{num(cx+0.8*s)},{num(cy+0.05*s)} C{num(cx+0.5*s)},{num(cy+0.5*s)} "
                 f"{num(cx-0.5*s)},{num(cy+0.5*s)} {num(cx-0.8*s)},{num(cy+0.05*s)}Z")
        parts.append(path(shape, beard, INK, 0.6))
        parts.append(path(f"M{num(cx-0.45*s)},{num(cy+0.55*s)} Q{num(cx)},{num(cy+0.25*s)} "
                          f"{num(cx+0.45*s)},{num(cy+0.55*s)}", "none", "#9a948a", 0.9))
        parts.append(stroke_line([(cx - 0.15 * s, cy + 0.72 * s), (cx + 0.15 * s,
                                  cy + 0.72 * s)], RED_DARK, 0.6))
    else:
        parts.append(stroke_line([(cx - 0.22 * s, cy + 0.58 * s), (cx, cy + 0.64 * s),
                                  (cx + 0.22 * s, cy + 0.58 * s)], RED, 0.7))
    return group(parts)


def hand(x, y, r=1.8):
    return circle(x, y, r, SKIN, INK, 0.6)


def held(d, suit, hx, hy, size, angle=0.0):
    """The suit sign held in a hand at (hx, hy), turned by angle about the hand.
    The sign sits where a hand would grip it: a coin by its lower edge, a cup
    by its stem, a club by the handle, a sword by the grip."""
    grip = {"coins": -0.7 * size, "cups": -0.22 * size, "clubs": -0.3 * size,
            "swords": -0.37 * size}[suit.name]
    art = sign(d, suit, size)
    if suit.name == "clubs":  # leaves towards the figure, not off the card
        art = group(art, "scale(-1 1)")
    return place(place(art, 0, grip), hx, hy, angle)


def arm(points, sleeve, width=3.6):
    return limb(points, sleeve, width)


def feathered_cap(cx, y, colour, feather):
    """The knave's cap: a soft crown, a brim, a long feather swept back."""
    quill = [(cx + 4, y + 1), (cx + 9, y - 5), (cx + 15, y - 9), (cx + 19, y - 9.5)]
    plume = (f"M{num(cx+3)},{num(y+1)} C{num(cx+7)},{num(y-9)} {num(cx+14)},{num(y-13)} "
             f"{num(cx+20)},{num(y-10)} C{num(cx+15)},{num(y-8)} {num(cx+10)},{num(y-4)} "
             f"{num(cx+6)},{num(y+2)}Z")
    return group([path(plume, feather, INK, 0.6),
                  stroke_line(quill, INK, 0.4),
                  path(f"M{num(cx-7)},{num(y+2)} C{num(cx-7)},{num(y-6)} {num(cx+7)},{num(y-6)} "
                       f"{num(cx+7)},{num(y+2)}Z", colour, INK, 0.7),
                  ellipse(cx, y + 2.2, 8.2, 2.0, colour, INK, 0.7)])


def crown(cx, y, w, h):
    """A gold crown with five points, red and blue stones; y is the band's base."""
    band = [(cx - w / 2, y), (cx + w / 2, y), (cx + w / 2, y - h * 0.35),
            (cx - w / 2, y - h * 0.35)]
    spikes = [(cx - w / 2, y - h * 0.3)]
    for i in range(5):
        x = cx - w / 2 + w * (i + 0.5) / 5
        spikes += [(x - w / 10, y - h * 0.3), (x, y - h), (x + w / 10, y - h * 0.3)]
    spikes += [(cx + w / 2, y - h * 0.3)]
    stones = [circle(cx - w / 2 + w * (i + 0.5) / 5, y - h, 0.7, GOLD_LIGHT, INK, 0.35)
              for i in range(5)]
    return group([polygon(spikes, GOLD, INK, 0.6), polygon(band, GOLD_DARK, INK, 0.6)]
                 + stones
                 + [circle(cx, y - h * 0.17, 0.9, RED, None),
                    circle(cx - w * 0.3, y - h * 0.17, 0.75, BLUE, None),
                    circle(cx + w * 0.3, y - h * 0.17, 0.75, BLUE, None)])

# Where each figure holds its sign: elbow, hand, sign size, tilt of the sign.
KNAVE_HOLD = {"coins": ((45, 48), (46, 43), 9.5, 0), "cups": ((45, 49), (46, 44), 24, 0),
              "clubs": ((45, 45), (47, 56), 60, 6), "swords": ((45, 45), (47, 57), 58, 6)}
KNIGHT_HOLD = {"coins": ((43, 38), (46, 29), 8, 0), "cups": ((43, 38), (46, 30), 20, 0),
               "clubs": ((43, 40), (45, 33), 36, 12), "swords": ((43, 41), (45, 35), 37, 12)}
KING_HOLD = {"coins": ((47, 52), (46, 47), 9, 0), "cups": ((47, 53), (46, 48), 22, 0),
             "clubs": ((47, 50), (47, 60), 56, 8), "swords": ((47, 50), (47, 61), 58, 6)}
HAIR = {"coins": HAIR_BLOND, "cups": HAIR_BROWN, "clubs": HAIR_BROWN, "swords": HAIR_BLOND}


def knave(d, suit):
    """The knave: a young man standing, feathered cap, his sign in his right
    hand (on the viewer's right) and his left hand on his hip."""
    elbow, (hx, hy), size, tilt = KNAVE_HOLD[suit.name]
    hair = HAIR[suit.name]
    body = [
        # legs in parti-coloured hose, shoes
        limb([(27.5, 60), (27, 89)], suit.hose, 4.6),
        limb([(34.5, 60), (35, 89)], suit.coat, 4.6),
        ellipse(26, 90.5, 3.8, 1.9, BLACK, INK, 0.5),
        ellipse(36, 90.5, 3.8, 1.9, BLACK, INK, 0.5),
        # tunic, skirt, belt
        polygon([(23, 51), (39, 51), (42.5, 63), (19.5, 63)], suit.coat),
        stroke_line([(20.2, 61.6), (41.8, 61.6)], suit.trim, 1.6),
        polygon([(20, 34), (24, 30.5), (38, 30.5), (42, 34), (39.5, 52), (22.5, 52)], suit.coat),
        polygon([(27, 30.5), (35, 30.5), (31, 38)], suit.trim, INK, 0.5),
        stroke_line([(31, 39), (31, 50)], suit.trim, 1.2),
        rect(22.3, 49.5, 17.4, 3, suit.trim, INK, 0.6),
        rect(29.6, 49.3, 2.8, 3.4, GOLD, INK, 0.5),
        # left arm, hand on hip
        arm([(22, 34), (15.5, 43), (22, 50)], suit.coat),
        hand(22.5, 50),
        # neck, hair, face, cap
        rect(29, 27, 4, 4, SKIN, INK, 0.5),
        path("M24.2,22 C23.5,28 25.5,30 28,29 L34,29 C36.5,30 38.5,28 37.8,22Z", hair, INK, 0.6),
        face(31, 22.5, 6, hair),
        feathered_cap(31, 14.5, suit.hat, WHITE if suit.hat != WHITE else GOLD),
    ]
    sign_arm = [arm([(40, 34), elbow, (hx, hy)], suit.coat)]
    return group(body + sign_arm + [held(d, suit, hx, hy, size, tilt), hand(hx, hy)])

HORSE = "#ddd6ca"
HORSE_SHADE = "#b3a999"
MANE = "#4a3a2c"


def horse(suit):
    """A horse walking to the left, seen from the side: four legs (one raised),
    arched neck, long head with ear, eye and nostril, a swishing tail."""
    legs = [
        limb([(44, 70), (47.5, 80), (45, 92)], HORSE_SHADE, 3.2),   # far hind leg
        limb([(23, 70), (23.5, 81), (22, 92)], HORSE_SHADE, 3.2),   # far foreleg
        limb([(40, 71), (42, 81), (40.5, 92)], HORSE, 3.4),         # near hind leg
        limb([(18, 70), (13, 77), (16.5, 83)], HORSE, 3.4),         # near foreleg, raised
    ]
    hooves = [rect(43, 91, 4.2, 2.4, BLACK, INK, 0.4), rect(20, 91, 4.2, 2.4, BLACK, INK, 0.4),
              rect(38.5, 91, 4.2, 2.4, BLACK, INK, 0.4),
              polygon([(15, 82.5), (18.6, 83), (18.2, 85.5), (14.6, 85)], BLACK, INK, 0.4)]
    tail = path("M49,61 C56,62 57,71 54,80 C52,75 51,70 48,66Z", MANE, INK, 0.5)
    body = ellipse(33, 65, 17, 8.5, HORSE)
    neck = polygon([(15, 66), (11, 56), (12, 48), (16, 43), (22, 48), (25, 60)], HORSE)
    mane = path("M16,43 C20,44 23,50 25,59 L22,58 C21,54 19,50 15,46Z", MANE, INK, 0.5)
    head = path("M11,42 L13,39.5 L14.5,42.5 C16.5,44.5 16,47 14,49 L8,56 "
                "C6,58 3,57 3.2,54.5 C3.5,52 6,49 9,45Z", HORSE)
    features = [circle(10.8, 46.2, 0.85, BLACK, None),
                circle(4.8, 54.4, 0.55, BLACK, None),
                stroke_line([(3.6, 56), (6.5, 55.6)], INK, 0.5),
                stroke_line([(9.5, 44.2), (12.4, 46.4), (7.5, 53), (4.2, 55)], suit.trim, 0.7)]
    return group(legs + hooves + [tail, body, neck, mane, head] + features)


def saddle_cloth(suit):
    cloth = [(23, 57), (43, 56.5), (45.5, 73), (22, 73.5)]
    fringe = [stroke_line([(22.5 + i * 2.3, 73.3), (22.6 + i * 2.3, 75.2)], suit.trim, 0.8)
              for i in range(10)]
    return group([polygon(cloth, suit.cloth)] + fringe
                 + [stroke_line([(22.6, 71.2), (45.2, 70.8)], suit.trim, 1.4)])


def knight(d, suit):
    """The knight: a rider on horseback, reins in one hand, his sign raised."""
    elbow, (hx, hy), size, tilt = KNIGHT_HOLD[suit.name]
    hair = HAIR[suit.name]
    rider = [
        polygon([(27, 58.5), (39, 58.5), (38.5, 40), (27.5, 40)], suit.coat),
        stroke_line([(27.3, 56.5), (38.8, 56.5)], suit.trim, 1.6),
        polygon([(29, 40), (37, 40), (33, 46)], suit.trim, INK, 0.5),
        limb([(31, 58), (26, 65), (27.5, 74)], suit.hose, 4.2),        # leg along the flank
        polygon([(25, 73), (30.5, 73), (31, 76), (24.5, 76)], BLACK, INK, 0.5),
        arm([(28.5, 43), (24, 50), (19, 51)], suit.coat),              # rein arm
        hand(18.5, 51),
        stroke_line([(18, 51), (6, 53.5)], RED_DARK, 0.6),
        rect(31, 35.5, 4, 4.5, SKIN, INK, 0.5),
        path("M27.8,30 C27,35 29,37.5 31,37 L35,37 C37,37.5 39,35 38.2,30Z", hair, INK, 0.6),
        face(33, 31, 5.2, hair),
        _knight_hat(33, 26.5, suit),
    ]
    sign_arm = [arm([(37.5, 43), elbow, (hx, hy)], suit.coat)]
    return group([horse(suit), saddle_cloth(suit)] + rider + sign_arm
                 + [held(d, suit, hx, hy, size, tilt), hand(hx, hy)])


def _knight_hat(cx, y, suit):
    """A round hat with a turned-up brim and a plume."""
    return group([
        path(f"M{num(cx+3)},{num(y-2)} C{num(cx+4)},{num(y-8)} {num(cx+10)},{num(y-9)} "
             f"{num(cx+12)},{num(y-6)} C{num(cx+8)},{num(y-6)} {num(cx+6)},{num(y-4)} "
             f"{num(cx+5)},{num(y-1)}Z", suit.trim, INK, 0.5),
        path(f"M{num(cx-5.5)},{num(y+1)} C{num(cx-5)},{num(y-6)} {num(cx+5)},{num(y-6)} "
             f"{num(cx+5.5)},{num(y+1)}Z", suit.hat, INK, 0.7),
        rect(cx - 6.5, y - 0.2, 13, 2.2, suit.trim, INK, 0.6),
    ])


def ermine_cape(cx, y):
    """The king's short cape of white fur with black tails, over his shoulders."""
    edge = (f"M{num(cx-13)},{num(y)} C{num(cx-6)},{num(y-2.5)} {num(cx+6)},{num(y-2.5)} "
            f"{num(cx+13)},{num(y)} C{num(cx+15)},{num(y+3)} {num(cx+13)},{num(y+6)} "
            f"{num(cx+10)},{num(y+6.5)} C{num(cx+5)},{num(y+7.5)} {num(cx+2)},{num(y+8.5)} "
            f"{num(cx)},{num(y+9)} C{num(cx-2)},{num(y+8.5)} {num(cx-5)},{num(y+7.5)} "
            f"{num(cx-10)},{num(y+6.5)} C{num(cx-13)},{num(y+6)} {num(cx-15)},{num(y+3)} "
            f"{num(cx-13)},{num(y)}Z")
    tails = [path(f"M{num(x)},{num(y+dy-1.2)} L{num(x+0.8)},{num(y+dy+1)} L{num(x-0.8)},"
                  f"{num(y+dy+1)}Z", BLACK, None)
             for x, dy in ((cx - 9, 3), (cx - 4, 4.5), (cx + 4, 4.5), (cx + 9, 3))]
    return group([path(edge, WHITE, INK, 0.6)] + tails)


def king(d, suit):
    """The king: crowned and bearded, standing in a long robe with an ermine
    cape, his sign in his right hand, his left hand on his breast."""
    elbow, (hx, hy), size, tilt = KING_HOLD[suit.name]
    hair = BEARD_GREY
    robe = [(21, 38), (41, 38), (46, 70), (49.5, 93), (12.5, 93), (16, 70)]
    brocade = [place(polygon(star(4, 1.4, 0.5), suit.trim, None), x, y)
               for x, y in ((19, 60), (43, 60), (17, 74), (45, 74), (16, 86), (46, 86))]
    body = [
        ellipse(26.5, 94, 3.6, 1.8, BLACK, INK, 0.5),
        ellipse(35.5, 94, 3.6, 1.8, BLACK, INK, 0.5),
        polygon(robe, suit.coat),
        polygon([(28, 44), (34, 44), (38, 93), (24, 93)], suit.trim, INK, 0.6),
        stroke_line([(31, 50), (31, 92)], suit.coat, 0.8),
        *brocade,
        stroke_line([(13.2, 91), (48.8, 91)], GOLD, 1.6),
        ermine_cape(31, 37),
        arm([(20, 42), (18, 54), (27, 52)], suit.coat, 4.0),
        hand(27.5, 52),
        rect(29, 31, 4, 4.5, SKIN, INK, 0.5),
        path("M24.3,21 C23.5,28 24.5,33 27,33 L35,33 C37.5,33 38.5,28 37.7,21Z", hair, INK, 0.6),
        face(31, 24.5, 6, hair, beard=BEARD_GREY),
        crown(31, 19.5, 14, 8),
    ]
    sign_arm = [arm([(42, 42), elbow, (hx, hy)], suit.coat, 4.0)]
    return group(body + sign_arm + [held(d, suit, hx, hy, size, tilt), hand(hx, hy)])

# --------------------------------------------------------------------------
# Faces
# --------------------------------------------------------------------------

RANK_NAMES = {1: "ace", 8: "knave", 9: "knight", 10: "king"}


def corner_indices(suit, rank):
    """The rank in the upper-left corner and again, turned, in the lower-right."""
    mark = place(numeral(str(rank), suit.index), 2.6, 2.6, scale=0.92)
    return [mark, group(mark, f"rotate(180 {FACE_W / 2} {FACE_H / 2})")]


def ace(d, suit):
    if suit.name == "coins":
        return place(coin_ace(d, 19), 31, 50)
    if suit.name == "cups":
        return place(cup_ace(d, 80), 31, 51)
    if suit.name == "clubs":
        return place(club_ace(d, 84), 31, 50, 8)
    return place(sword_ace(d, 88), 31, 50)


def card_face(card):
    suit, rank = SUITS[(card - 1) // 10], (card - 1) % 10 + 1
    name = RANK_NAMES.get(rank, str(rank))
    d = Doc(FACE_W, FACE_H, f"{name} of {suit.name}")
    d.add(rect(0, 0, FACE_W, FACE_H, CREAM, None))
    if rank == 1:
        d.add(ace(d, suit))
    elif rank <= 7:
        d.add(*number_signs(d, suit, rank))
    else:
        d.add({8: knave, 9: knight, 10: king}[rank](d, suit))
    d.add(*corner_indices(suit, rank))
    return d.svg()

# --------------------------------------------------------------------------
# The back: a red, yellow and black frame, a lattice, two lions' heads facing
# each other. Drawn so it reads the same upside down: every part is either
# centred or paired with its copy turned half round the middle.
# --------------------------------------------------------------------------


def lion_head():
    """A lion's head in profile facing right, about 18 x 16, centred on (0, 0)."""
    mane = [(x * 1.0, y * 1.0) for x, y in star(11, 8.6, 6.2, 8)]
    return group([
        polygon([(x - 2.2, y) for x, y in mane], ORANGE, INK, 0.6),
        path("M-4,-5 C0,-8 5,-6 6,-3 L9.5,-1.5 C10.5,0 10,2 8.5,2.4 "
             "L6,2.6 L7.5,4.6 C5,6.5 1,6.5 -1.5,5 C-5,3 -6,-2 -4,-5Z", GOLD, INK, 0.6),
        path("M6,2.6 L9,3 L7.5,4.6Z", RED, INK, 0.4),
        circle(3.2, -2.6, 1.0, WHITE, INK, 0.4),
        circle(3.5, -2.6, 0.5, BLACK, None),
        circle(9.2, -1.2, 0.7, BLACK, None),
        path("M-2,-5 L-0.5,-8.5 L1.5,-5.5Z", GOLD, INK, 0.5),
        stroke_line([(-1.5, 1), (2, 3.5)], GOLD_DEEP, 0.5),
    ])


def back():
    d = Doc(BACK_W, BACK_H, "card back")
    cx, cy = BACK_W / 2, BACK_H / 2
    d.add(rect(0, 0, BACK_W, BACK_H, BLACK, None),
          rect(2, 2, BACK_W - 4, BACK_H - 4, RED, None),
          rect(5, 5, BACK_W - 10, BACK_H - 10, "none", GOLD, 1.6),
          rect(7, 7, BACK_W - 14, BACK_H - 14, RED_DARK, BLACK, 0.8))
    # A lattice of small yellow diamonds, laid out from the middle outwards.
    step = 5.0
    for i in range(-5, 6):
        for j in range(-9, 10):
            x, y = cx + i * step, cy + j * step
            if (i + j) % 2 or not (10 <= x <= BACK_W - 10 and 10 <= y <= BACK_H - 10):
                continue
            d.add(polygon([(x, y - 1.8), (x + 1.8, y), (x, y + 1.8), (x - 1.8, y)],
                          GOLD, None))
    d.add(ellipse(cx, cy, 21, 28, BLACK, None),
          ellipse(cx, cy, 19.5, 26.5, GOLD, None),
          ellipse(cx, cy, 17.5, 24.5, RED, BLACK, 0.6))
    head = place(lion_head(), cx - 3, cy - 10)
    d.add(head, group(head, f"rotate(180 {num(cx)} {num(cy)})"))
    for sx, sy in ((1, 1), (-1, -1), (1, -1), (-1, 1)):
        d.add(circle(cx + sx * 23, cy + sy * 38, 2.2, GOLD, BLACK, 0.6))
    return d.svg()

# --------------------------------------------------------------------------
# The opening picture
# --------------------------------------------------------------------------

TITLE_CENTRE = 200  # the window shows the left 400 pixels: centre the name there


def embossed(d, text, baseline, size, weight):
    """Silver letters raised from the green: a dark edge below-right, a light
    edge above-left, then the metal itself shaded from bright to grey."""
    strokes, w = lettering(text, TITLE_CENTRE, baseline, size, weight)
    top = baseline - size * 1.5
    silver = d.linear("silver", [(0, "#ffffff"), (0.35, "#d8dde2"), (0.55, "#9aa2aa"),
                                 (0.62, "#b8bec4"), (1, "#eef1f4")],
                      0, top, 0, baseline + w / 2, user=True)
    layers = []
    for dx, dy, colour, extra in ((4, 4, "#003300", 0), (1.6, 1.6, "#2b3036", 0),
                                  (-1.4, -1.4, "#ffffff", 0), (0, 0, silver, -1.2)):
        for s in strokes:
            layers.append(stroke_line([(x + dx, y + dy) for x, y in s], colour, w + extra))
    shine = [stroke_line([(x - w * 0.18, y - w * 0.18) for x, y in s], "#ffffff", w * 0.18,
                         stroke_opacity="0.55") for s in strokes]
    return group(layers + shine)


def title():
    d = Doc(TITLE_W, TITLE_H, "Vimbo")
    glow = d.radial("tableLight", [(0, "#2aa82a"), (0.55, "#008000"), (1, "#005c00")],
                    TITLE_CENTRE, 170, 260, user=True)
    d.add(rect(0, 0, TITLE_W, TITLE_H, glow, None),
          rect(8, 8, 384, TITLE_H - 16, "none", "#58b858", 1.0),
          lettering_svg("Brennolt", TITLE_CENTRE, 44, 9, "#f3e6b0", 0.9))
    d.add(embossed(d, "Vimbo", 200, 48, 1.5))
    row = [place(coin(d, 13), 134, 262), place(cup(d, 32), 178, 262),
           place(club(d, 44), 222, 262, 20), place(sword(d, 46), 266, 262, -20)]
    d.add(*row)
    d.add(lettering_svg("Solitaire with the Italian deck", TITLE_CENTRE, 318, 6,
                        "#e8f4e0", 0.9),
          lettering_svg("© Brennolt", TITLE_CENTRE, 338, 6, "#e8f4e0", 0.9))
    return d.svg()


# --------------------------------------------------------------------------
# The icon: the table seen from above, the plus of the tableau in blue and a
# framed yellow foundation in each corner. Every edge lies on a 2-unit grid,
# so the icon stays crisp at 16, 32 and 48 pixels.
# --------------------------------------------------------------------------


def icon():
    d = Doc(ICON_SIZE, ICON_SIZE, "Vimbo")
    d.add(rect(12, 0, 8, 32, BLUE_DARK, None), rect(0, 12, 32, 8, BLUE_DARK, None),
          rect(14, 2, 4, 28, "#3f7fe0", None), rect(2, 14, 28, 4, "#3f7fe0", None))
    for x, y in ((0, 0), (20, 0), (0, 20), (20, 20)):
        d.add(rect(x, y, 12, 12, BLACK, None), rect(x + 2, y + 2, 8, 8, "#9a9a9a", None),
              rect(x + 4, y + 4, 4, 4, "#ffe020", None))
    return d.svg()


# --------------------------------------------------------------------------


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
