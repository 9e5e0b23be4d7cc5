// Form1's side of the cards: the mouse's events passed on, the pictures lent
// to the card handling, and the end of a won game.
#include "form1.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>

namespace vimbo {

namespace {

MouseButton gameButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return MouseButton::Other;
    }
}

// "Altra partita?" has exactly two answers. A plain message box takes Escape
// and its window's close button for No, and No ends the program: one stray key
// after a win would quit the game. Here both do nothing.
class EndQuestion : public QMessageBox {
public:
    explicit EndQuestion(QWidget* parent)
        : QMessageBox(QMessageBox::NoIcon, QStringLiteral("Complimenti"),
                      QStringLiteral("Altra partita?"), QMessageBox::Yes | QMessageBox::No, parent,
                      // Window managers that honour it show no close button at all.
                      Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
        setDefaultButton(QMessageBox::Yes);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Cancel)) return;
        QMessageBox::keyPressEvent(event);
    }
    // An answer puts the box away without coming here.
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

} // namespace

void Form1::connectCards() {
    // The pictures' mouse events go straight to the card handling: the window
    // decides nothing about a card.
    for (int v = 1; v <= kCardCount; ++v) {
        CardWidget* card = Carta[v];
        connect(card, &CardWidget::pressed, this,
                [this](int index, Qt::MouseButton button, int x, int y) {
                    m_cards.Carta_MouseDown(index, gameButton(button), x, y);
                });
        connect(card, &CardWidget::moved, this, [this](int index, Qt::MouseButtons, int x, int y) {
            m_cards.Carta_MouseMove(index, x, y);
        });
        connect(card, &CardWidget::released, this,
                [this](int index, Qt::MouseButton button, int x, int y) {
                    m_cards.Carta_MouseUp(index, gameButton(button), x, y);
                });
        connect(card, &CardWidget::clicked, this,
                [this](int index) { m_cards.Carta_Click(index); });
    }
    connect(table, &TableSurface::tablePressed, this,
            [this](Qt::MouseButton, int, int) { m_cards.HidePanels(); });
    connect(table, &TableSurface::stockClicked, this, [this] { m_cards.mazzo_Click(); });
}

void Form1::Finale() {
    // The end-of-game piece plays whether or not the music is on, and goes on
    // as the music from now on.
    m_sounds->switchToFinale();
    // The release that won is still being handled, and the rule has already
    // put the king on its foundation: the player sees the finished table, not
    // the king hanging where the pointer let it go, while being asked.
    showModel();
    EndQuestion question(this);
    if (question.exec() == QMessageBox::Yes) {
        Nuova_Click();
        return;
    }
    // No: the program ends at once, without the exit's unload steps.
    endProgram(0);
}

// ---- What the card handlers borrow ----------------------------------------

Point Form1::pictureAt(CardValue card) const {
    const QPoint p = Carta[card]->pos();
    return {p.x(), p.y()};
}

void Form1::movePicture(CardValue card, Point place) {
    Carta[card]->move(place.left, place.top);
}

void Form1::raisePicture(CardValue card) {
    Carta[card]->raise();
    m_shownZ[card] = game.pictures[card].zOrder;
}

void Form1::HidePanels() {
    panels->HidePanels();
}

void Form1::PlayCardRustle() {
    m_sounds->PlayCardRustle(menu_card_rustle->isChecked());
}

void Form1::PlayClickRustle() {
    m_sounds->PlayClickRustle(menu_card_rustle->isChecked());
}

} // namespace vimbo
