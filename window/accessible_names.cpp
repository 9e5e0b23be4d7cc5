#include "accessible_names.h"

#include "cards.h"

namespace vimbo {

namespace {

using What = KeyOutcome::What;

// Indexed [row - 1][column - 1].
const char* const kCellTitles[3][3] = {
    {"Top-left foundation", "Top of the plus", "Top-right foundation"},
    {"Left of the plus", "Centre of the plus", "Right of the plus"},
    {"Bottom-left foundation", "Bottom of the plus", "Bottom-right foundation"},
};

QString cards(int count, const char* what = "") {
    return count == 1 ? QStringLiteral("1 card%1").arg(QLatin1String(what))
                      : QStringLiteral("%1 cards%2").arg(count).arg(QLatin1String(what));
}

// "the top-left foundation", "the centre of the plus": a title inside a sentence.
QString inSentence(Cell place) {
    const QString title = placeTitle(place);
    return QStringLiteral("the ") + title.left(1).toLower() + title.mid(1);
}

} // namespace

QString cardName(int card) {
    if (!isCard(card)) return {};
    static const char* const ranks[] = {"Ace", "Two",   "Three", "Four",   "Five",
                                        "Six", "Seven", "Knave", "Knight", "King"};
    static const char* const suits[] = {"Coins", "Cups", "Clubs", "Swords"};
    return QStringLiteral("%1 of %2")
        .arg(QLatin1String(ranks[rankOf(card) - 1]), QLatin1String(suits[suitOf(card)]));
}

QString placeDescription(Point place) {
    if (place == kWastePilePlace) return QStringLiteral("on the waste pile");
    const Cell cell = CellAtPoint(place.left, place.top);
    if (place != CellOrigin(cell.column, cell.row)) return QStringLiteral("not in play");
    static const char* const cells[3][3] = {
        {"on the top-left foundation", "at the top of the plus", "on the top-right foundation"},
        {"at the left of the plus", "in the centre of the plus", "at the right of the plus"},
        {"on the bottom-left foundation", "at the bottom of the plus",
         "on the bottom-right foundation"},
    };
    return QLatin1String(cells[cell.row - 1][cell.column - 1]);
}

QString placeTitle(Cell place) {
    if (isWasteCell(place)) return QStringLiteral("Waste pile");
    if (isStockCell(place)) return QStringLiteral("Stock");
    if (!isGridCell(place.column, place.row)) return {};
    return QLatin1String(kCellTitles[place.row - 1][place.column - 1]);
}

QString placeName(Cell place, const Game& game) {
    const QString title = placeTitle(place) + QStringLiteral(": ");
    int count = 0;
    CardValue front = kNoCard;
    if (isStockCell(place)) {
        const int left = game.stockVisible ? game.cardsLeftInStock() : 0;
        return title + (left == 0 ? QStringLiteral("empty") : cards(left, " left"));
    }
    if (isWasteCell(place)) {
        count = static_cast<int>(game.WastePile.size());
        front = count ? game.WastePile.back() : kNoCard;
    } else if (isGridCell(place.column, place.row)) {
        count = game.TopSlot(place.column, place.row);
        front = game.topCard(place.column, place.row);
    }
    if (count == 0) return title + QStringLiteral("empty");
    return title + cardName(front) + QStringLiteral(", ") + cards(count);
}

QString toldAfter(const KeyOutcome& o) {
    const QString card = cardName(o.card);
    switch (o.what) {
    case What::PickedUp:
        return card + QStringLiteral(" picked up");
    case What::Moved:
        return o.card ? QStringLiteral("Carrying ") + card : QString();
    case What::NothingToPickUp:
        return QStringLiteral("Nothing to pick up");
    case What::Locked:
        return card + QStringLiteral(" stays on its foundation");
    case What::Placed:
        return o.under ? QStringLiteral("%1 on the %2, %3")
                             .arg(card, cardName(o.under), inSentence(o.place).mid(4))
                       : QStringLiteral("%1 on %2").arg(card, inSentence(o.place));
    case What::Refused:
        return o.under ? QStringLiteral("%1 cannot go on the %2").arg(card, cardName(o.under))
                       : QStringLiteral("%1 cannot go on the empty %2")
                             .arg(card, inSentence(o.place).mid(4));
    case What::Returned:
    case What::Cancelled:
        return QStringLiteral("%1 back on %2").arg(card, inSentence(o.place));
    case What::StockTurned:
        return card + QStringLiteral(" turned");
    case What::StockEmpty:
        return QStringLiteral("The stock is empty");
    case What::Ignored:
    case What::CursorShown:
    case What::Stayed:
    case What::NewDeal:
        break;
    }
    return {};
}

QString toldDeal(const Game& game) {
    static const char* const where[] = {"at the top", "at the left", "in the centre",
                                        "at the right", "at the bottom"};
    QStringList dealt;
    for (int i = 1; i <= 5; ++i)
        dealt << cardName(game.ShuffledDeck[i]) + QLatin1Char(' ') + QLatin1String(where[i - 1]);
    return QStringLiteral("New game: ") + dealt.join(QStringLiteral(", "));
}

QString toldWin(const Game& game) {
    const Cell home{game.DropColumn, game.DropRow};
    const CardValue king = game.DraggedCard;
    const CardValue under = game.TableGrid[home.column][home.row][kSlots - 1];
    return QStringLiteral("%1 on the %2, %3. All four kings are home: you have won!")
        .arg(cardName(king), cardName(under), inSentence(home).mid(4));
}

} // namespace vimbo
