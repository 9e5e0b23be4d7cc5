"""Number cards: where the signs go.

Round signs (coins, cups) follow the patterns a player counts at a glance;
long signs (clubs, swords) stand side by side while there is room and lean in
pairs when there are more.
"""

from .signs import coin, cup, sign
from .svg import place

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
