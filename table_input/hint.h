// A hint for the player who asks: one move the rules allow now that leads,
// soonest, to a card more on the foundations or a card fewer on the waste
// pile; or, with no such move, whether the stock still has cards to turn.
#pragma once

#include "game.h"

namespace vimbo {

struct Hint {
    enum class Kind {
        Move,      // `card` from `from` to `to`, where it lies on `onto` (none: the place is empty)
        Nowhere,   // no place takes the carried `card`
        TurnStock, // nothing on the table helps: turn the stock
        NoMoveLeft // the stock is used up and nothing helps: the game is stuck
    };
    Kind kind = Kind::NoMoveLeft;
    CardValue card = kNoCard;
    Cell from; // a cell of the grid, or the waste pile's place
    Cell to;
    CardValue onto = kNoCard;
};

Hint findHint(const Game& game);
// Whether the game can go no further: the stock used up, and nothing on the
// table brings a card home or off the waste pile (what findHint calls
// NoMoveLeft). A won game is not stuck.
bool isStuck(const Game& game);
// Where a card carried from `from` may be put down: a foundation first, then
// a card of the plus, then an empty place.
Hint placeFor(const Game& game, CardValue card, Cell from);

// How many positions the search looks at before it settles for what it has
// found: a few hundredths of a second, at the worst, on the player's key.
inline constexpr int kHintSearchLimit = 20000;

} // namespace vimbo
