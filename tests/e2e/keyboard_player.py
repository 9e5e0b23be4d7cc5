"""A whole game won with the keys alone, as a screen-reader user plays it.

The player knows the table's layout (the README's) and nothing else: after
each key it reads only what the desktop's accessibility bus reports (which
place took the focus and its name, what the focused place's description now
tells) and decides its next key from that. It never looks at the screen.

Usage: keyboard_player.py   (DISPLAY and the session bus set, the game's
window focused)
Prints what the bus carried for each kind of event; exits 1 on a failure.
"""

import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

GRID = {
    "Top-left foundation": (1, 1), "Top of the plus": (2, 1), "Top-right foundation": (3, 1),
    "Left of the plus": (1, 2), "Centre of the plus": (2, 2), "Right of the plus": (3, 2),
    "Bottom-left foundation": (1, 3), "Bottom of the plus": (2, 3),
    "Bottom-right foundation": (3, 3), "Waste pile": (4, 3), "Stock": (5, 3),
}
FOUNDATIONS = ["Top-left foundation", "Top-right foundation",
               "Bottom-left foundation", "Bottom-right foundation"]
RANKS = ["Ace", "Two", "Three", "Four", "Five", "Six", "Seven", "Knave", "Knight", "King"]

events = []   # (kind, name, role, description) in the order the bus delivered them
names = {}    # the last name heard for each place
carried = {}  # one example of what the bus carried for each kind of change


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    for event in events[-12:]:
        print("  last events:", event, file=sys.stderr)
    sys.exit(1)


def on_event(event):
    try:
        source = event.source
        name = source.name or ""
        role = source.getRoleName()
        description = source.description or ""
    except Exception:  # the object went away meanwhile
        return
    title = name.partition(": ")[0]
    if title in GRID:
        names[title] = name
    if event.type.startswith("object:state-changed:focused"):
        if event.detail1:
            events.append(("focus", name, role, description))
    elif event.type.startswith("object:property-change:accessible-description"):
        events.append(("told", name, role, description))
    elif event.type.startswith("object:property-change:accessible-name"):
        events.append(("name", name, role, description))


for kind in ("object:state-changed:focused", "object:property-change:accessible-name",
             "object:property-change:accessible-description"):
    pyatspi.Registry.registerEventListener(on_event, kind)


def drain():
    """Takes in what the bus has delivered so far."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


read = 0  # how many of the events a wait has looked at


def wait_for(match, seconds=10):
    """The next event, since the last key, that match(event) accepts."""
    global read
    deadline = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < deadline:
        while read < len(events):
            event = events[read]
            read += 1
            if match(event):
                return event
        if not context.iteration(False):
            time.sleep(0.005)
    return None


def is_place(name):
    return name.partition(": ")[0] in GRID


def parse(name):
    """The card a place's name says is in front: (rank, suit) or None."""
    m = re.match(r"[^:]+: (\w+) of (\w+),", name)
    return (RANKS.index(m.group(1)) + 1, m.group(2)) if m else None


class Player:
    def __init__(self):
        self.place = None  # the title of the place the cursor is on

    def key(self, name):
        global read
        drain()
        del events[:]
        read = 0
        subprocess.run(["xdotool", "key", name], check=True)

    def press(self, name):
        """An arrow; returns the focus event it brought."""
        self.key(name)
        event = wait_for(lambda e: e[0] == "focus" and is_place(e[1]))
        if not event:
            fail("no place took the focus after " + name)
        self.place = event[1].partition(": ")[0]
        return event

    def walk(self, title):
        """Arrows to the place, each step checked on the bus."""
        while self.place != title:
            (c, r), (tc, tr) = GRID[self.place], GRID[title]
            if c > 3:  # waste pile or stock: along the bottom row
                arrow = "Right" if tc > c else "Left"
            elif tc > 3:
                arrow = "Down" if r < 3 else "Right"
            elif r != tr:
                arrow = "Down" if r < tr else "Up"
            else:
                arrow = "Right" if c < tc else "Left"
            self.press(arrow)

    def act(self, key="space"):
        """Space on the place; returns what was told."""
        before = self.place
        self.key(key)
        event = wait_for(lambda e: e[0] in ("told", "focus") and e[3] and is_place(e[1]))
        if not event:
            fail("Space on %s told nothing" % before)
        if event[0] == "focus":  # the cursor went back: its place is spoken with the news
            self.place = event[1].partition(": ")[0]
        return event[3]

    def carry(self, source, target):
        self.walk(source)
        told = self.act()
        if not told.endswith("picked up"):
            fail("Space on %s told %r, not a pick-up" % (source, told))
        carried.setdefault("pick-up", told)
        self.walk(target)
        return self.act()

    def home_for(self, rank, suit):
        """Visits the foundations until one would take the card."""
        for title in FOUNDATIONS:
            self.walk(title)
            front = parse(names.get(title, ""))
            if (rank == 1 and front is None) or front == (rank - 1, suit):
                return title
        fail("no foundation for the %s of %s" % (RANKS[rank - 1], suit))


