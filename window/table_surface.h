// The green table itself and what is painted straight onto it, beneath every
// card: the opening picture (Image1), the four yellow foundation outlines
// (Shape1) and the face-down stock (Mazzo). Its coordinates are the table's:
// origin at the top-left corner below the menu bar.
#pragma once

#include <QWidget>

#include <array>

namespace vimbo {

class TableSurface : public QWidget {
    Q_OBJECT
public:
    explicit TableSurface(QWidget* parent);

    struct Picture {
        QRect rect;
        bool visible = false;
    };

    // The opening picture starts out of sight below the table, as designed.
    Picture Image1;
    std::array<Picture, 4> Shape1;
    Picture Mazzo;

    // Changing a picture's rectangle or visibility goes through here, so the
    // table repaints only what changed.
    void setPicture(Picture& picture, QRect rect, bool visible);

signals:
    // A press of any button on the bare table (not on the stock).
    void tablePressed(Qt::MouseButton button, int x, int y);
    // A left click on the stock picture.
    void stockClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool onStock(QPoint p) const { return Mazzo.visible && Mazzo.rect.contains(p); }
    bool m_stockPressed = false;
};

} // namespace vimbo
