"""Faces: one function per card kind, then the 40 cards."""

from .figures import king, knave, knight
from .lettering import numeral
from .numbers import number_signs
from .palette import CREAM, SUITS
from .signs import club_ace, coin_ace, cup_ace, sword_ace
from .svg import Doc, group, place, rect

FACE_W, FACE_H = 62, 100

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
