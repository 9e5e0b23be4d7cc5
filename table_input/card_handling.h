// What a press, a drag, a release and a click on a card picture mean. The
// player presses a card with the left button, drags it (it follows the pointer
// in front of every other card) and lets go over a cell: the cell's rule
// decides, and a card no rule takes jumps back to where it was picked up.
// Qt-free: the window passes the events in and lends the pictures.
#pragma once

#include "game.h"

namespace vimbo {

// What the handlers need from the window.
class CardTable {
public:
    virtual ~CardTable() = default;
    // Where a card's picture lies now (while it is dragged, only the picture knows).
    virtual Point pictureAt(CardValue card) const = 0;
    virtual void movePicture(CardValue card, Point place) = 0;
    virtual void raisePicture(CardValue card) = 0;
    virtual void HidePanels() = 0;
    virtual void PlayCardRustle() = 0;
    virtual void PlayClickRustle() = 0;
};

enum class MouseButton { Left, Right, Middle, Other };

class CardHandling {
public:
    CardHandling(Game& game, CardTable& table) : m_game(game), m_table(table) {}

    // x, y: pixels from the top-left corner of the pressed card's face, also
    // when the pointer has left it.
    void Carta_MouseDown(CardValue index, MouseButton button, int x, int y);
    void Carta_MouseMove(CardValue index, int x, int y);
    void Carta_MouseUp(CardValue index, MouseButton button, int x, int y);
    // A left press and release on the same card, after the release.
    void Carta_Click(CardValue index);
    // Ends a drag with no drop and no sound: the picture goes back to where
    // it was picked up (Escape on a card carried from the keyboard).
    void cancelDrag();

    // The drag in progress and where it began.
    bool Dragging = false;
    int GrabX = 0;
    int GrabY = 0;
    Point PickUp;

private:
    // Only an uncovered card is picked up: the top of a cell (a locked ace
    // aside) or the front of the waste pile.
    bool isUncovered(CardValue card, Cell source) const;
    void dropOnCell(CardValue card);

    Game& m_game;
    CardTable& m_table;
};

} // namespace vimbo
