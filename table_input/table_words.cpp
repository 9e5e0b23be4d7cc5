#include "table_words.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace vimbo {

namespace {

using What = KeyOutcome::What;

// Every place of the table once: its title, and the word a card lies "at"
// it with ("at the left of the plus", "on the waste pile").
struct PlaceWords {
    Cell place;
    const char* title;
    const char* at;
};

constexpr PlaceWords kPlaceWords[] = {
    {{1, 1}, "Top-left foundation", "on"},
    {{2, 1}, "Top of the plus", "at"},
    {{3, 1}, "Top-right foundation", "on"},
    {{1, 2}, "Left of the plus", "at"},
    {{2, 2}, "Centre of the plus", "in"},
    {{3, 2}, "Right of the plus", "at"},
    {{1, 3}, "Bottom-left foundation", "on"},
    {{2, 3}, "Bottom of the plus", "at"},
    {{3, 3}, "Bottom-right foundation", "on"},
    {kWasteCell, "Waste pile", "on"},
    {kStockCell, "Stock", "in"},
};

const PlaceWords* wordsFor(Cell place) {
    const auto it = std::find_if(std::begin(kPlaceWords), std::end(kPlaceWords),
                                 [place](const PlaceWords& w) { return w.place == place; });
    return it == std::end(kPlaceWords) ? nullptr : &*it;
}

// "the top-left foundation": a title inside a sentence.
std::string the(Cell place) {
    std::string title = placeTitle(place);
    if (title.empty()) return title;
    title[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(title[0])));
    return "the " + title;
}

std::string at(Cell place) {
    const PlaceWords* words = wordsFor(place);
    return words ? std::string(words->at) + " " + the(place) : std::string();
}

std::string cards(int count, const char* what = "") {
    return (count == 1 ? std::string("1 card") : std::to_string(count) + " cards") + what;
}

// "on the Four of Clubs, centre of the plus", or "on the empty top of the plus".
std::string onto(Cell place, CardValue under, bool empty) {
    if (under != kNoCard) return "on the " + cardName(under) + ", " + the(place).substr(4);
    return empty ? "on the empty " + the(place).substr(4) : "on " + the(place);
}

std::string toldPutDown(const KeyOutcome& o) {
    const std::string card = cardName(o.card);
    switch (o.what) {
    case What::Placed:
        return card + " " + onto(o.target, o.under, false);
    case What::Refused:
        return card + " cannot go " + onto(o.target, o.under, true) + "; back on " + the(o.place);
    case What::Returned:
        if (o.target != o.place)
            return card + " cannot go " + at(o.target) + "; back on " + the(o.place);
        [[fallthrough]];
    default:
        return "Back on " + the(o.place);
    }
}

} // namespace

std::string cardName(CardValue card) {
    if (!isCard(card)) return {};
    static const char* const ranks[] = {"Ace", "Two",   "Three", "Four",   "Five",
                                        "Six", "Seven", "Knave", "Knight", "King"};
    static const char* const suits[] = {"Coins", "Cups", "Clubs", "Swords"};
    return std::string(ranks[rankOf(card) - 1]) + " of " + suits[suitOf(card)];
}

std::string placeTitle(Cell place) {
    const PlaceWords* words = wordsFor(place);
    return words ? words->title : "";
}

std::string placeName(Cell place, const Game& game) {
    const std::string title = placeTitle(place) + ": ";
    if (isStockCell(place)) {
        const int left = game.stockVisible ? game.cardsLeftInStock() : 0;
        return title + (left == 0 ? "empty" : cards(left, " left"));
    }
    int count = 0;
    CardValue front = kNoCard;
    if (isWasteCell(place)) {
        count = static_cast<int>(game.WastePile.size());
        front = count ? game.WastePile.back() : kNoCard;
    } else if (isGridCell(place.column, place.row)) {
        count = game.TopSlot(place.column, place.row);
        front = game.topCard(place.column, place.row);
    }
    if (count == 0) return title + "empty";
    return title + cardName(front) + ", " + cards(count);
}

std::string cardWhere(Point picture) {
    if (picture == kWastePilePlace) return at(kWasteCell);
    const Cell cell = CellAtPoint(picture.left, picture.top);
    if (!isGridCell(cell.column, cell.row) || picture != CellOrigin(cell.column, cell.row))
        return "not in play";
    return at(cell);
}

std::string toldAfter(const KeyOutcome& o, const Game& game) {
    switch (o.what) {
    case What::PickedUp:
        return cardName(o.card) + " picked up";
    case What::Moved:
        return o.card ? "Carrying " + cardName(o.card) : std::string();
    case What::Stayed: // the edge of the table: the place again, short
        return placeTitle(o.place);
    case What::NothingToPickUp:
        return "Nothing to pick up";
    case What::Locked:
        return cardName(o.card) + " stays on its foundation";
    case What::Placed:
    case What::Refused:
    case What::Returned:
    case What::Cancelled:
        return toldPutDown(o);
    case What::StockTurned: {
        const int left = game.stockVisible ? game.cardsLeftInStock() : 0;
        return "Turned: " + cardName(o.card) + ". " +
               (left == 0 ? std::string("The stock is empty") : cards(left, " left"));
    }
    case What::StockEmpty:
        return "The stock is empty";
    case What::Summary:
        return tableSummary(game);
    case What::Hinted:
        return toldHint(o.hint);
    case What::Ignored:
    case What::CursorShown:
    case What::NewDeal:
        break;
    }
    return {};
}

std::string toldDeal(const Game& game) {
    static constexpr Cell kDealt[] = {{2, 1}, {1, 2}, {2, 2}, {3, 2}, {2, 3}};
    std::string told = "New game: ";
    for (int i = 1; i <= 5; ++i) {
        // "at the top", not "at the top of the plus": all five lie in the plus.
        std::string where = at(kDealt[i - 1]);
        where.erase(where.find(" of the plus"));
        told += cardName(game.ShuffledDeck[i]) + " " + where + (i < 5 ? ", " : "");
    }
    return told;
}

std::string toldWin(const Game& game) {
    const Cell home{game.DropColumn, game.DropRow};
    const CardValue under = game.TableGrid[home.column][home.row][kSlots - 1];
    return cardName(game.DraggedCard) + " " + onto(home, under, false) +
           ". All four kings are home: you have won!";
}

std::string tableSummary(const Game& game) {
    std::string told = placeName(kStockCell, game) + ". " + placeName(kWasteCell, game) + ".";
    // The foundations first, each by its top card, which says how far its
    // suit has come; then the plus, each place with its count.
    for (const bool foundations : {true, false}) {
        for (const PlaceWords& words : kPlaceWords) {
            const Cell c = words.place;
            if (!isGridCell(c.column, c.row) || isFoundationCell(c.column, c.row) != foundations)
                continue;
            const CardValue top = game.topCard(c.column, c.row);
            told += ' ';
            if (foundations) {
                told += placeTitle(c);
                told += ": ";
                told += top ? cardName(top) : "empty";
            } else {
                told += placeName(c, game);
            }
            told += '.';
        }
    }
    return told;
}

std::string toldHint(const Hint& hint) {
    switch (hint.kind) {
    case Hint::Kind::Move:
        return cardName(hint.card) + " can go " + onto(hint.to, hint.onto, true);
    case Hint::Kind::Nowhere:
        return "Nowhere to put the " + cardName(hint.card) + ": Escape puts it back";
    case Hint::Kind::TurnStock:
        return "No move on the table: turn the stock";
    case Hint::Kind::NoMoveLeft:
        break;
    }
    return "No move left. Shuffle cards deals a new game";
}

} // namespace vimbo
