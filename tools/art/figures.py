"""Figures: heads, hands, the knave, the knight and the king.

Drawn at the card's own scale, flat colours with a dark edge; the silhouettes
carry the rank: the knave stands on his two legs, the knight rides a horse
across the card, the king wears a crown and a long robe.
"""

from .palette import (BEARD_GREY, BLACK, BLUE, GOLD, GOLD_DARK, GOLD_LIGHT, HAIR_BLOND,
                      HAIR_BROWN, RED, RED_DARK, SKIN, SKIN_SHADE, WHITE)
from .signs import sign, star
from .svg import (INK, circle, ellipse, group, limb, num, path, place, polygon, rect,
                  stroke_line)


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
