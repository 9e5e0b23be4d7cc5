// The 40 faces as a player sees them at 62 x 100: each one different, each in
// its suit's colours, each number card with as many signs as its number,
// figures with faces, and the rank in two opposite corners.
#include "art.h"

#include <QTest>
#include <array>
#include <functional>
#include <vector>

using namespace vimbo::art;

namespace {

enum Suit { Coins, Cups, Clubs, Swords };
const char* const kSuitNames[] = {"coins", "cups", "clubs", "swords"};

int suitOf(int card) {
    return (card - 1) / 10;
}
int rankOf(int card) {
    return (card - 1) % 10 + 1;
}

// The corners where the rank stands; signs keep out of them.
const QRect kUpperIndex(0, 0, 11, 14);
const QRect kLowerIndex(62 - 11, 100 - 14, 11, 14);

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// Colour families of the deck, told apart by hue, saturation and value.
enum Family { Gold, Red, Wood, Leaf, Steel, Other, FamilyCount };

Family familyOf(QRgb rgb) {
    const QColor c = QColor::fromRgb(rgb);
    const int h = c.hsvHue();
    const double s = c.hsvSaturationF(), v = c.valueF();
    if (s < 0.15) return Other; // cream, white, greys, black
    if ((h <= 10 || h >= 345) && s > 0.5 && v > 0.35) return Red;
    if (h >= 38 && h <= 58 && s > 0.35 && v > 0.65) return Gold;
    if (h >= 12 && h <= 35 && s > 0.4 && v > 0.2 && v < 0.75) return Wood;
    if (h >= 75 && h <= 150 && s > 0.3) return Leaf;
    if (h >= 200 && h <= 235 && s > 0.15) return Steel;
    return Other;
}

using Shares = std::array<double, FamilyCount>;

// Share of each colour family among the painted (non-ground) pixels.
Shares colourShares(const QImage& img) {
    const QRgb ground = img.pixel(img.width() / 2, 1);
    std::array<int, FamilyCount> counts{};
    int painted = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (channelDistance(p, ground) < 30) continue;
            ++painted;
            ++counts[familyOf(p)];
        }
    Shares shares{};
    for (int f = 0; f < FamilyCount; ++f)
        shares[f] = painted ? double(counts[f]) / painted : 0;
    return shares;
}

// What the colours say the suit is: gold round coins, gold and red cups,
// brown and green clubs, blue steel swords.
int suitByColour(const Shares& s) {
    if (s[Steel] > 0.2) return Swords;
    if (s[Leaf] > 0.05 && s[Wood] > 0.2) return Clubs;
    if (s[Gold] < 0.1) return -1;
    return s[Red] / s[Gold] > 0.6 ? Cups : Coins;
}

QString describe(const Shares& s) {
    return QStringLiteral("gold %1 red %2 wood %3 leaf %4 steel %5 other %6")
        .arg(s[Gold], 0, 'f', 2)
        .arg(s[Red], 0, 'f', 2)
        .arg(s[Wood], 0, 'f', 2)
        .arg(s[Leaf], 0, 'f', 2)
        .arg(s[Steel], 0, 'f', 2)
        .arg(s[Other], 0, 'f', 2);
}

// Separate blots of paint outside the index corners (4-connected), ignoring
// specks of a few pixels.
int blots(const QImage& img) {
    const QRgb ground = img.pixel(img.width() / 2, 1);
    const int w = img.width(), h = img.height();
    std::vector<char> ink(w * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ink[y * w + x] = !kUpperIndex.contains(x, y) && !kLowerIndex.contains(x, y) &&
                             channelDistance(img.pixel(x, y), ground) > 60;
    int count = 0;
    std::vector<int> stack;
    for (int start = 0; start < w * h; ++start) {
        if (!ink[start]) continue;
        int size = 0;
        stack.push_back(start);
        ink[start] = 0;
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            ++size;
            const int x = i % w, y = i / w;
            for (int j : {x > 0 ? i - 1 : -1, x < w - 1 ? i + 1 : -1, y > 0 ? i - w : -1,
                          y < h - 1 ? i + w : -1})
                if (j >= 0 && ink[j]) ink[j] = 0, stack.push_back(j);
        }
        if (size > 6) ++count;
    }
    return count;
}

// Pixels in the flesh tones of the figures' faces and hands (the corner
// numerals, blended into the cream, come close: they are left out).
int skinPixels(const QImage& img) {
    const QRgb skin = qRgb(0xf7, 0xd2, 0xac);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (!kUpperIndex.contains(x, y) && !kLowerIndex.contains(x, y) &&
                channelDistance(img.pixel(x, y), skin) < 14)
                ++n;
    return n;
}

// The shape of the ink in an area, whatever its colour.
std::vector<bool> inkMask(const QImage& img, const QRect& area) {
    const QRgb ground = img.pixel(img.width() / 2, 1);
    std::vector<bool> mask;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            mask.push_back(channelDistance(img.pixel(x, y), ground) > 70);
    return mask;
}

int maskDifference(const std::vector<bool>& a, const std::vector<bool>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        n += a[i] != b[i];
    return n;
}

int countPixels(const QImage& img, const std::function<bool(QRgb)>& wanted) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += wanted(img.pixel(x, y));
    return n;
}

int differingPixels(const QImage& a, const QImage& b, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (channelDistance(a.pixel(x, y), b.pixel(x, y)) > 48) ++n;
    return n;
}

} // namespace

class Faces : public QObject {
    Q_OBJECT

