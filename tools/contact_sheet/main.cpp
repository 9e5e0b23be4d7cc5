// Draws all the game's pictures into one PNG: the 40 faces, the back (as drawn
// and squeezed onto the stock), the icon and the opening picture, first at 1x
// and then at 2x, each card inside the one-pixel border the card widget gives
// it, on the table green.
#include "art.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

namespace {

using namespace vimbo::art;

const QColor kTableGreen(0, 128, 0);
const QColor kCardBorder(0, 0, 0);
constexpr int kGap = 8;

// The pixmap at its device size, with the card widget's border around it.
void drawCard(QPainter& p, QPoint at, const QPixmap& pm) {
    const QSize device = pm.size();
    p.setPen(kCardBorder);
    p.drawRect(QRect(at, device + QSize(1, 1)));
    p.drawPixmap(QRect(at + QPoint(1, 1), device), pm);
}

void drawLabel(QPainter& p, QPoint at, const QString& text) {
    p.setPen(Qt::white);
    p.drawText(at, text);
}

// One block of the sheet at the given pixel ratio; returns the height used.
int drawBlock(QPainter& p, int top, qreal ratio) {
    const int cw = qRound(kFaceSize.width() * ratio) + 2;
    const int ch = qRound(kFaceSize.height() * ratio) + 2;
    drawLabel(p, QPoint(kGap, top + 14), QStringLiteral("%1x").arg(ratio));
    int y = top + 20;
    for (int suit = 0; suit < 4; ++suit) {
        for (int rank = 0; rank < 10; ++rank) {
            const int card = suit * 10 + rank + 1;
            drawCard(p, QPoint(kGap + rank * (cw + kGap), y),
                     render(cardFacePath(card), kFaceSize, ratio));
        }
        y += ch + kGap;
    }
    int x = kGap;
    const QPixmap back = render(backPath(), kBackSize, ratio);
    drawCard(p, QPoint(x, y), back);
    x += back.width() + 2 + kGap;
    const QPixmap squeezed = render(backPath(), kFaceSize, ratio);
    drawCard(p, QPoint(x, y), squeezed);
    x += squeezed.width() + 2 + kGap;
    for (int side : {16, 32, 48}) {
        const QPixmap ic = render(iconPath(), QSize(side, side), ratio);
        p.drawPixmap(QRect(QPoint(x, y), ic.size()), ic);
        x += ic.width() + kGap;
    }
    const QPixmap title = render(titlePath(), kTitleSize, ratio);
    p.drawPixmap(QRect(QPoint(x, y), title.size()), title);
    // The part of the opening picture the window shows (400 x 354).
    p.setPen(QColor(255, 255, 255, 90));
    p.drawRect(QRect(QPoint(x, y), QSize(qRound(400 * ratio), title.height())));
    return y + std::max(ch, title.height()) + kGap - top;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: contact_sheet OUT.png\n");
        return 2;
    }
    const int width = kGap + 10 * (2 * kFaceSize.width() + 2 + kGap);
    QImage sheet(width, 2700, QImage::Format_RGB32);
    sheet.fill(kTableGreen);
    int used = 0;
    {
        QPainter p(&sheet);
        used = drawBlock(p, 0, 1.0);
        used += drawBlock(p, used, 2.0);
    }
    if (!sheet.copy(0, 0, width, used).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "contact_sheet: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
