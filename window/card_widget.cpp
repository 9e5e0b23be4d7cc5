#include "card_widget.h"

#include "art.h"
#include "device_pixels.h"
#include "geometry.h"
#include "table_words.h"

#include <QMouseEvent>
#include <QPainter>

namespace vimbo {

CardWidget::CardWidget(int card, QWidget* table) : QWidget(table), m_card(card) {
    setFixedSize(kCardWidth, kCardHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QString::fromStdString(cardName(static_cast<CardValue>(card))));
    // Moves are wanted only while a button is held: no tracking.
    hide();
}

void CardWidget::paintEvent(QPaintEvent*) {
    // The card is opaque: every device pixel it covers is painted here, the
    // border black all round and the face drawn for exactly the pixels inside.
    QPainter painter(this);
    const DevicePixels device(painter);
    const QRect whole = device.map(rect());
    painter.fillRect(whole, Qt::black);
    const int border = device.line();
    const QRect face = whole.adjusted(border, border, -border, -border);
    painter.drawPixmap(face.topLeft(), art::render(art::cardFacePath(m_card), face.size(), 1.0));
}

QPoint CardWidget::facePoint(const QMouseEvent* event) const {
    // The face starts one pixel in, behind the border.
    return event->position().toPoint() - QPoint(1, 1);
}

void CardWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_leftDown = true;
    const QPoint p = facePoint(event);
    emit pressed(m_card, event->button(), p.x(), p.y());
}

void CardWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = facePoint(event);
    emit moved(m_card, event->buttons(), p.x(), p.y());
}

void CardWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = facePoint(event);
    const bool wasLeftClick = m_leftDown && event->button() == Qt::LeftButton;
    if (event->button() == Qt::LeftButton) m_leftDown = false;
    // A click counts where the release lands on the card as it now lies; a
    // card that moved away from the pointer is no longer under it.
    const bool overCard = rect().contains(event->position().toPoint());
    emit released(m_card, event->button(), p.x(), p.y());
    if (wasLeftClick && overCard) emit clicked(m_card);
}

} // namespace vimbo
