// What the table says to a player who listens: every card by name ("Three of
// Cups"), every place the keyboard cursor visits by what lies there ("Centre
// of the plus: Three of Cups, 2 cards"), what each key did ("Three of Cups
// picked up"), a new deal, the win, the whole table in one go and a hint.
// Plain text, for the window to hand to the screen reader.
#pragma once

#include "game.h"
#include "hint.h"
#include "table_keys.h"

#include <string>

namespace vimbo {

std::string cardName(CardValue card);

// "Centre of the plus", "Top-left foundation", "Waste pile", "Stock".
std::string placeTitle(Cell place);
// The title with what lies there: the front card and the count, or "empty".
std::string placeName(Cell place, const Game& game);
// Where a card's picture lies, inside a sentence: "in the centre of the
// plus", "on the waste pile", "not in play".
std::string cardWhere(Point picture);

// What to say after a key; empty when the place the cursor lands on says it all.
std::string toldAfter(const KeyOutcome& outcome, const Game& game);
// The five cards of a new deal, and the end of a won game.
std::string toldDeal(const Game& game);
std::string toldWin(const Game& game);
// Stock, waste pile, the four foundations and the five places of the plus.
std::string tableSummary(const Game& game);
std::string toldHint(const Hint& hint);

} // namespace vimbo
