#include "device_pixels.h"

#include <QtMath>

#include <algorithm>

namespace vimbo {

DevicePixels::DevicePixels(QPainter& painter)
    : m_painter(painter), m_toDevice(painter.deviceTransform()) {
    m_painter.save();
    // The world transform that undoes the widget's offset and scale: what is
    // drawn now lands on the device pixel it names.
    m_painter.setWorldTransform(m_toDevice.inverted(), true);
}

DevicePixels::~DevicePixels() {
    m_painter.restore();
}

QRect DevicePixels::map(const QRect& logical) const {
    const QPointF from = m_toDevice.map(QPointF(logical.topLeft()));
    const QPointF to =
        m_toDevice.map(QPointF(logical.x() + logical.width(), logical.y() + logical.height()));
    const QPoint a(qRound(from.x()), qRound(from.y()));
    const QPoint b(qRound(to.x()), qRound(to.y()));
    return {a, QSize(b.x() - a.x(), b.y() - a.y())};
}

int DevicePixels::line() const {
    return std::max(1, qFloor(ratio() + 1e-6));
}

} // namespace vimbo
