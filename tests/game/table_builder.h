// Small helpers for laying out a table by hand and making a move the way the
// mouse does: pick the card up where its picture lies, drop it on a cell.
#pragma once

#include "game.h"

#include <initializer_list>

namespace vimbo::testing {

// Named cards read better in the rule tables than bare values.
constexpr CardValue coins(int rank) {
    return static_cast<CardValue>(rank);
}
constexpr CardValue cups(int rank) {
    return static_cast<CardValue>(10 + rank);
}
constexpr CardValue clubs(int rank) {
    return static_cast<CardValue>(20 + rank);
}
constexpr CardValue swords(int rank) {
    return static_cast<CardValue>(30 + rank);
}

// Stacks the cards bottom-up on a cell, as if they had been played there.
inline void stack(Game& game, int column, int row, std::initializer_list<CardValue> cards) {
    int slot = game.TopSlot(column, row);
    for (CardValue card : cards) {
        game.TableGrid[column][row][++slot] = card;
        game.pictures[card].place = CellOrigin(column, row);
        game.pictures[card].enabled = !(isFoundationCell(column, row) && slot == 1);
        game.bringToFront(card);
    }
}

// Press on the card where it lies, drag it over the cell, release: the rule of
// that cell decides. Returns whether the card was placed.
inline bool move(Game& game, CardValue card, int column, int row) {
    game.CardPlaced = false;
    game.DraggedCard = card;
    const Point from = game.pictures[card].place;
    const Cell source = CellAtPoint(from.left, from.top);
    game.SourceColumn = source.column;
    game.SourceRow = source.row;
    game.bringToFront(card);
    game.DropColumn = column;
    game.DropRow = row;
    if (isFoundationCell(column, row))
        game.Assi(card);
    else
        game.Decrescente(card);
    return game.CardPlaced;
}

} // namespace vimbo::testing
