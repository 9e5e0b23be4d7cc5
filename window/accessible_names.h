// What a screen reader says about the table: each card by name ("Three of
// Cups") with where it lies ("on the top-left foundation"), each place the
// keyboard cursor visits by what lies there ("Centre of the plus: Three of
// Cups, 2 cards"), and what each key did ("Three of Cups picked up").
#pragma once

#include "game.h"
#include "geometry.h"
#include "table_keys.h"

#include <QString>
#include <QStringList>

namespace vimbo {

QString cardName(int card);
QString placeDescription(Point place);

// "Centre of the plus", "Top-left foundation", "Waste pile", "Stock".
QString placeTitle(Cell place);
// The title with what lies there: the front card and the count, or "empty".
QString placeName(Cell place, const Game& game);

// What to tell after a key; empty when there is nothing to tell.
QString toldAfter(const KeyOutcome& outcome);
// The five cards of a new deal, and the end of a won game.
QString toldDeal(const Game& game);
QString toldWin(const Game& game);

} // namespace vimbo
