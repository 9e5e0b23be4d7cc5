#include "table_keys.h"

namespace vimbo {

namespace {

using What = KeyOutcome::What;

// The bottom row runs on past the grid: the waste pile, then the stock.
int lastColumn(int row) {
    return row == kGridSize ? kStockCell.column : kGridSize;
}

bool lies(Point card, Point pointer) {
    const int x = pointer.left - card.left;
    const int y = pointer.top - card.top;
    return x >= 0 && x < kCardWidth && y >= 0 && y < kCardHeight;
}

} // namespace

Point placeOrigin(Cell place) {
    if (isWasteCell(place)) return kWastePilePlace;
    if (isStockCell(place)) return kStockPlace;
    return CellOrigin(place.column, place.row);
}

Point TableKeys::pointerOver(Cell place) {
    // The middle of the place: inside the cell under every drop rule, and
    // inside the card lying there.
    const Point origin = placeOrigin(place);
    return {origin.left + kCardWidth / 2 - 1, origin.top + kCardHeight / 2};
}

KeyOutcome TableKeys::press(TableKey key) {
    // A carry that ended elsewhere (a new deal took the card away) is over.
    if (m_carried != kNoCard && !m_hand.Dragging) m_carried = kNoCard;
    // While the mouse holds a card, the keys leave it alone.
    if (m_carried == kNoCard && m_hand.Dragging) return outcome(What::Ignored);
    m_hand.HidePanels(); // every key on the table, as every press
    // The summary tells and changes nothing: not even the cursor shows.
    if (key == TableKey::Summary) return outcome(What::Summary);
    if (key == TableKey::Hint) return hint();
    if (!m_shown) {
        m_shown = true;
        return outcome(What::CursorShown);
    }
    switch (key) {
    case TableKey::Left:
        return move(-1, 0);
    case TableKey::Right:
        return move(1, 0);
    case TableKey::Up:
        return move(0, -1);
    case TableKey::Down:
        return move(0, 1);
    case TableKey::Act:
        return act();
    case TableKey::Cancel:
        return cancel();
    case TableKey::TurnStock:
        if (m_carried != kNoCard) return outcome(What::Ignored);
        return turnStock();
    case TableKey::Summary:
    case TableKey::Hint:
        break;
    }
    return outcome(What::Ignored);
}

KeyOutcome TableKeys::move(int dColumn, int dRow) {
    const Cell to{m_cursor.column + dColumn, m_cursor.row + dRow};
    // Up and down stay on the grid; at an edge the cursor stays put.
    const bool onGrid = dRow == 0 || m_cursor.column <= kGridSize;
    if (!onGrid || to.column < 1 || to.row < 1 || to.row > kGridSize ||
        to.column > lastColumn(to.row))
        return outcome(What::Stayed, m_carried);
    m_cursor = to;
    if (m_carried != kNoCard) {
        const Point at = m_hand.pictureAt(m_carried);
        const Point pointer = pointerOver(to);
        m_hand.Carta_MouseMove(m_carried, pointer.left - at.left, pointer.top - at.top);
    }
    return outcome(What::Moved, m_carried);
}

KeyOutcome TableKeys::act() {
    if (m_carried != kNoCard) return putDown();
    if (isStockCell(m_cursor)) return turnStock();
    return pickUp();
}

CardValue TableKeys::frontCard(Cell place) const {
    if (isWasteCell(place)) return m_game.WastePile.empty() ? kNoCard : m_game.WastePile.back();
    if (!isGridCell(place.column, place.row)) return kNoCard;
    return m_game.topCard(place.column, place.row);
}

KeyOutcome TableKeys::pickUp() {
    const CardValue card = frontCard(m_cursor);
    if (card == kNoCard) return outcome(What::NothingToPickUp);
    // A locked ace's picture takes no press; the mouse could not lift it either.
    if (!isWasteCell(m_cursor) && !m_game.pictures[card].enabled)
        return outcome(What::Locked, card);
    // The press is made where the pointer will hold the card lifted: once it
    // is carried over a place, it hangs up and left of the place's card.
    const Point at = m_hand.pictureAt(card);
    const Point pointer = pointerOver(m_cursor);
    m_hand.Carta_MouseDown(card, MouseButton::Left, pointer.left - at.left + kLift.left,
                           pointer.top - at.top + kLift.top);
    if (!m_hand.Dragging) return outcome(What::NothingToPickUp);
    m_carried = card;
    m_origin = m_cursor;
    // Lifted where it lies, in front of every other card.
    const Point now = m_hand.pictureAt(card);
    m_hand.Carta_MouseMove(card, pointer.left - now.left, pointer.top - now.top);
    return outcome(What::PickedUp, card);
}

KeyOutcome TableKeys::putDown() {
    const CardValue card = m_carried;
    const Cell target = m_cursor;
    const CardValue top = frontCard(target);
    const int deal = m_game.deals;
    const Point pointer = pointerOver(target);
    const Point at = m_hand.pictureAt(card);
    m_hand.Carta_MouseUp(card, MouseButton::Left, pointer.left - at.left, pointer.top - at.top);
    m_carried = kNoCard;
    // The fourth king won the game, and the answer dealt a new one.
    if (m_game.deals != deal) return outcome(What::NewDeal, card, top, target);
    const bool placed = m_game.CardPlaced;
    // As with the mouse, a click follows when the release lands on the card
    // where it now lies: on the cell that took it, or back at home.
    const Point now = placed ? m_game.pictures[card].place : m_hand.pictureAt(card);
    if (lies(now, pointer)) m_hand.Carta_Click(card);
    if (placed) return outcome(What::Placed, card, top, target);
    const bool ownPlace = target == m_origin;
    m_cursor = m_origin; // the cursor goes back with the card
    if (!isGridCell(target.column, target.row) || ownPlace)
        return outcome(What::Returned, card, kNoCard, target);
    return outcome(What::Refused, card, top, target);
}

KeyOutcome TableKeys::turnStock() {
    const int before = m_game.NextDealPosition;
    // A stock used up is bare table: a click there turns nothing and is silent.
    if (!m_game.stockVisible) return outcome(What::StockEmpty);
    m_hand.mazzo_Click();
    if (m_game.NextDealPosition == before) return outcome(What::StockEmpty);
    return outcome(What::StockTurned, m_game.WastePile.back());
}

KeyOutcome TableKeys::cancel() {
    if (m_carried == kNoCard) return outcome(What::Ignored);
    const CardValue card = m_carried;
    m_hand.cancelDrag();
    m_carried = kNoCard;
    m_cursor = m_origin;
    return outcome(What::Cancelled, card, kNoCard, m_origin);
}

KeyOutcome TableKeys::hint() {
    KeyOutcome told = outcome(What::Hinted);
    if (m_carried != kNoCard) {
        // Carrying: where this card may go; the cursor stays with it.
        told.hint = placeFor(m_game, m_carried, m_origin);
        return told;
    }
    told.hint = findHint(m_game);
    if (told.hint.kind == Hint::Kind::Move) {
        m_shown = true;
        m_cursor = told.hint.from;
        told.place = m_cursor;
    }
    return told;
}

void TableKeys::hideCursor() {
    if (m_carried != kNoCard && m_hand.Dragging) {
        m_hand.cancelDrag();
        m_cursor = m_origin;
    }
    m_carried = kNoCard;
    m_shown = false;
}

} // namespace vimbo
