// The table as assistive tools see it: a pane holding the cards in play, the
// panels, a list of the eleven places the keyboard cursor visits (the nine
// cells, the waste pile, the stock), each an accessible object that takes the
// accessible focus when the cursor reaches it, and a status bar through which
// the table tells what happened. Cards not in play (the stock's, face down)
// are not in the tree at all.
#pragma once

#include "geometry.h"

#include <QString>

#include <array>

class QAccessibleInterface;
class QWidget;

namespace vimbo {

// The places in the order the table lists them: the grid row by row, then
// the waste pile and the stock.
extern const std::array<Cell, 11> kPlaces;
int placeIndex(Cell place);

// What the places' accessible objects ask of their owner: a QObject child of
// the table that also derives from this.
class PlaceSource {
public:
    virtual ~PlaceSource() = default;
    virtual QString placeName(Cell place) const = 0;
    // Where a card lies ("at the left of the plus"), asked for when wanted:
    // a new deal moves forty cards, and forty events would drown what is told.
    virtual QString cardWhere(const QWidget* card) const = 0;
    virtual bool hasCursor(Cell place) const = 0;
    // Whether the card picture is in play, and so in the tree.
    virtual bool inPlay(const QWidget* card) const = 0;
};

// Lets assistive tools see the table as above. Call once per program.
void installTableAccessibility();

// The accessible object of a place on the given table.
QAccessibleInterface* accessiblePlace(QWidget* table, Cell place);

// Has the screen reader say the sentence once, now, whatever has the focus.
void tellScreenReader(QWidget* table, const QString& sentence);

} // namespace vimbo
