// The one road from a player's gesture to the rules. The mouse and the keys
// alike press, drag, release and click card pictures, click the stock, cancel
// a drag and touch the table (which hides the panels); this class decides what
// each means, asks the game and tells the window what to draw and sound. The
// player presses a card with the left button, drags it (it follows the pointer
// in front of every other card) and lets go over a cell: the cell's rule
// decides, and a card no rule takes jumps back to where it was picked up.
// Qt-free: the window passes the events in and lends the pictures.
#pragma once

#include "game.h"

namespace vimbo {

// What the window does for the table: it holds the pictures, draws and sounds.
class TableView {
public:
    virtual ~TableView() = default;
    // Where a card's picture lies now (while it is dragged, only the picture knows).
    virtual Point pictureAt(CardValue card) const = 0;
    virtual void movePicture(CardValue card, Point place) = 0;
    virtual void raisePicture(CardValue card) = 0;
    // Every picture and the stock where the game says they are.
    virtual void showModel() = 0;
    virtual void HidePanels() = 0;
    virtual void PlayCardRustle() = 0;
    virtual void PlayClickRustle() = 0;
};

enum class MouseButton { Left, Right, Middle, Other };

class CardHandling {
public:
    CardHandling(Game& game, TableView& view) : m_game(game), m_view(view) {}

    // x, y: pixels from the top-left corner of the pressed card's face, also
    // when the pointer has left it.
    void Carta_MouseDown(CardValue index, MouseButton button, int x, int y);
    void Carta_MouseMove(CardValue index, int x, int y);
    void Carta_MouseUp(CardValue index, MouseButton button, int x, int y);
    // A left press and release on the same card, after the release.
    void Carta_Click(CardValue index);
    // The stock turns its next card onto the waste pile, with a rustle.
    void mazzo_Click();
    // Ends a drag with no drop and no sound: the picture goes back to where
    // it was picked up (Escape on a card carried from the keyboard).
    void cancelDrag();
    // A touch of the bare table, a key on it, a menu: the panels go.
    void HidePanels();
    // A new deal: a card still held belongs to the old table, and its
    // release will drop nothing.
    void forgetDrag() { Dragging = false; }

    // The program has been told to end: no gesture reaches the game after that.
    void end() { m_ended = true; }
    bool ended() const { return m_ended; }

    Point pictureAt(CardValue card) const { return m_view.pictureAt(card); }

    // The drag in progress and where it began.
    bool Dragging = false;
    int GrabX = 0;
    int GrabY = 0;
    Point PickUp;

private:
    void pressCard(CardValue card, MouseButton button, int x, int y);
    void releaseCard(MouseButton button, int x, int y);
    // Only an uncovered card is picked up: the top of a cell (a locked ace
    // aside) or the front of the waste pile.
    bool isUncovered(CardValue card, Cell source) const;
    void dropOnCell(CardValue card);

    Game& m_game;
    TableView& m_view;
    bool m_ended = false;
};

} // namespace vimbo
