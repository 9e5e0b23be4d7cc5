"""The other pictures: the card back, the opening picture and the window icon."""

from .lettering import lettering, lettering_svg
from .palette import BLACK, BLUE_DARK, GOLD, GOLD_DEEP, ORANGE, RED, RED_DARK, WHITE
from .signs import club, coin, cup, star, sword
from .svg import Doc, INK, circle, ellipse, group, num, path, place, polygon, rect, stroke_line

BACK_W, BACK_H = 64, 100
TITLE_W, TITLE_H = 410, 354
ICON_SIZE = 32

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
