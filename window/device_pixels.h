// Painting in the screen's own pixels. On a screen scaled by 1.5 or 2 a
// widget's logical pixels are not whole device pixels: Qt gives each widget
// the device pixels between its edges rounded to the nearest pixel, and an
// opaque widget must paint every one of them itself, or they keep whatever
// lay there before. Lines and pictures drawn in logical units land between
// pixels there, leaving gaps or smearing. So the table and the cards paint
// in device pixels: each rectangle is mapped the way Qt maps the widget,
// pictures are drawn for exactly the pixels they get.
#pragma once

#include <QPainter>
#include <QRect>
#include <QTransform>

namespace vimbo {

class DevicePixels {
public:
    // From here until this goes away, `painter` draws in device pixels.
    explicit DevicePixels(QPainter& painter);
    ~DevicePixels();
    DevicePixels(const DevicePixels&) = delete;
    DevicePixels& operator=(const DevicePixels&) = delete;

    // The device pixels that a rectangle in the widget's logical pixels covers:
    // each edge rounded to the nearest pixel, as Qt rounds the widget's own area,
    // so that rectangles that share an edge share it on the screen too.
    QRect map(const QRect& logical) const;

    // Device pixels per logical pixel (1, 1.25, 1.5, 2 ...).
    qreal ratio() const { return m_toDevice.m11(); }

    // The width of a one-pixel line as whole device pixels: the most that does
    // not draw it heavier than one logical pixel, and never less than one.
    int line() const;

private:
    QPainter& m_painter;
    QTransform m_toDevice;
};

} // namespace vimbo
