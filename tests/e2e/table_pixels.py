#!/usr/bin/env python3
"""Checks a screenshot of the table pixel by pixel, in device pixels, at a
screen scale factor: the bare table plain green everywhere no picture lies,
each card's border black all round with its face inside, each empty
foundation's outline yellow all round and hatched in sharp yellow on green,
the stock's dark frame, and a panel's border.

Usage: table_pixels.py SHOT SCALE WINDOW_X WINDOW_Y MENU ITEM...
MENU is the menu bar's height in logical pixels; an ITEM is KIND:X,Y in the
table's logical pixels (KIND card, outline, stock) or info / rules, a panel.
A logical edge u of the window lies at device pixel round(u * SCALE), as Qt
rounds a widget's edges. Prints what is wrong; exits 1 if anything is."""
import math
import subprocess
import sys

GREEN, BLACK, YELLOW = (0, 128, 0), (0, 0, 0), (255, 255, 0)
CREAM = (251, 245, 228)  # the ground of every face
SIZES = {"card": (64, 102), "outline": (62, 102), "stock": (62, 100)}
PANELS = {"info": ((140, 0, 241, 101), (224, 224, 224)), "rules": (None, (255, 255, 192))}

shot, scale = sys.argv[1], float(sys.argv[2])
wx, wy, menu = int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
# A raw shot is read as it is; any other picture (the compositor's PNG)
# through ImageMagick.
if shot.endswith(".ppm"):
    with open(shot, "rb") as f:
        ppm = f.read()
else:
    ppm = subprocess.run(["convert", shot, "-depth", "8", "ppm:-"], capture_output=True,
                         check=True).stdout
header = ppm.split(maxsplit=4)
width, height, data = int(header[1]), int(header[2]), header[4]
problems = []


def px(x, y):
    i = 3 * (y * width + x)
    return tuple(data[i : i + 3])


def edge(u):
    return math.floor(u * scale + 0.5)


def device(x, y, w, h):
    """Device pixels (left, top, right, bottom), right and bottom exclusive."""
    return wx + edge(x), wy + edge(menu + y), wx + edge(x + w), wy + edge(menu + y + h)


def ring(r, depth):
    x0, y0, x1, y1 = r[0] + depth, r[1] + depth, r[2] - 1 - depth, r[3] - 1 - depth
    for x in range(x0, x1 + 1):
        yield x, y0
        yield x, y1
    for y in range(y0 + 1, y1):
        yield x0, y
        yield x1, y


def near(c, want, slack=8):
    return all(abs(a - b) <= slack for a, b in zip(c, want))


def report(what, bad):
    if bad:
        x, y, c = bad[0]
        problems.append(f"{what}: {len(bad)} pixels, first at ({x - wx},{y - wy}) {c}")


depth_in = math.ceil(scale)  # certainly inside the first logical pixel past the border
table = device(0, 0, 400, 400 - menu)
rects, panel = [], None
for item in sys.argv[6:]:
    if item in PANELS:
        place, colour = PANELS[item]
        panel = (device(*place) if place else table, colour, item)
        continue
    kind, at = item.split(":")
    x, y = map(int, at.split(","))
    rects.append((kind, (x, y), device(x, y, *SIZES[kind])))


def covered(r):
    return panel is not None and not (
        r[2] <= panel[0][0] or r[0] >= panel[0][2] or r[3] <= panel[0][1] or r[1] >= panel[0][3])


# The bare table: nothing of a picture that is no longer there. Row by row,
# each stretch between pictures compared as a whole.
taken = [r for _, _, r in rects] + ([panel[0]] if panel else [])
bare_bad = []
green_row = bytes(GREEN) * width
for y in range(table[1], min(table[3], height)):
    cuts = sorted((r[0], r[2]) for r in taken if r[1] <= y < r[3])
    x = table[0]
    for a, b in cuts + [(min(table[2], width), None)]:
        if a > x:
            stretch = data[3 * (y * width + x) : 3 * (y * width + a)]
            if stretch != green_row[: len(stretch)]:
                bare_bad += [(i, y, px(i, y)) for i in range(x, a) if px(i, y) != GREEN]
        x = max(x, b) if b is not None else x
report("not table green on the bare table", bare_bad)

for kind, at, r in rects:
    if covered(r):
        continue
    whole = [(x, y) for y in range(r[1], r[3]) for x in range(r[0], r[2])]
    if kind == "card":
        report(f"card at {at}: border not black", [
            (x, y, px(x, y)) for x, y in ring(r, 0) if px(x, y) != BLACK])
        report(f"card at {at}: table or outline showing through", [
            (x, y, px(x, y)) for x, y in whole if px(x, y) in (GREEN, YELLOW)])
        face = list(ring(r, depth_in))
        cream = sum(near(px(x, y), CREAM) for x, y in face)
        if cream < 0.8 * len(face):
            problems.append(f"card at {at}: only {cream} of {len(face)} face-edge pixels are cream")
    elif kind == "outline":
        report(f"outline at {at}: border not yellow", [
            (x, y, px(x, y)) for x, y in ring(r, 0) if px(x, y) != YELLOW])
        report(f"outline at {at}: hatch not sharp yellow on green", [
            (x, y, px(x, y)) for x, y in whole if px(x, y) not in (GREEN, YELLOW)])
        # The hatch is the same picture at every scale: as many lines cross
        # a row of it, on the average, as on a screen at 1.
        rows = range(r[1] + depth_in, r[3] - depth_in)
        runs = 0
        for y in rows:
            row = [px(x, y) == YELLOW for x in range(r[0] + depth_in, r[2] - depth_in)]
            runs += sum(1 for i, on in enumerate(row) if on and (i == 0 or not row[i - 1]))
        if not 10 <= runs / len(rows) <= 14:
            problems.append(f"outline at {at}: {runs / len(rows):.1f} hatch lines across a row, not about 12")
    elif kind == "stock":
        report(f"stock at {at}: frame not dark", [
            (x, y, px(x, y)) for x, y in ring(r, 0) if max(px(x, y)) > 60])
        report(f"stock at {at}: table showing through", [
            (x, y, px(x, y)) for x, y in whole if px(x, y) == GREEN])

if panel:
    r, colour, name = panel
    edges = [(x, y) for x, y in ring(r, 0) if x < wx + edge(400) and y < wy + edge(400)]
    report(f"{name} panel: border not black", [(x, y, px(x, y)) for x, y in edges if px(x, y) != BLACK])
    # The left half of the inner edge: clear of the text and the scroll bar.
    inner = [(x, y) for x, y in ring(r, depth_in) if x < (r[0] + r[2]) // 2 and y < r[1] + 6 * scale
             or x == r[0] + depth_in]
    ground = sum(px(x, y) == colour for x, y in inner)
    if ground < 0.8 * len(inner):
        problems.append(f"{name} panel: only {ground} of {len(inner)} pixels inside the border are its ground")

for p in problems:
    print(p)
sys.exit(1 if problems else 0)
