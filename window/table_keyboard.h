// The keyboard's glue in the window: forwards the table's keys to the cursor
// (vimbo::TableKeys), draws the cursor and a carried card's shadow, and tells
// assistive tools every change of the table through the places' accessible
// objects: focus when the cursor moves, names when what lies there changes,
// the description of the focused place for what just happened.
#pragma once

#include "accessible_places.h"
#include "table_keys.h"

#include <QObject>

#include <array>

class QKeyEvent;

namespace vimbo {

class Form1;
class CursorFrame;
class CardShadow;

class TableKeyboard : public QObject, public PlaceSource, private TableHandlers {
    Q_OBJECT
public:
    explicit TableKeyboard(Form1& form);

    // After every showing of the model: descriptions, names, a new deal told,
    // the cursor drawn where it now is.
    void modelShown();
    const TableKeys& keys() const { return m_keys; }

    QString placeName(Cell place) const override;
    QString placeDescription(Cell place) const override;
    bool hasCursor(Cell place) const override;
    bool inPlay(const QWidget* card) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyPressed(const QKeyEvent* event);
    void tell(const KeyOutcome& outcome, Cell before);
    void tellMessage(const QString& message);
    void focusCursor();
    void drawCursor();
    void describeCards();

    Point pictureAt(CardValue card) const override;
    void cardDown(CardValue card, int x, int y) override;
    void cardMove(CardValue card, int x, int y) override;
    void cardUp(CardValue card, int x, int y) override;
    void cardClick(CardValue card) override;
    void stockClick() override;
    void cancelDrag() override;
    void hidePanels() override;

    Form1& m_form;
    TableKeys m_keys;
    CursorFrame* m_frame;
    CardShadow* m_shadow;
    QString m_message;
    std::array<QString, 11> m_toldNames;
    int m_toldDeal = 0;
};

} // namespace vimbo
