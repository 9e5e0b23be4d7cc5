// Every picture the game carries loads from the resources and draws through
// Qt SVG at the size the window shows it, without Qt SVG complaining.
#include "art.h"

#include <QFile>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>
#include <QTest>
#include <QXmlStreamReader>
#include <utility>

using namespace vimbo::art;
namespace {

// Qt SVG warns (category "qt.svg") about what it cannot draw as written, such
// as a reference to a gradient that is not there; the handler keeps those.
QStringList svgWarnings;
QtMessageHandler qtHandler = nullptr;

void collectSvgWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (QLatin1String(context.category ? context.category : "").startsWith(QLatin1String("qt.svg")))
        svgWarnings << text;
    else if (qtHandler)
        qtHandler(type, context, text);
}

QStringList takeSvgWarnings() {
    return std::exchange(svgWarnings, {});
}

QImage toImage(const QPixmap& pm) {
    return pm.toImage().convertToFormat(QImage::Format_ARGB32);
}

// How many pixels carry some paint at all.
int paintedPixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 0) ++n;
    return n;
}

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

class Pictures : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qtHandler = qInstallMessageHandler(collectSvgWarnings); }

    void theWarningWatchHearsQtSvg();
    void everyPictureDrawsCleanly_data();
    void everyPictureDrawsCleanly();
    void picturesUseOnlyWhatQtSvgDraws();
    void facesCoverTheirWholeArea();
    void sharpOnHighDensityScreens();
    void drawnOncePerSize();
    void cardNumbersOutsideTheDeckGiveNoPicture();
    void theBackSqueezesOntoTheStock();
    void theBackLooksTheSameUpsideDown();
    void theIconIsCrispAtSmallSizes();
    void theNameSitsInTheVisiblePartOfTheTitle();
};

// The harness itself: a picture Qt SVG cannot draw as written must be heard,
// or a clean run of the next test would prove nothing.
void Pictures::theWarningWatchHearsQtSvg() {
    const QByteArray bad = "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'>"
                           "<rect width='10' height='10' fill='url(#nowhere)'/></svg>";
    QSvgRenderer renderer(bad);
    QImage img(10, 10, QImage::Format_ARGB32);
    QPainter p(&img);
    renderer.render(&p);
    p.end();
    QVERIFY(!takeSvgWarnings().isEmpty());
}

void Pictures::everyPictureDrawsCleanly_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    for (int card = 1; card <= 40; ++card)
        QTest::addRow("card %d", card) << cardFacePath(card) << kFaceSize;
    QTest::addRow("back") << backPath() << kBackSize;
    QTest::addRow("title") << titlePath() << kTitleSize;
    QTest::addRow("icon") << iconPath() << kIconSize;
}

void Pictures::everyPictureDrawsCleanly() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    takeSvgWarnings();

    QSvgRenderer renderer(path);
    QVERIFY2(renderer.isValid(), qPrintable(path));
    QCOMPARE(renderer.defaultSize(), size); // drawn for the size the game shows it at

    const QPixmap pm = render(path, size, 1.0);
    QCOMPARE(pm.size(), size);
    QVERIFY(paintedPixels(toImage(pm)) > size.width() * size.height() / 2);

    const QStringList warnings = takeSvgWarnings();
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
}

// Qt SVG drops filters, masks, clipping, style sheets and the like without a
// word, so the files are held to the few elements it draws faithfully.
void Pictures::picturesUseOnlyWhatQtSvgDraws() {
    static const QSet<QString> elements{
        "svg",  "title",   "defs",     "linearGradient", "radialGradient", "stop", "g",
        "path", "polygon", "polyline", "circle",         "ellipse",        "rect", "line"};
    static const QSet<QString> attributes{"filter", "mask",    "clip-path",
                                          "style",  "opacity", "class"};
    QStringList paths{backPath(), titlePath(), iconPath()};
    for (int card = 1; card <= 40; ++card)
        paths << cardFacePath(card);
    for (const QString& path : paths) {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        QXmlStreamReader xml(&file);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) continue;
            const QString name = xml.name().toString();
            QVERIFY2(elements.contains(name), qPrintable(path + ": <" + name + ">"));
            for (const QXmlStreamAttribute& a : xml.attributes())
                QVERIFY2(!attributes.contains(a.name().toString()),
                         qPrintable(path + ": " + a.name().toString()));
        }
        QVERIFY2(!xml.hasError(), qPrintable(path + ": " + xml.errorString()));
    }
}

// The card widget draws only a one-pixel border around the face: the face
// itself must be opaque to its very edge, or the table green shows through.
void Pictures::facesCoverTheirWholeArea() {
    for (int card = 1; card <= 40; ++card) {
        const QImage img = toImage(render(cardFacePath(card), kFaceSize, 1.0));
        for (int x = 0; x < img.width(); ++x)
            for (int y : {0, img.height() - 1})
                QVERIFY2(qAlpha(img.pixel(x, y)) == 255, qPrintable(cardFacePath(card)));
        for (int y = 0; y < img.height(); ++y)
            for (int x : {0, img.width() - 1})
                QVERIFY2(qAlpha(img.pixel(x, y)) == 255, qPrintable(cardFacePath(card)));
    }
}

