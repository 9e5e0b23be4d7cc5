"""Suit signs: coin, cup, club, sword, each in a plain and an ace form.

Each is drawn around (0, 0), upright, in card pixels; place() puts it on a
card. Long signs (clubs, swords) have their head at the top.
"""

import math

from .palette import (BLUE, GOLD, GOLD_DARK, GOLD_DEEP, GOLD_LIGHT, LEAF, LEAF_DARK,
                      LEAF_LIGHT, ORANGE, RED, RED_DARK, STEEL, STEEL_DARK, STEEL_INK,
                      STEEL_LIGHT, WOOD, WOOD_DARK, WOOD_LIGHT)
from .svg import (INK, arc, circle, ellipse, group, limb, num, path, place, polygon, rect,
                  rotate_pts, stroke_line)


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
