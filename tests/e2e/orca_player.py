"""A whole game won with the keys, by a player who only listens to Orca.

The player knows the table's layout (the README's) and the keys, and nothing
else: after each key it reads what Orca spoke (the SPEECH OUTPUT lines of
Orca's debug log) and chooses its next key from that alone. It never looks at
the screen or the accessibility bus. Along the way it checks that what it
hears is true to what it did: a deal spoken is the deal found place by place,
a card put down is found there later, a result is spoken once and soon.

Usage: orca_player.py ORCA_LOG   (DISPLAY set, the game's window focused)
Prints what Orca spoke for each kind of result; exits 1 on a failure.
"""

import datetime
import re
import subprocess
import sys
import time

GRID = {
    "Top-left foundation": (1, 1), "Top of the plus": (2, 1), "Top-right foundation": (3, 1),
    "Left of the plus": (1, 2), "Centre of the plus": (2, 2), "Right of the plus": (3, 2),
    "Bottom-left foundation": (1, 3), "Bottom of the plus": (2, 3),
    "Bottom-right foundation": (3, 3), "Waste pile": (4, 3), "Stock": (5, 3),
}
DEALT = {"at the top": "Top of the plus", "at the left": "Left of the plus",
         "in the centre": "Centre of the plus", "at the right": "Right of the plus",
         "at the bottom": "Bottom of the plus"}
CARD = r"(?:Ace|Two|Three|Four|Five|Six|Seven|Knave|Knight|King) of (?:Coins|Cups|Clubs|Swords)"
RESULT = re.compile(r"(picked up|stays on its foundation|Nothing to pick up| cannot go |"
                    r"^Back on |^%s on |^Turned: |^The stock is empty)" % CARD)

heard = {}  # one example of what Orca spoke for each kind of result
latencies = []  # seconds from a key to Orca speaking its result


def fail(message, orca=None):
    print("FAIL: " + message, file=sys.stderr)
    if orca:
        for stamp, text in orca.said[-15:]:
            print("  Orca said: %s %r" % (stamp.time(), text), file=sys.stderr)
    sys.exit(1)


class Orca:
    """What Orca has spoken so far, read from its debug log as it grows."""

    LINE = re.compile(r"^(\d\d:\d\d:\d\d\.\d+) - (.*)$")
    SPOKEN = re.compile(r"^SPEECH OUTPUT: '(.*)'(?: voice=[\w-]+)? ?\{.*\}$")

    def __init__(self, path):
        self.log = open(path, encoding="utf-8", errors="replace")
        self.said = []  # (time, text)
        self.pending = None  # a logged line that may still continue
        self.partial = ""

    def read(self):
        chunk = self.log.read()
        if not chunk:
            return
        lines = (self.partial + chunk).split("\n")
        self.partial = lines.pop()
        for line in lines:
            match = self.LINE.match(line)
            if match:
                self.finish()
                self.pending = match.groups()
            elif self.pending and line.startswith(" " * 18):
                self.pending = (self.pending[0], self.pending[1] + " " + line[18:])
            else:
                self.finish()

    def finish(self):
        if not self.pending:
            return
        stamp, entry = self.pending
        self.pending = None
        spoken = self.SPOKEN.match(entry)
        if spoken:
            when = datetime.datetime.combine(datetime.date.today(),
                                             datetime.time.fromisoformat(stamp))
            self.said.append((when, spoken.group(1).strip().rstrip(".")))

    def since(self, start):
        self.read()
        return [text for when, text in self.said if when >= start]

    def wait(self, start, done, seconds=10):
        """What was said since start, once done(said) holds."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            said = self.since(start)
            if done(said):
                return said
            time.sleep(0.02)
        return None


def type_key(name):
    """A key as a hand types it: a menu's Alt is held a moment around its letter."""
    if name.startswith("alt+"):
        command = ["keydown", "alt", "sleep", "0.2", "key", name[4:], "sleep", "0.2",
                   "keyup", "alt"]
    else:
        command = ["key", name]
    subprocess.run(["xdotool"] + command, check=True)


def place_title(text):
    """The place a focus speaks of ("Stock: 35 cards left"); not the summary."""
    title = text.partition(": ")[0]
    return title if title in GRID and ": " in text and ". " not in text else None