void Pictures::sharpOnHighDensityScreens() {
    for (qreal ratio : {1.25, 2.0}) {
        const QPixmap pm = render(cardFacePath(17), kFaceSize, ratio);
        QCOMPARE(pm.devicePixelRatio(), ratio);
        QCOMPARE(pm.size(), (QSizeF(kFaceSize) * ratio).toSize());
        QCOMPARE(pm.deviceIndependentSize().toSize(), kFaceSize);
    }
    // Drawn afresh at the higher density, not blown up from the 1x pixmap:
    // the doubled picture has detail the single one has not.
    const QImage one = toImage(render(cardFacePath(8), kFaceSize, 1.0));
    const QImage two = toImage(render(cardFacePath(8), kFaceSize, 2.0));
    const QImage blownUp = one.scaled(two.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    int differing = 0;
    for (int y = 0; y < two.height(); ++y)
        for (int x = 0; x < two.width(); ++x)
            if (channelDistance(two.pixel(x, y), blownUp.pixel(x, y)) > 40) ++differing;
    QVERIFY(differing > 500);
}

void Pictures::drawnOncePerSize() {
    const QPixmap a = render(cardFacePath(5), kFaceSize, 1.0);
    const QPixmap b = render(cardFacePath(5), kFaceSize, 1.0);
    QCOMPARE(a.cacheKey(), b.cacheKey());
    const QPixmap c = render(cardFacePath(5), kFaceSize, 2.0);
    QVERIFY(c.cacheKey() != a.cacheKey());
    QCOMPARE(c.size(), kFaceSize * 2);
}

void Pictures::cardNumbersOutsideTheDeckGiveNoPicture() {
    QCOMPARE(cardFacePath(1), QStringLiteral(":/cards/card01.svg"));
    QCOMPARE(cardFacePath(40), QStringLiteral(":/cards/card40.svg"));
    for (int card : {-1, 0, 41, 100}) {
        QVERIFY(cardFacePath(card).isEmpty());
        QVERIFY(render(cardFacePath(card), kFaceSize, 1.0).isNull());
    }
    takeSvgWarnings();
    QVERIFY(render(QStringLiteral(":/cards/card41.svg"), kFaceSize, 1.0).isNull());
    QVERIFY(render(cardFacePath(1), QSize(0, 100), 1.0).isNull());
    QVERIFY(render(cardFacePath(1), kFaceSize, 0.0).isNull());
    takeSvgWarnings(); // the missing file is expected to be reported
}

// The stock shows the whole 64-wide back in 62 pixels: nothing is cut off, so
// the frame's black edge shows on both sides.
void Pictures::theBackSqueezesOntoTheStock() {
    const QImage full = toImage(render(backPath(), kBackSize, 1.0));
    const QImage squeezed = toImage(render(backPath(), kFaceSize, 1.0));
    QCOMPARE(full.size(), kBackSize);
    QCOMPARE(squeezed.size(), kFaceSize);
    for (const QImage* img : {&full, &squeezed}) {
        const int mid = img->height() / 2;
        for (int x : {0, img->width() - 1}) {
            const QRgb edge = img->pixel(x, mid);
            QVERIFY(qAlpha(edge) == 255 && qRed(edge) < 60 && qGreen(edge) < 60);
        }
        const QRgb centre = img->pixel(img->width() / 2, mid);
        QVERIFY(qAlpha(centre) == 255);
    }
}

void Pictures::theBackLooksTheSameUpsideDown() {
    const QImage img = toImage(render(backPath(), kBackSize, 1.0));
    const QImage turned = img.transformed(QTransform().rotate(180));
    long total = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            total += channelDistance(img.pixel(x, y), turned.pixel(x, y));
    const double mean = double(total) / (img.width() * img.height());
    QVERIFY2(mean < 3.0, qPrintable(QString::number(mean)));
}

// Drawn on a grid that lands on whole pixels at 16, 32 and 48: nearly every
// pixel is one of the icon's flat colours, not a blur between two.
void Pictures::theIconIsCrispAtSmallSizes() {
    const QIcon ic = icon();
    QVERIFY(!ic.isNull());
    for (int side : {16, 32, 48}) {
        const QImage img = toImage(ic.pixmap(side, side));
        QCOMPARE(img.size(), QSize(side, side));
        QHash<QRgb, int> colours;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                ++colours[img.pixel(x, y)];
        int inFlatColours = 0;
        for (int n : colours)
            if (n >= side / 2) inFlatColours += n;
        QVERIFY2(inFlatColours >= side * side * 97 / 100, qPrintable(QString::number(side)));
        QVERIFY(colours.size() >= 4);
    }
}

// The window shows only the left 400 of the 410 pixels: the silver name must
// be centred there, large, in the middle band of the picture.
void Pictures::theNameSitsInTheVisiblePartOfTheTitle() {
    const QImage img = toImage(render(titlePath(), kTitleSize, 1.0));
    int left = img.width(), right = -1, top = img.height(), bottom = -1;
    for (int y = 90; y < 250; ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = QColor::fromRgb(img.pixel(x, y));
            if (c.saturationF() < 0.12 && c.valueF() > 0.7) { // silver
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    QVERIFY(right - left > 200 && bottom - top > 50);
    QVERIFY(left > 20 && right < 380);
    QVERIFY2(std::abs((left + right) / 2 - 200) <= 6, qPrintable(QString::number(left + right)));
}

QTEST_MAIN(Pictures)
#include "tst_pictures.moc"
