#include "card_handling.h"

namespace vimbo {

void CardHandling::Carta_MouseDown(CardValue index, MouseButton button, int x, int y) {
    if (m_ended) return;
    pressCard(index, button, x, y);
}

void CardHandling::pressCard(CardValue card, MouseButton button, int x, int y) {
    m_view.HidePanels();
    m_game.CardPlaced = false;
    m_game.DraggedCard = card;
    if (button != MouseButton::Left) return; // only the left button drags
    const Point at = m_view.pictureAt(card);
    // Picking up looks at the card's corner: its own cell, or column 4 for
    // the waste pile.
    const Cell source = CellAtPoint(at.left, at.top);
    if (!isUncovered(card, source)) return;
    Dragging = true;
    PickUp = at;
    m_game.SourceColumn = source.column;
    m_game.SourceRow = source.row;
    GrabX = x;
    GrabY = y;
}

bool CardHandling::isUncovered(CardValue card, Cell source) const {
    // The pointer reaches no other card, except through a button held down
    // since before a new deal: the press of another button still goes to the
    // card first pressed, wherever the deal has put it - in the stock, say,
    // which must not hand it out.
    if (source.column == kWasteColumn)
        return !m_game.WastePile.empty() && m_game.WastePile.back() == card;
    return isGridCell(source.column, source.row) &&
           m_game.topCard(source.column, source.row) == card && m_game.pictures[card].enabled;
}

void CardHandling::Carta_MouseMove(CardValue, int x, int y) {
    // The pointer passing over a card moves nothing.
    if (m_ended || !Dragging) return;
    const CardValue card = m_game.DraggedCard;
    m_game.bringToFront(card);
    m_view.raisePicture(card);
    // The point where the card was grabbed stays under the pointer.
    const Point now = m_view.pictureAt(card);
    m_view.movePicture(card, {now.left - GrabX + x, now.top - GrabY + y});
}

void CardHandling::Carta_MouseUp(CardValue, MouseButton button, int x, int y) {
    if (m_ended) return;
    releaseCard(button, x, y);
    // An accepted card goes where the rule put it; a won game may have dealt
    // a whole new table meanwhile, or ended the program.
    if (!m_ended && !Dragging) m_view.showModel();
}

void CardHandling::releaseCard(MouseButton button, int x, int y) {
    // Only the release that ends a left-button drag drops a card. The release
    // of any other press does nothing: running the drop with the last drag's
    // pick-up place would send the picture where the game does not have it.
    if (button != MouseButton::Left || !Dragging) return;
    Dragging = false;
    m_view.PlayCardRustle(); // every release rustles, taken or not
    const CardValue card = m_game.DraggedCard;
    // Dropping looks at the point under the pointer, not the card's corner.
    const Point now = m_view.pictureAt(card);
    const Cell drop = CellAtPoint(now.left + x, now.top + y);
    m_game.DropColumn = drop.column;
    m_game.DropRow = drop.row;
    if (isGridCell(drop.column, drop.row)) {
        dropOnCell(card);
        if (m_game.CardPlaced) return; // where the rule (or a new deal) put it
    }
    m_view.movePicture(card, PickUp);
}

void CardHandling::dropOnCell(CardValue card) {
    if (isFoundationCell(m_game.DropColumn, m_game.DropRow))
        m_game.Assi(card);
    else
        m_game.Decrescente(card);
}

void CardHandling::cancelDrag() {
    if (m_ended || !Dragging) return;
    Dragging = false;
    m_view.movePicture(m_game.DraggedCard, PickUp);
}

void CardHandling::Carta_Click(CardValue) {
    if (m_ended) return;
    m_view.HidePanels();
    m_view.PlayClickRustle();
}

void CardHandling::mazzo_Click() {
    if (m_ended) return;
    // The stock rustles whether or not it still has a card to turn.
    m_view.PlayCardRustle();
    if (m_game.turnStock() != kNoCard) m_view.showModel();
}

void CardHandling::HidePanels() {
    if (m_ended) return;
    m_view.HidePanels();
}

} // namespace vimbo