class Player:
    def __init__(self, orca):
        self.orca = orca
        self.place = None  # where the cursor is, as last heard
        self.names = {}  # the last name heard for each place
        self.front = {}  # the card the player put on a place, while it lies there on top
        self.keys = []  # when each key was typed

    def key(self, name, done, what, seconds=10):
        """Types a key; returns what Orca said for it once done(said) holds."""
        start = datetime.datetime.now()
        self.keys.append(start)
        type_key(name)
        said = self.orca.wait(start, done, seconds)
        if said is None:
            fail("after %s, Orca never said %s" % (name, what), self.orca)
        for text in said:
            self.heard_place(text)
        results = [(w, t) for w, t in self.orca.said if w >= start and RESULT.search(t)]
        if results:
            latencies.append((results[0][0] - start).total_seconds())
        return said

    def heard_place(self, text):
        title = place_title(text)
        if not title:
            return
        self.place = title
        self.names[title] = text
        expected = self.front.get(title)
        if expected and not text.startswith("%s: %s," % (title, expected)):
            fail("%s should hold the %s on top, Orca says %r" % (title, expected, text), self.orca)

    def arrow(self, name):
        return self.key(name, lambda said: any(place_title(t) for t in said), "a place")

    def walk(self, title):
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
            self.arrow(arrow)

    def act(self, name="space", then_place=False):
        """A key that has a result, and (then_place) the place the cursor goes back to."""
        def done(said):
            told = [i for i, t in enumerate(said) if RESULT.search(t)]
            return told and (not then_place or any(place_title(t) for t in said[told[0]:]))
        said = self.key(name, done, "a result")
        return next(t for t in said if RESULT.search(t))

    def check_deal(self, sentence):
        """Walks the plus and finds the spoken deal there, place by place."""
        dealt = dict((DEALT[where], card) for card, where in
                     re.findall(r"(%s) (%s)" % (CARD, "|".join(DEALT)), sentence))
        if len(dealt) != 5:
            fail("not a deal of five: %r" % sentence, self.orca)
        self.front = dict(dealt)
        for title in ["Top of the plus", "Left of the plus", "Right of the plus",
                      "Bottom of the plus", "Centre of the plus"]:
            self.walk(title)  # heard_place compares each name with the deal
        if self.names["Centre of the plus"] != "Centre of the plus: %s, 1 card" % dealt[
                "Centre of the plus"]:
            fail("the centre is not as dealt: %r" % self.names["Centre of the plus"], self.orca)
        return dealt


def is_hint(text):
    return " can go on " in text or text.startswith("No move")


def target_of(hint):
    """The place a hint names: "... can go on the Four of Clubs, top of the plus"."""
    where = re.search(r"can go on the (?:empty |%s, )(.+)$" % CARD, hint).group(1)
    return where[0].upper() + where[1:]


def new_deal(orca, start):
    said = orca.wait(start, lambda s: any(t.startswith("New game: ") for t in s), 30)
    if not said:
        fail("a new deal was never spoken", orca)
    return next(t for t in said if t.startswith("New game: "))


def play_by_hints(player, orca):
    """Follows the hints until the game is won; returns what the win said."""
    stock = 35
    while True:
        def hinted(said):
            # A move's card is under the cursor: said so when the cursor moved.
            told = [i for i, t in enumerate(said) if is_hint(t)]
            if not told:
                return False
            card = re.match(CARD, said[told[0]])
            here = player.names.get(player.place, "")
            return not card or here.startswith("%s: %s," % (player.place, card.group(0))) \
                or any(place_title(t) for t in said[told[0]:])
        said = player.key("h", hinted, "a hint")
        hint = next(t for t in said if is_hint(t))
        if hint.startswith("No move on the table: turn the stock"):
            heard.setdefault("hint, stock", hint)
            told = player.act("t")
            stock -= 1
            expected = "%d cards left" % stock if stock > 1 else (
                "1 card left" if stock == 1 else "The stock is empty")
            if not told.startswith("Turned: ") or not told.endswith(expected):
                fail("the stock turn told %r, %s expected" % (told, expected), orca)
            heard.setdefault("stock turn", told)
            continue
        if hint.startswith("No move"):
            fail("the winnable game is stuck: %r" % hint, orca)
        heard.setdefault("hint", hint)
        card = re.match(CARD, hint).group(0)
        target = target_of(hint)
        if not player.names.get(player.place, "").startswith("%s: %s," % (player.place, card)):
            fail("the hint's card %s is not under the cursor (%s)" % (
                card, player.names.get(player.place)), orca)
        if card == "King of Swords" and stock == 0:
            heard["empty stock"] = player.act("t")
        source = player.place
        told = player.act()
        if told != card + " picked up":
            fail("Space on %s told %r" % (source, told), orca)
        heard.setdefault("pick-up", told)
        player.front.pop(source, None)
        player.walk(target)
        start = datetime.datetime.now()
        told = player.act()
        if " cannot go " in told or not told.startswith(card + " on "):
            fail("the hinted move was not taken: %r" % told, orca)
        heard.setdefault("put-down" if "foundation" in told else "put-down, plus", told)
        player.front[target] = card
        if card.startswith("Ace") and "locked ace" not in heard:
            # The ace stays where it went; the place it left is empty now.
            heard["locked ace"] = player.act()
            if heard["locked ace"] != card + " stays on its foundation":
                fail("Space on a foundation's ace told %r" % heard["locked ace"], orca)
            player.walk(source)
            heard["empty place"] = player.act()
            if heard["empty place"] != "Nothing to pick up":
                fail("Space on an empty place told %r" % heard["empty place"], orca)
        if card == "King of Swords":
            won = orca.wait(start, lambda s: any("you have won" in t for t in s) and any(
                "Altra partita?" in t for t in s))
            if not won:
                fail("the win and its question were not spoken", orca)
            return won


