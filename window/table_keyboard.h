// The keyboard's glue in the window: forwards the table's keys to the cursor
// (vimbo::TableKeys), draws the cursor and a carried card's shadow, and tells
// the screen reader every change of the table: what just happened, in a
// sentence of its own, then the place the cursor moved to, by the focus of
// its accessible object; a place's name follows what lies there.
#pragma once

#include "accessible_places.h"
#include "card_widget.h"
#include "table_keys.h"
#include "table_surface.h"
#include "text_panels.h"

#include <QObject>

#include <array>
#include <string>

class QKeyEvent;

namespace vimbo {

class CursorFrame;
class CardShadow;

// What the keys work on: the game and its one road from a gesture to the
// rules, and the window's table, panels and card pictures.
struct KeyboardTable {
    Game& game;
    CardHandling& hand;
    TableSurface* table;
    help::Panels* panels;
    const std::array<CardWidget*, kCardCount + 1>& cards;
};

class TableKeyboard : public QObject, public PlaceSource {
    Q_OBJECT
public:
    explicit TableKeyboard(const KeyboardTable& parts);

    // After every showing of the model: descriptions, names, a new deal told
    // (and, once, a game that can go no further), the cursor drawn where it now is.
    void modelShown();
    const TableKeys& keys() const { return m_keys; }

    QString placeName(Cell place) const override;
    QString cardWhere(const QWidget* card) const override;
    bool hasCursor(Cell place) const override;
    bool inPlay(const QWidget* card) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyPressed(const QKeyEvent* event);
    void tell(const KeyOutcome& outcome, Cell before);
    void say(const std::string& sentence);
    void focusCursor();
    void tellIfStuck();
    void drawCursor();
    void describeCards();
    bool panelShown() const;

    KeyboardTable m_parts;
    TableKeys m_keys;
    CursorFrame* m_frame;
    CardShadow* m_shadow;
    std::array<QString, 11> m_toldNames;
    std::array<bool, kCardCount + 1> m_inTree{};
    int m_toldDeal = 0;
    int m_toldStuck = 0; // the deal last told that it can go no further
    bool m_stuckCheckDue = false;
};

} // namespace vimbo
