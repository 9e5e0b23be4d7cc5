#include "table_surface.h"

#include "art.h"
#include "device_pixels.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace vimbo {

namespace {
const QColor kTableGreen(0, 128, 0);
const QColor kOutlineYellow(255, 255, 0);

// One tile of the outlines' hatch: yellow lines both ways across the green,
// one every eight logical pixels, each a one-pixel line, in device pixels.
// Made once per screen scale: the table repaints under every dragged card.
const QImage& hatchTile(const DevicePixels& device) {
    static QImage tile;
    static qreal madeFor = 0;
    if (device.ratio() == madeFor) return tile;
    madeFor = device.ratio();
    const int side = qRound(8 * device.ratio());
    const int line = device.line();
    tile = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if ((x - y + side) % side < line || (x + y + line) % side < line)
                tile.setPixelColor(x, y, kOutlineYellow);
    return tile;
}

// An empty foundation: a one-pixel yellow border inside the rectangle and the
// hatch over the green within, which a card lying there hides fully.
void drawOutline(QPainter& painter, const DevicePixels& device, QRect r) {
    const int line = device.line();
    painter.setBrushOrigin(r.topLeft()); // every outline shows the same hatch
    painter.fillRect(r.adjusted(line, line, -line, -line), QBrush(hatchTile(device)));
    painter.fillRect(QRect(r.left(), r.top(), r.width(), line), kOutlineYellow);
    painter.fillRect(QRect(r.left(), r.bottom() - line + 1, r.width(), line), kOutlineYellow);
    painter.fillRect(QRect(r.left(), r.top(), line, r.height()), kOutlineYellow);
    painter.fillRect(QRect(r.right() - line + 1, r.top(), line, r.height()), kOutlineYellow);
}

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
    // In device pixels, each picture drawn for exactly the pixels it covers
    // (see DevicePixels): sharp, and with no gap to the green around it.
    QPainter painter(this);
    const DevicePixels device(painter);
    painter.fillRect(device.map(event->rect()), kTableGreen);
    const auto drawPicture = [&](const Picture& picture, const QString& path) {
        if (!picture.visible || !picture.rect.intersects(event->rect())) return;
        const QRect r = device.map(picture.rect);
        painter.drawPixmap(r.topLeft(), art::render(path, r.size(), 1.0));
    };

    drawPicture(Image1, art::titlePath());
    for (const Picture& outline : Shape1)
        if (outline.visible && outline.rect.intersects(event->rect()))
            drawOutline(painter, device, device.map(outline.rect));
    // The back is drawn for 64 pixels and squeezed into the stock's 62.
    drawPicture(Mazzo, art::backPath());
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
