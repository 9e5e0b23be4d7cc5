#include "art.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>
#include <tuple>

namespace vimbo::art {

namespace {

struct RenderKey {
    QString path;
    QSize size;
    qreal ratio;
    bool operator==(const RenderKey& o) const {
        return std::tie(path, size, ratio) == std::tie(o.path, o.size, o.ratio);
    }
};

size_t qHash(const RenderKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.path, key.size.width(), key.size.height(), key.ratio);
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

QString cardFacePath(int card) {
    if (card < 1 || card > 40) return {};
    return QStringLiteral(":/cards/card%1.svg").arg(twoDigits(card));
}

QString backPath() {
    return QStringLiteral(":/cards/back.svg");
}
QString titlePath() {
    return QStringLiteral(":/title.svg");
}
QString iconPath() {
    return QStringLiteral(":/icon.svg");
}

QPixmap render(const QString& path, QSize logicalSize, qreal devicePixelRatio) {
    if (path.isEmpty() || logicalSize.isEmpty() || !(devicePixelRatio > 0)) return {};

    static QHash<RenderKey, QPixmap> cache;
    const RenderKey key{path, logicalSize, devicePixelRatio};
    if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;

    QSvgRenderer renderer(path);
    QPixmap pixmap;
    if (renderer.isValid()) {
        // The device size is rounded once here; the painter then maps the whole
        // picture onto it, so a 64-wide back squeezes neatly into 62.
        pixmap = QPixmap((QSizeF(logicalSize) * devicePixelRatio).toSize());
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
        painter.end();
        pixmap.setDevicePixelRatio(devicePixelRatio);
    }
    cache.insert(key, pixmap);
    return pixmap;
}

QIcon icon() {
    QIcon result;
    for (int side : {16, 24, 32, 48, 64, 128, 256})
        result.addPixmap(render(iconPath(), QSize(side, side), 1.0));
    return result;
}

} // namespace vimbo::art
