#include "table_keyboard.h"

#include "table_cursor.h"
#include "table_words.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QTimer>

#include <utility>

namespace vimbo {

namespace {

using What = KeyOutcome::What;

bool keyFor(const QKeyEvent* event, TableKey& key) {
    // Alt and Ctrl combinations belong to the menus, and the keypad to the
    // screen reader (Orca's Where Am I is its Enter, its review keys the
    // arrows); a slow machine may let one of those through to the program.
    if (event->modifiers() &
        (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier | Qt::KeypadModifier))
        return false;
    static const std::pair<int, TableKey> keys[] = {
        {Qt::Key_Left, TableKey::Left},
        {Qt::Key_Right, TableKey::Right},
        {Qt::Key_Up, TableKey::Up},
        {Qt::Key_Down, TableKey::Down},
        {Qt::Key_Space, TableKey::Act},
        {Qt::Key_Return, TableKey::Act},
        {Qt::Key_Escape, TableKey::Cancel},
        {Qt::Key_T, TableKey::TurnStock}, // turns a card wherever the cursor is
        {Qt::Key_S, TableKey::Summary},   // says the whole table
        {Qt::Key_H, TableKey::Hint},      // names a move, the cursor on its card
    };
    for (const auto& [qtKey, tableKey] : keys) {
        if (event->key() != qtKey) continue;
        key = tableKey;
        return true;
    }
    return false;
}

QRect placeRect(Cell place) {
    const Point origin = placeOrigin(place);
    return {origin.left, origin.top, kCardWidth, kCardHeight};
}

void notify(QAccessibleInterface* item, QAccessible::Event type) {
    if (!item) return;
    QAccessibleEvent event(item, type);
    QAccessible::updateAccessibility(&event);
}

} // namespace

TableKeyboard::TableKeyboard(const KeyboardTable& parts)
    : QObject(parts.table), m_parts(parts), m_keys(parts.game, parts.hand),
      m_frame(new CursorFrame(parts.table)), m_shadow(new CardShadow(parts.table)) {
    parts.table->setFocusPolicy(Qt::StrongFocus);
    parts.table->setFocus();
    parts.table->installEventFilter(this);
    for (int v = 1; v <= kCardCount; ++v)
        parts.cards[v]->installEventFilter(this);
    // The end of a won game is told before the question comes up (Finale
    // itself shows the king on its foundation first).
    parts.game.Finale = [this, finale = std::move(parts.game.Finale)] {
        say(toldWin(m_parts.game));
        if (finale) finale();
    };
}

bool TableKeyboard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && m_keys.cursorShown()) {
        // The mouse takes over; its press goes on as ever.
        m_keys.hideCursor();
        drawCursor();
        notify(QAccessible::queryAccessibleInterface(m_parts.table), QAccessible::Focus);
    }
    if (event->type() == QEvent::FocusIn && watched == m_parts.table) {
        // Back from a menu, a panel or the question after a win: Qt speaks
        // for the table itself first; the cursor's place is told after that.
        QTimer::singleShot(0, this, &TableKeyboard::focusCursor);
    }
    if (event->type() == QEvent::KeyPress && watched == m_parts.table)
        return keyPressed(static_cast<const QKeyEvent*>(event));
    return false;
}

bool TableKeyboard::keyPressed(const QKeyEvent* event) {
    TableKey key{};
    if (!keyFor(event, key)) return false;
    if (m_parts.hand.ended()) return true;
    if (key == TableKey::Cancel && panelShown() && m_keys.carried() == kNoCard) {
        m_parts.hand.HidePanels(); // Escape closes a panel
        return true;
    }
    const Cell before = m_keys.cursor();
    const bool wasShown = m_keys.cursorShown();
    const KeyOutcome outcome = m_keys.press(key);
    if (m_parts.hand.ended()) return true;
    drawCursor();
    tell(outcome, wasShown ? before : Cell{});
    return true;
}

bool TableKeyboard::panelShown() const {
    const help::Panels& panels = *m_parts.panels;
    return panels.Text2->isVisible() || panels.Text3->isVisible() || panels.Text4->isVisible();
}

