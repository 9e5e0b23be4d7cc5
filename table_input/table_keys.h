// Playing from the keyboard. A cursor visits the table's places: the nine
// cells of the grid and, right of its bottom row, the waste pile and then the
// stock. Space or Return picks up the front card of a place, the arrows carry
// it, Space or Return puts it down, Escape puts it back untouched; on the stock
// the same key turns a card. Two keys only tell: the whole table, and a hint
// (which takes the cursor to the card it names). Every key stands for a mouse gesture and reaches
// the same card handling the mouse does, so the rules, the state and the sounds are
// the mouse's own. Qt-free: the window forwards the keys and draws the cursor.
#pragma once

#include "card_handling.h"
#include "game.h"
#include "hint.h"

#include <cstdint>

namespace vimbo {

// The places right of the grid, on its bottom row.
inline constexpr Cell kWasteCell{kWasteColumn, kGridSize};
inline constexpr Cell kStockCell{kWasteColumn + 1, kGridSize};

constexpr bool isWasteCell(Cell place) {
    return place == kWasteCell;
}
constexpr bool isStockCell(Cell place) {
    return place == kStockCell;
}

// Where a place's card (or the stock) lies on the table.
Point placeOrigin(Cell place);

enum class TableKey { Left, Right, Up, Down, Act, Cancel, TurnStock, Summary, Hint };

// What a key did, for the window to show and to tell.
struct KeyOutcome {
    enum class What {
        Ignored,     // not for the table now (a mouse drag is under way)
        CursorShown, // the first key only shows the cursor
        Moved,       // the cursor (and a carried card) went to another place
        Stayed,      // an arrow at the table's edge
        PickedUp,
        NothingToPickUp, // an empty place
        Locked,          // an ace locked on its foundation
        Placed,          // a rule took the card; `under` is the card it lies on
        Refused,         // no rule took it; it went back, the cursor with it
        Returned,        // put down off the grid (waste pile, stock): back it went
        Cancelled,       // Escape: back, with no rule run and no sound
        StockTurned,     // `card` is the card turned
        StockEmpty,
        NewDeal, // the put-down won the game and a new one was dealt meanwhile
        Summary, // the whole table, to be told
        Hinted,  // `hint` found; a move's card is under the cursor now
    };
    What what = What::Ignored;
    CardValue card = kNoCard;
    CardValue under = kNoCard;
    Cell place;  // where the cursor is now
    Cell target; // where a put-down was aimed
    Hint hint;
};

class TableKeys {
public:
    // Every key stands for a gesture of the mouse, made on `hand`.
    TableKeys(const Game& game, CardHandling& hand) : m_game(game), m_hand(hand) {}

    KeyOutcome press(TableKey key);
    // A mouse press takes over: the cursor goes, and a carried card goes back.
    void hideCursor();

    bool cursorShown() const { return m_shown; }
    Cell cursor() const { return m_cursor; }
    // The card carried from the keyboard: none once its drag is over, however it ended.
    CardValue carried() const { return m_hand.Dragging ? m_carried : kNoCard; }

    // Where the pointer a key stands for lies over a place, and how far a
    // carried card is lifted from the place it would drop on (up and left).
    static Point pointerOver(Cell place);
    static constexpr Point kLift{5, 6};

private:
    KeyOutcome move(int dColumn, int dRow);
    KeyOutcome act();
    KeyOutcome pickUp();
    KeyOutcome putDown();
    KeyOutcome turnStock();
    KeyOutcome cancel();
    KeyOutcome hint();
    // The card a press at the place would take, kNoCard for none.
    CardValue frontCard(Cell place) const;
    KeyOutcome outcome(KeyOutcome::What what, CardValue card = kNoCard, CardValue under = kNoCard,
                       Cell target = {}) const {
        return {what, card, under, m_cursor, target, {}};
    }

    const Game& m_game;
    CardHandling& m_hand;
    bool m_shown = false;
    Cell m_cursor{2, 2}; // the centre of the plus
    CardValue m_carried = kNoCard;
    Cell m_origin; // where the carried card was picked up
};

} // namespace vimbo
