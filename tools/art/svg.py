"""SVG writing: numbers, elements, the document with its gradients.

Every picture is built from these few drawing functions. Coordinates are
written with at most two decimals, so the same drawing always gives the same
bytes.
"""

import math


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