void TableKeyboard::tell(const KeyOutcome& outcome, Cell before) {
    if (outcome.what == What::Ignored) return;
    // After a win the new deal has been told already; the place comes after.
    if (outcome.what != What::NewDeal) say(toldAfter(outcome, m_parts.game));
    if (outcome.place != before || outcome.what == What::NewDeal) focusCursor();
}

void TableKeyboard::say(const std::string& sentence) {
    tellScreenReader(m_parts.table, QString::fromStdString(sentence));
}

void TableKeyboard::focusCursor() {
    if (!m_keys.cursorShown()) return;
    notify(accessiblePlace(m_parts.table, m_keys.cursor()), QAccessible::Focus);
}

void TableKeyboard::modelShown() {
    describeCards();
    for (std::size_t i = 0; i < kPlaces.size(); ++i) {
        const QString name = placeName(kPlaces[i]);
        if (name == m_toldNames[i]) continue;
        m_toldNames[i] = name;
        notify(accessiblePlace(m_parts.table, kPlaces[i]), QAccessible::NameChanged);
    }
    if (m_parts.game.deals != m_toldDeal) {
        m_toldDeal = m_parts.game.deals;
        say(toldDeal(m_parts.game));
    }
    // Whether the game is stuck is told after what the key or the mouse did.
    if (!m_stuckCheckDue && m_toldStuck != m_parts.game.deals) {
        m_stuckCheckDue = true;
        QTimer::singleShot(0, this, &TableKeyboard::tellIfStuck);
    }
    drawCursor();
}

void TableKeyboard::tellIfStuck() {
    m_stuckCheckDue = false;
    if (m_parts.hand.ended() || m_toldStuck == m_parts.game.deals || !isStuck(m_parts.game)) return;
    m_toldStuck = m_parts.game.deals;
    say(toldHint({Hint::Kind::NoMoveLeft, kNoCard, {}, {}, kNoCard}));
}

void TableKeyboard::describeCards() {
    // A card coming into play or leaving it comes into the tree or leaves it.
    for (int v = 1; v <= kCardCount; ++v) {
        CardWidget* card = m_parts.cards[v];
        if (m_inTree[v] == inPlay(card)) continue;
        m_inTree[v] = inPlay(card);
        QAccessibleEvent event(card,
                               m_inTree[v] ? QAccessible::ObjectShow : QAccessible::ObjectHide);
        QAccessible::updateAccessibility(&event);
    }
}

void TableKeyboard::drawCursor() {
    const CardValue carried = m_keys.carried();
    if (!m_keys.cursorShown()) {
        m_frame->hide();
        m_shadow->hide();
        return;
    }
    QRect around = placeRect(m_keys.cursor());
    if (carried != kNoCard) {
        // The card hangs lifted over the place it would land on, its shadow
        // there; the frame holds both.
        m_shadow->setGeometry(around);
        m_shadow->show();
        m_shadow->stackUnder(m_parts.cards[carried]);
        around = around.united(m_parts.cards[carried]->geometry());
    } else {
        m_shadow->hide();
    }
    m_frame->frame(around);
    m_frame->show();
    m_frame->raise();
}

QString TableKeyboard::placeName(Cell place) const {
    return QString::fromStdString(vimbo::placeName(place, m_parts.game));
}

QString TableKeyboard::cardWhere(const QWidget* card) const {
    const auto* widget = qobject_cast<const CardWidget*>(card);
    return widget ? QString::fromStdString(
                        vimbo::cardWhere(m_parts.game.pictures[widget->card()].place))
                  : QString();
}

bool TableKeyboard::hasCursor(Cell place) const {
    return m_keys.cursorShown() && m_keys.cursor() == place;
}

bool TableKeyboard::inPlay(const QWidget* card) const {
    return !qobject_cast<const CardWidget*>(card) ||
           card->pos() != QPoint(kParkedPlace.left, kParkedPlace.top);
}

} // namespace vimbo
