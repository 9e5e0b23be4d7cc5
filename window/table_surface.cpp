#include "table_surface.h"

#include "art.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace vimbo {

namespace {
const QColor kTableGreen(0, 128, 0);
const QColor kOutlineYellow(255, 255, 0);
} // namespace

TableSurface::TableSurface(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    Image1 = {QRect(QPoint(0, 1000), art::kTitleSize), true};
}

void TableSurface::setPicture(Picture& picture, QRect rect, bool visible) {
    if (picture.rect == rect && picture.visible == visible) return;
    if (picture.visible) update(picture.rect);
    picture.rect = rect;
    picture.visible = visible;
    if (visible) update(rect);
}

void TableSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), kTableGreen);
    const qreal dpr = devicePixelRatioF();

    if (Image1.visible && Image1.rect.intersects(event->rect()))
        painter.drawPixmap(Image1.rect.topLeft(),
                           art::render(art::titlePath(), art::kTitleSize, dpr));

    for (const Picture& outline : Shape1) {
        if (!outline.visible || !outline.rect.intersects(event->rect())) continue;
        // A one-pixel border inside the rectangle and a yellow cross-hatch over
        // the green: an empty foundation, which a card lying there hides fully.
        const QRect r = outline.rect;
        painter.fillRect(r.adjusted(1, 1, -1, -1), QBrush(kOutlineYellow, Qt::DiagCrossPattern));
        painter.setPen(kOutlineYellow);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }

    if (Mazzo.visible && Mazzo.rect.intersects(event->rect())) {
        // The back is drawn for 64 pixels and squeezed into the stock's 62.
        painter.drawPixmap(Mazzo.rect.topLeft(),
                           art::render(art::backPath(), Mazzo.rect.size(), dpr));
    }
}

void TableSurface::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (onStock(p)) {
        // The stock is a picture of its own: pressing it does not count as
        // touching the bare table.
        m_stockPressed = event->button() == Qt::LeftButton;
        return;
    }
    emit tablePressed(event->button(), p.x(), p.y());
}

void TableSurface::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        m_stockPressed && event->button() == Qt::LeftButton && onStock(event->position().toPoint());
    if (event->button() == Qt::LeftButton) m_stockPressed = false;
    if (click) emit stockClicked();
}

} // namespace vimbo
