#include "table_cursor.h"

#include <QPainter>

namespace vimbo {

namespace {

void passMouseThrough(QWidget* widget) {
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    widget->setFocusPolicy(Qt::NoFocus);
    widget->hide();
}

// Fills the band between two rectangles, one inside the other. Whole
// rectangles of logical pixels land on whole device pixels at any scale, so
// the frame stays sharp where a stroked line would blur.
void fillBand(QPainter& painter, QRect outer, QRect inner, const QColor& colour) {
    painter.fillRect(QRect(outer.topLeft(), QPoint(outer.right(), inner.top() - 1)), colour);
    painter.fillRect(QRect(QPoint(outer.left(), inner.bottom() + 1), outer.bottomRight()), colour);
    painter.fillRect(
        QRect(QPoint(outer.left(), inner.top()), QPoint(inner.left() - 1, inner.bottom())), colour);
    painter.fillRect(
        QRect(QPoint(inner.right() + 1, inner.top()), QPoint(outer.right(), inner.bottom())),
        colour);
}

} // namespace

CursorFrame::CursorFrame(QWidget* table) : QWidget(table) {
    setObjectName(QStringLiteral("cursorFrame"));
    passMouseThrough(this);
}

void CursorFrame::frame(QRect around) {
    setGeometry(around.adjusted(-kThickness, -kThickness, kThickness, kThickness));
}

void CursorFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect all = rect();
    const QRect half =
        all.adjusted(kThickness / 2, kThickness / 2, -kThickness / 2, -kThickness / 2);
    const QRect inside = all.adjusted(kThickness, kThickness, -kThickness, -kThickness);
    fillBand(painter, all, half, Qt::black);
    fillBand(painter, half, inside, Qt::white);
}

CardShadow::CardShadow(QWidget* table) : QWidget(table) {
    passMouseThrough(this);
}

void CardShadow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 110));
}

} // namespace vimbo
