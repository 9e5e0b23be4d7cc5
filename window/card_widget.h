// One card picture on the table: the card's face inside a one-pixel flat
// border, 64 x 102 in all. Mouse positions it reports are measured from the
// face (inside the border), as the game's drag arithmetic expects.
#pragma once

#include <QWidget>

namespace vimbo {

class CardWidget : public QWidget {
    Q_OBJECT
public:
    CardWidget(int card, QWidget* table);
    int card() const { return m_card; }

signals:
    // x, y: pixels from the face's top-left corner.
    void pressed(int card, Qt::MouseButton button, int x, int y);
    void moved(int card, Qt::MouseButtons buttons, int x, int y);
    void released(int card, Qt::MouseButton button, int x, int y);
    // A left press and release on this card, as a push button counts a click.
    void clicked(int card);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPoint facePoint(const QMouseEvent* event) const;

    int m_card;
    bool m_leftDown = false;
};

} // namespace vimbo
