// What a screen reader says about the table: each card by name ("Three of
// Cups") with where it lies ("on the top-left foundation"), and the stock with
// the cards left in it.
#pragma once

#include "geometry.h"

#include <QString>

namespace vimbo {

QString cardName(int card);
QString placeDescription(Point place);
QString stockName(int cardsLeft);

// Makes the stock, which is painted on the table rather than being a widget of
// its own, a clickable item for assistive tools. Call once per program.
void installTableAccessibility();

} // namespace vimbo