    std::vector<QImage> m_face; // index = card value, 0 unused

private slots:
    void initTestCase();
    void everyFaceIsDifferent();
    void suitsShowTheirColours();
    void numberCardsShowAsManySignsAsTheirRank();
    void onlyFiguresHaveFaces();
    void theRankStandsInTwoOppositeCorners();
    void eachRankHasItsOwnIndex();
    void aRankReadsTheSameInEverySuit();
    void figuresAreToldApartByHorseAndErmine();
};

void Faces::initTestCase() {
    m_face.resize(41);
    for (int card = 1; card <= 40; ++card) {
        m_face[card] = render(cardFacePath(card), kFaceSize, 1.0)
                           .toImage()
                           .convertToFormat(QImage::Format_RGB32);
        QCOMPARE(m_face[card].size(), kFaceSize);
    }
}

void Faces::everyFaceIsDifferent() {
    const QRect all(QPoint(0, 0), kFaceSize);
    for (int a = 1; a <= 40; ++a)
        for (int b = a + 1; b <= 40; ++b) {
            const int n = differingPixels(m_face[a], m_face[b], all);
            QVERIFY2(n > 150, qPrintable(QStringLiteral("cards %1 and %2 differ in only %3 pixels")
                                             .arg(a)
                                             .arg(b)
                                             .arg(n)));
        }
}

// Card v belongs to suit (v - 1) / 10: a file out of place shows up as a card
// in the wrong colours. The figures wear their suit's colours too.
void Faces::suitsShowTheirColours() {
    for (int card = 1; card <= 40; ++card) {
        const Shares s = colourShares(m_face[card]);
        QVERIFY2(suitByColour(s) == suitOf(card),
                 qPrintable(QStringLiteral("card %1 should look like %2: %3")
                                .arg(card)
                                .arg(kSuitNames[suitOf(card)], describe(s))));
    }
}

void Faces::numberCardsShowAsManySignsAsTheirRank() {
    for (int card = 1; card <= 40; ++card) {
        const int rank = rankOf(card);
        if (rank > 7) continue;
        QVERIFY2(blots(m_face[card]) == rank,
                 qPrintable(QStringLiteral("card %1 shows %2 separate signs")
                                .arg(card)
                                .arg(blots(m_face[card]))));
    }
}

void Faces::onlyFiguresHaveFaces() {
    for (int card = 1; card <= 40; ++card) {
        const int skin = skinPixels(m_face[card]);
        if (rankOf(card) >= 8)
            QVERIFY2(skin >= 8, qPrintable(QStringLiteral("card %1: %2").arg(card).arg(skin)));
        else
            QVERIFY2(skin < 3, qPrintable(QStringLiteral("card %1: %2").arg(card).arg(skin)));
    }
}

// The lower-right corner is the upper-left one turned half round, and nothing
// else is drawn in either.
void Faces::theRankStandsInTwoOppositeCorners() {
    for (int card = 1; card <= 40; ++card) {
        const QImage turned = m_face[card].transformed(QTransform().rotate(180));
        const int n = differingPixels(m_face[card], turned, kUpperIndex);
        QVERIFY2(n <= 2, qPrintable(QStringLiteral("card %1: %2").arg(card).arg(n)));
    }
}

void Faces::eachRankHasItsOwnIndex() {
    for (int suit = 0; suit < 4; ++suit)
        for (int a = 1; a <= 10; ++a)
            for (int b = a + 1; b <= 10; ++b) {
                const int n =
                    differingPixels(m_face[suit * 10 + a], m_face[suit * 10 + b], kUpperIndex);
                QVERIFY2(
                    n > 8,
                    qPrintable(
                        QStringLiteral("%1: ranks %2 and %3").arg(kSuitNames[suit]).arg(a).arg(b)));
            }
}

// The numeral in the corner is the same drawing in all four suits, only its
// colour changes; a face filed under the wrong rank shows another numeral.
void Faces::aRankReadsTheSameInEverySuit() {
    for (int rank = 1; rank <= 10; ++rank) {
        const auto coins = inkMask(m_face[rank], kUpperIndex);
        for (int suit = 1; suit < 4; ++suit) {
            const int n = maskDifference(coins, inkMask(m_face[suit * 10 + rank], kUpperIndex));
            QVERIFY2(n <= 6, qPrintable(QStringLiteral("rank %1 in %2: %3 pixels")
                                            .arg(rank)
                                            .arg(kSuitNames[suit])
                                            .arg(n)));
        }
    }
}

// Without reading the index: in each suit the knight is the card with the
// horse (its grey coat), the king the one with white fur and beard.
void Faces::figuresAreToldApartByHorseAndErmine() {
    const auto horse = [](QRgb p) { return channelDistance(p, qRgb(0xdd, 0xd6, 0xca)) < 10; };
    const auto white = [](QRgb p) { return qRed(p) > 235 && qGreen(p) > 235 && qBlue(p) > 235; };
    for (int suit = 0; suit < 4; ++suit) {
        const int knight = suit * 10 + 9, king = suit * 10 + 10;
        for (int rank = 1; rank <= 10; ++rank) {
            const int card = suit * 10 + rank;
            if (card != knight)
                QVERIFY2(
                    countPixels(m_face[knight], horse) > 2 * countPixels(m_face[card], horse),
                    qPrintable(
                        QStringLiteral("card %1 has as much horse as %2").arg(card).arg(knight)));
            if (card != king)
                QVERIFY2(
                    countPixels(m_face[king], white) > 2 * countPixels(m_face[card], white),
                    qPrintable(
                        QStringLiteral("card %1 has as much ermine as %2").arg(card).arg(king)));
        }
    }
}

QTEST_MAIN(Faces)
#include "tst_faces.moc"
