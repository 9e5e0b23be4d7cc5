// What the keyboard cursor looks like: a thick frame, white inside black, that
// reads on a cream card, on the green table and on a yellow outline alike, and
// a shadow under a carried card where it would land. Both let the mouse through.
#pragma once

#include <QWidget>

namespace vimbo {

class CursorFrame : public QWidget {
public:
    explicit CursorFrame(QWidget* table);
    // Frames the rectangle (table coordinates) from outside.
    void frame(QRect around);
    static constexpr int kThickness = 4;

protected:
    void paintEvent(QPaintEvent*) override;
};

class CardShadow : public QWidget {
public:
    explicit CardShadow(QWidget* table);

protected:
    void paintEvent(QPaintEvent*) override;
};

} // namespace vimbo
