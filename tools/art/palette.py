"""The flat colours of the deck, and what each suit wears."""

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