def main():
    orca = Orca(sys.argv[1])
    player = Player(orca)
    start = datetime.datetime.now() - datetime.timedelta(seconds=60)
    deal = new_deal(orca, start)
    heard["deal at start"] = deal

    said = player.arrow("Right")  # the first key only shows the cursor, on the centre
    if player.place != "Centre of the plus":
        fail("the cursor did not start in the centre: %r" % said, orca)
    dealt = player.check_deal(deal)

    said = player.key("KP_Enter", lambda s: any(re.fullmatch(r"\d+ of 11", t) for t in s),
                      "the place's count among the 11")
    heard["where am I"] = " / ".join(said)
    if "5 of 11" not in said:
        fail("Where Am I on the centre: %r" % said, orca)

    player.walk("Top of the plus")
    said = player.key("Up", lambda s: "Top of the plus" in s, "the edge")
    heard["edge"] = "Top of the plus"

    # A refusal, the card and the cursor going home; then a carry put back.
    told = player.act()
    heard["pick-up"] = told
    player.walk("Centre of the plus")
    told = player.act(then_place=True)
    if told != "%s cannot go on the %s, centre of the plus; back on the top of the plus" % (
            dealt["Top of the plus"], dealt["Centre of the plus"]) or \
            player.place != "Top of the plus":
        fail("a refusal told %r, the cursor on %s" % (told, player.place), orca)
    heard["refusal"] = told
    player.act()
    said = player.arrow("Right")
    heard["carrying"] = " / ".join(said)
    told = player.act("Escape", then_place=True)
    if told != "Back on the top of the plus" or player.place != "Top of the plus":
        fail("Escape told %r" % told, orca)
    heard["escape"] = told
    player.walk("Left of the plus")
    player.act()
    said = player.key("Escape", lambda s: "Back on the left of the plus" in s, "back")

    # The rules, read from the menu: the first line, the next, and back.
    said = player.key("alt+r", lambda s: any("English" in t for t in s), "the Rules menu")
    said = player.key("Return", lambda s: any("Vimbo solitaire" in t for t in s),
                      "the English rules")
    heard["rules shown"] = " / ".join(said)
    said = player.key("Down", lambda s: len([t for t in s if t != "down"]) > 0, "the next line")
    heard["rules, Down"] = " / ".join(said)
    said = player.key("Escape", lambda s: any(place_title(t) for t in s), "the cursor's place")
    if player.place != "Left of the plus":
        fail("back from the rules on %s" % player.place, orca)
    heard["rules closed"] = " / ".join(said)

    said = player.key("s", lambda s: any(t.startswith("Stock: ") for t in s), "the summary")
    summary = next(t for t in said if t.startswith("Stock: "))
    if not summary.startswith("Stock: 35 cards left. Waste pile: empty. Top-left foundation: "
                              "empty"):
        fail("the summary: %r" % summary, orca)
    heard["summary"] = summary

    won = play_by_hints(player, orca)
    heard["win"] = " / ".join(won)

    # Yes: a new game, spoken, and found as spoken.
    start = datetime.datetime.now()
    subprocess.run(["xdotool", "key", "Return"], check=True)
    deal = new_deal(orca, start)
    heard["deal after the win"] = deal
    player.check_deal(deal)

    # "Shuffle cards" from the menu deals another, spoken too.
    player.key("alt+g", lambda s: any("Shuffle cards" in t for t in s), "the Game menu")
    start = datetime.datetime.now()
    subprocess.run(["xdotool", "key", "Return"], check=True)
    deal = new_deal(orca, start)
    heard["deal after Shuffle cards"] = deal
    player.orca.wait(start, lambda s: any(place_title(t) for t in s), 5)
    player.check_deal(deal)

    # Each result once: never the same sentence twice for one key.
    time.sleep(1)
    orca.read()
    bounds = player.keys + [datetime.datetime.max]
    for begin, end in zip(bounds, bounds[1:]):
        results = [t for w, t in orca.said if begin <= w < end and RESULT.search(t)]
        if len(results) != len(set(results)):
            fail("a result spoken twice for one key: %r" % results, orca)

    for kind, text in heard.items():
        print("Orca spoke for %s: %s" % (kind, text))
    latencies.sort()
    print("results spoken %d times, %.0f ms after the key at the median, %.0f ms at the most"
          % (len(latencies), 1000 * latencies[len(latencies) // 2], 1000 * latencies[-1]))


main()
