// One game of Vimbo as plain data: the 3 x 3 table of card stacks, the
// shuffled deck and the stock, the waste pile, where each card's picture
// belongs, which cards are locked, and the values that carry one move from the
// mouse to the placement rules. No window and no sound: the owner shows the
// pictures where this says, and supplies Finale for the end of a game.
#pragma once

#include "cards.h"
#include "geometry.h"
#include "random_source.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vimbo {

inline constexpr int kSlots = 10;

// Where a card's picture belongs and whether it can be picked up.
struct CardPicture {
    Point place = kParkedPlace;
    bool enabled = false;
    // Larger is nearer the front; raised when a card is dragged or turned.
    std::uint32_t zOrder = 0;
};

class Game {
public:
    // The table: column and row 1..3 hold cards (0 is never used), slots 1..10
    // hold a stack from the bottom up, slot 0 is always 0.
    using Stack = std::array<CardValue, kSlots + 1>;
    std::array<std::array<Stack, kGridSize + 1>, kGridSize + 1> TableGrid{};

    // Positions 1..5 are the opening deal, 6..40 the stock in turning order.
    std::array<CardValue, kCardCount + 1> ShuffledDeck{};
    // The shuffle's pool: entry v holds v until card v is drawn; entry 0 stays 0.
    std::array<CardValue, kCardCount + 1> DrawPool{};
    // The deck position of the card most recently brought into play (5..40).
    int NextDealPosition = 0;
    // How many games Mescola has dealt in this run: tells a new table from the old.
    int deals = 0;

    // The move under way.
    CardValue DraggedCard = kNoCard;
    int SourceColumn = 0; // kWasteColumn for a card taken from the waste pile
    int SourceRow = 0;
    int DropColumn = 0;
    int DropRow = 0;
    bool CardPlaced = false;

    // The cards turned from the stock, in the order turned: back() is in front.
    std::vector<CardValue> WastePile;
    // Index = card value; index 0 unused.
    std::array<CardPicture, kCardCount + 1> pictures{};
    bool stockVisible = false;

    // Runs when the fourth king reaches its foundation. It may deal a new game
    // (through the owner's new-game command) before the placement returns.
    std::function<void()> Finale;

    explicit Game(std::unique_ptr<RandomSource> random = std::make_unique<ClockRandom>());

    // The highest occupied slot of a cell, 0 when the cell is empty.
    int TopSlot(int column, int row) const;
    CardValue topCard(int column, int row) const;

    // A new table, before the deal: every card parked and pickable, the waste
    // pile gone, the stock shown.
    void parkAllCards();
    void showStock() { stockVisible = true; }

    // Shuffle the 40 cards and deal five into the plus: top, left, centre,
    // right, bottom.
    void Mescola();

    // The placement rules for a card released on the cell DropColumn, DropRow,
    // picked up from SourceColumn, SourceRow. On success they put the card on
    // the cell, take it off its old cell and set CardPlaced; on refusal they
    // change nothing. Assi: a foundation corner. Decrescente: the plus.
    void Assi(CardValue card);
    void Decrescente(CardValue card);
    // Whether the rule of the cell would take the card now, without placing
    // it: the question both rules above answer first.
    bool takes(Cell cell, CardValue card) const;

    // Turn the next stock card face up onto the waste pile, in front. Returns
    // the card, or kNoCard when the stock is used up.
    CardValue turnStock();
    int cardsLeftInStock() const { return kCardCount - NextDealPosition; }

    // A new game forgets where the last move came from and went to.
    void clearMoveCells() { SourceColumn = SourceRow = DropColumn = DropRow = 0; }

    void bringToFront(CardValue card);
    void setRandomSource(std::unique_ptr<RandomSource> random) { m_random = std::move(random); }

private:
    // The shared end of both rules once a card is accepted on top of slot k.
    void accept(CardValue card, int k);
    void removeFromSource(CardValue card);
    bool allKingsHome() const;

    std::unique_ptr<RandomSource> m_random;
    std::uint32_t m_frontZ = 0;
};

// Whether the tableau rule lets card lie on top: one rank lower and of the
// other suit length (coins and cups short, clubs and swords long). A nine goes
// on a king; nothing goes on an ace.
bool fitsOnTableau(CardValue top, CardValue card);

// The two rules on a stack: a foundation takes an ace while empty and then
// the next card of its suit up to the king; a cell of the plus takes any card
// while empty and then a card that fits on its top, up to ten cards.
int topSlotOf(const Game::Stack& stack);
bool foundationTakes(const Game::Stack& stack, CardValue card);
bool tableauTakes(const Game::Stack& stack, CardValue card);

} // namespace vimbo
