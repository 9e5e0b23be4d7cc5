#include "game.h"

#include <algorithm>
#include <cmath>

namespace vimbo {

namespace {

// The opening deal fills the plus in this order: top, left, centre, right, bottom.
constexpr std::array<Cell, 5> kDealCells{{{2, 1}, {1, 2}, {2, 2}, {3, 2}, {2, 3}}};
constexpr std::array<Cell, 4> kFoundations{{{1, 1}, {3, 1}, {1, 3}, {3, 3}}};

// The four kings add up to 10 + 20 + 30 + 40; a foundation's tenth slot can
// only hold its own king, so this sum means every suit is complete.
constexpr int kAllKingsSum = 100;

} // namespace

Game::Game(std::unique_ptr<RandomSource> random) : m_random(std::move(random)) {}

int topSlotOf(const Game::Stack& stack) {
    for (int slot = kSlots; slot >= 1; --slot) {
        if (stack[slot] != kNoCard) return slot;
    }
    return 0;
}

int Game::TopSlot(int column, int row) const {
    return topSlotOf(TableGrid[column][row]);
}

CardValue Game::topCard(int column, int row) const {
    return TableGrid[column][row][TopSlot(column, row)];
}

void Game::parkAllCards() {
    for (int v = 1; v <= kCardCount; ++v)
        pictures[v].place = kParkedPlace;
    WastePile.clear();
}

void Game::Mescola() {
    for (auto& column : TableGrid)
        for (auto& stack : column)
            stack.fill(kNoCard);

    for (int v = 1; v <= kCardCount; ++v) {
        DrawPool[v] = static_cast<CardValue>(v);
        pictures[v].enabled = true; // unlocks last game's foundation aces
    }
    DrawPool[0] = kNoCard;

    m_random->reseed();
    for (int i = 1; i <= kCardCount; ++i) {
        // Draw until the pool still holds the card drawn: a 0 or a card dealt
        // before is thrown away, so each remaining card is equally likely.
        int r = 0;
        do {
            r = static_cast<int>(std::floor(m_random->uniform() * (kCardCount + 1)));
        } while (r < 0 || r > kCardCount || DrawPool[r] == kNoCard);

        const CardValue card = DrawPool[r];
        ShuffledDeck[i] = card;
        DrawPool[r] = kNoCard;
        if (i <= static_cast<int>(kDealCells.size())) {
            const Cell cell = kDealCells[i - 1];
            TableGrid[cell.column][cell.row][1] = card;
            pictures[card].place = CellOrigin(cell.column, cell.row);
        }
    }
    NextDealPosition = static_cast<int>(kDealCells.size());
    ++deals;
}

void Game::Assi(CardValue card) {
    if (!foundationTakes(TableGrid[DropColumn][DropRow], card)) return;
    // An ace laid on a foundation is locked there for the rest of the game,
    // so a foundation never changes its suit.
    if (isAce(card)) pictures[card].enabled = false;
    accept(card, TopSlot(DropColumn, DropRow));

    if (allKingsHome() && Finale) Finale();
}

void Game::Decrescente(CardValue card) {
    if (!tableauTakes(TableGrid[DropColumn][DropRow], card)) return;
    accept(card, TopSlot(DropColumn, DropRow));
}

bool Game::takes(Cell cell, CardValue card) const {
    if (!isGridCell(cell.column, cell.row)) return false;
    const Stack& stack = TableGrid[cell.column][cell.row];
    return isFoundationCell(cell.column, cell.row) ? foundationTakes(stack, card)
                                                   : tableauTakes(stack, card);
}

bool foundationTakes(const Game::Stack& stack, CardValue card) {
    if (isAce(card)) return stack[1] == kNoCard; // one suit per foundation
    const int k = topSlotOf(stack);
    if (k == 0) return false;      // an empty foundation takes only an ace
    if (k == kSlots) return false; // complete up to the king
    // Suit values are consecutive, so "one more" is the next rank of the same suit.
    return card == stack[k] + 1;
}

bool tableauTakes(const Game::Stack& stack, CardValue card) {
    const int k = topSlotOf(stack);
    if (k == kSlots) return false;
    // An empty cell of the plus takes any card.
    return k == 0 || fitsOnTableau(stack[k], card);
}

void Game::accept(CardValue card, int k) {
    pictures[card].place = CellOrigin(DropColumn, DropRow);
    CardPlaced = true;
    TableGrid[DropColumn][DropRow][k + 1] = card;
    removeFromSource(card);
}

void Game::removeFromSource(CardValue card) {
    if (SourceColumn == kWasteColumn) {
        // The card was the front one of the waste pile; the one turned before
        // it comes to the front.
        const auto it = std::find(WastePile.begin(), WastePile.end(), card);
        if (it != WastePile.end()) WastePile.erase(it);
        return;
    }
    if (!isGridCell(SourceColumn, SourceRow)) return;
    // The moved card was the top of its old cell: take the top off.
    const int top = TopSlot(SourceColumn, SourceRow);
    if (top > 0) TableGrid[SourceColumn][SourceRow][top] = kNoCard;
}

bool Game::allKingsHome() const {
    int sum = 0;
    for (const Cell cell : kFoundations)
        sum += TableGrid[cell.column][cell.row][kSlots];
    return sum == kAllKingsSum;
}

CardValue Game::turnStock() {
    if (!stockVisible || NextDealPosition >= kCardCount) return kNoCard;
    ++NextDealPosition;
    const CardValue card = ShuffledDeck[NextDealPosition];
    pictures[card].place = kWastePilePlace;
    WastePile.push_back(card);
    bringToFront(card);
    if (NextDealPosition == kCardCount) stockVisible = false;
    return card;
}

void Game::bringToFront(CardValue card) {
    pictures[card].zOrder = ++m_frontZ;
}

bool fitsOnTableau(CardValue top, CardValue card) {
    // A king is the highest rank: it opens an empty cell of the plus but never
    // goes on another card (the remainder arithmetic alone would let it onto an ace).
    if (isKing(card)) return false;
    // A king's remainder is 0; looking at it as "value minus one" lets a nine
    // match it and also sorts the king into its suit's length group.
    const int a = isNine(card) ? 1 : 0;
    const int t = top - a;
    return t % kSuitSize == (card - a) % kSuitSize + 1 && LengthGroup(card) != LengthGroup(t);
}

} // namespace vimbo