def cards_in_tree():
    """The names of every card the accessible tree holds."""
    for app in pyatspi.Registry.getDesktop(0):
        if app and any(w and w.name == "Brennolt - Vimbo" for w in app):
            found = pyatspi.findAllDescendants(
                app, lambda o: re.match(r"^\w+ of \w+$", o.name or "") is not None)
            return sorted(o.name for o in found)
    fail("the program is not on the accessibility bus")


def main():
    player = Player()
    # The deal is told on the table before any key.
    dealt = wait_for(lambda e: e[0] == "told" and e[3].startswith("New game:"), 30)
    if not dealt:
        fail("the deal was never told")
    carried["deal"] = dealt[3]
    in_tree = cards_in_tree()
    on_table = sorted(re.findall(r"(\w+ of \w+) (?:at|in) the", dealt[3]))
    if in_tree != on_table:
        fail("the tree holds cards not in play: %s, dealt %s" % (in_tree, on_table))

    event = player.press("Right")  # the first key only shows the cursor
    if player.place != "Centre of the plus":
        fail("the cursor did not start in the centre: " + event[1])
    carried["focus"] = event[1]

    # A refusal first: the ace of coins cannot go on the king of swords.
    told = player.carry("Top of the plus", "Centre of the plus")
    if "cannot go on" not in told or player.place != "Top of the plus":
        fail("a refused card did not go home with the cursor: %r, %s" % (told, player.place))
    carried["refusal"] = told

    # The aces of the plus to their foundations.
    for title in ["Top of the plus", "Left of the plus", "Right of the plus",
                  "Bottom of the plus"]:
        player.walk(title)
        rank, suit = parse(names[title])
        told = player.carry(title, player.home_for(rank, suit))
        if " on " not in told or "cannot" in told:
            fail("the %s of %s was not taken: %r" % (RANKS[rank - 1], suit, told))
        carried.setdefault("drop", told)

    # Turn the stock card by card and bring each home.
    while names.get("Stock") != "Stock: empty":
        player.walk("Stock")
        told = player.act()
        if not told.endswith(" turned"):
            fail("Space on the stock told %r" % told)
        carried.setdefault("stock turn", "%s (%s)" % (told, names.get("Stock")))
        player.walk("Waste pile")
        rank, suit = parse(names["Waste pile"])
        told = player.carry("Waste pile", player.home_for(rank, suit))
        if "cannot" in told:
            fail(told)

    # The king of swords, from the centre, wins the game.
    target = player.home_for(10, "Swords")
    player.walk("Centre of the plus")
    player.act()
    player.walk(target)
    player.key("space")
    won = wait_for(lambda e: e[0] == "told" and "you have won" in e[3])
    if not won:
        fail("the win was never told")
    carried["win"] = won[3]
    question = wait_for(lambda e: e[0] == "focus" and e[2] == "push button")
    if not question:
        fail("the question after the win never took the focus")
    carried["question"] = "focus on the %s %r" % (question[2], question[1])

    # Yes: a new game, told on the place the cursor is on.
    subprocess.run(["xdotool", "search", "--name", "^Complimenti$", "windowfocus", "--sync"])
    player.key("Return")
    dealt = wait_for(lambda e: "New game:" in e[3])
    if not dealt:
        fail("the new deal after the win was never told")
    carried["new deal"] = "%s: %s" % (dealt[1], dealt[3])

    for kind, text in carried.items():
        print("bus carried for %s: %s" % (kind, text))


main()
