#include "hint.h"

#include "table_keys.h"

#include <deque>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace vimbo {

namespace {

constexpr int kCells = kGridSize * kGridSize;
constexpr int kFromWaste = -1;

Cell cellAt(int i) {
    return {i % kGridSize + 1, i / kGridSize + 1};
}

Cell placeOf(int from) {
    return from == kFromWaste ? kWasteCell : cellAt(from);
}

// The table as the search sees it: the nine stacks, and how many of the
// waste pile's cards are still there (only its front card can move, so the
// pile itself never changes order).
struct Position {
    std::array<Game::Stack, kCells> cells{};
    int waste = 0;

    std::string key() const {
        std::string k(reinterpret_cast<const char*>(cells.data()), sizeof cells);
        k += static_cast<char>(waste);
        return k;
    }
};

struct Step {
    CardValue card = kNoCard;
    int from = kFromWaste;
    int to = 0;
    CardValue onto = kNoCard;
};

// Which places a card is likelier to help on, best first: a foundation, a
// card of the plus, an empty place of the plus.
int preference(Cell to, const Game::Stack& stack) {
    return isFoundationCell(to.column, to.row) ? 0 : topSlotOf(stack) > 0 ? 1 : 2;
}
constexpr int kPreferences = 3;

int cardsHome(const Position& p) {
    int home = 0;
    for (int i = 0; i < kCells; ++i)
        if (isFoundationCell(cellAt(i).column, cellAt(i).row)) home += topSlotOf(p.cells[i]);
    return home;
}

class Search {
public:
    explicit Search(const Game& game) : m_pile(game.WastePile) {
        for (int i = 0; i < kCells; ++i)
            m_root.cells[i] = game.TableGrid[cellAt(i).column][cellAt(i).row];
        m_root.waste = static_cast<int>(m_pile.size());
    }

    // The first step towards the nearest position with a card more at home or
    // a card fewer on the waste pile. Should the search give up first, any
    // move the rules allow is still truer than the word that there is none.
    // With `anyWay`, the first way found will do: only whether there is one counts.
    bool firstUsefulStep(Step& first, bool anyWay = false) const;
    bool won() const { return cardsHome(m_root) == kCardCount; }

private:
    // The card a place gives up: its top, save an ace on its foundation,
    // which is locked there; or the waste pile's front card.
    CardValue movable(const Position& p, int from) const {
        if (from == kFromWaste) return p.waste > 0 ? m_pile[p.waste - 1] : kNoCard;
        const Cell cell = cellAt(from);
        const int k = topSlotOf(p.cells[from]);
        if (k == 0 || (k == 1 && isFoundationCell(cell.column, cell.row))) return kNoCard;
        return p.cells[from][k];
    }

    // Every move the rules allow that may help, the likeliest first: onto a
    // foundation, then onto a card of the plus, then into an empty place of
    // the plus. A lone card moved to another empty place changes nothing; a
    // card taken off its foundation helps only as a place for the waste
    // pile's front card, and would otherwise just go back up.
    std::vector<Step> moves(const Position& p) const {
        std::vector<Step> found;
        for (int pass = 0; pass < kPreferences; ++pass)
            for (int from = kFromWaste; from < kCells; ++from)
                for (int to = 0; to < kCells; ++to)
                    addMove(p, from, to, pass, found);
        return found;
    }

    void addMove(const Position& p, int from, int to, int pass, std::vector<Step>& found) const {
        const CardValue card = movable(p, from);
        if (card == kNoCard || from == to) return;
        const Cell cell = cellAt(to);
        const bool foundation = isFoundationCell(cell.column, cell.row);
        const int top = topSlotOf(p.cells[to]);
        if (pass != preference(cell, p.cells[to])) return;
        if (from != kFromWaste && !foundation && !helps(p, from, top)) return;
        const bool taken =
            foundation ? foundationTakes(p.cells[to], card) : tableauTakes(p.cells[to], card);
        if (taken) found.push_back({card, from, to, p.cells[to][top]});
    }

    // Whether a move from a grid cell to a place of the plus (empty when
    // `top` is 0) may help.
    bool helps(const Position& p, int from, int top) const {
        const Cell source = cellAt(from);
        if (isFoundationCell(source.column, source.row)) {
            const CardValue front = movable(p, kFromWaste);
            return front != kNoCard && fitsOnTableau(movable(p, from), front);
        }
        return top > 0 || topSlotOf(p.cells[from]) > 1;
    }

    static Position after(Position p, const Step& step) {
        if (step.from == kFromWaste)
            --p.waste;
        else
            p.cells[step.from][topSlotOf(p.cells[step.from])] = kNoCard;
        p.cells[step.to][topSlotOf(p.cells[step.to]) + 1] = step.card;
        return p;
    }

    const std::vector<CardValue>& m_pile;
    Position m_root;
};

bool Search::firstUsefulStep(Step& first, bool anyWay) const {
    const int home = cardsHome(m_root);
    struct Node {
        Position position;
        Step first;
    };
    std::deque<Node> queue;
    std::unordered_set<std::string> seen{m_root.key()};
    const std::vector<Step> now = moves(m_root);
    for (const Step& step : now)
        queue.push_back({after(m_root, step), step});
    std::optional<Step> homeWay;
    while (!queue.empty() && static_cast<int>(seen.size()) <= kHintSearchLimit) {
        const Node node = std::move(queue.front());
        queue.pop_front();
        if (!seen.insert(node.position.key()).second) continue;
        // A card off the waste pile never goes back: the surest progress, so
        // a way there is taken first. Taken one step at a time, each step
        // leaves the rest of the way the shortest from where it leads.
        if (node.position.waste < m_root.waste) {
            first = node.first;
            return true;
        }
        if (!homeWay && cardsHome(node.position) > home) {
            homeWay = node.first;
            if (anyWay) break;
        }
        for (const Step& step : moves(node.position))
            queue.push_back({after(node.position, step), node.first});
    }
    if (!homeWay) return false;
    first = *homeWay;
    return true;
}

} // namespace

Hint findHint(const Game& game) {
    const Search search(game);
    Step step;
    if (search.firstUsefulStep(step))
        return {Hint::Kind::Move, step.card, placeOf(step.from), cellAt(step.to), step.onto};
    if (game.stockVisible && game.cardsLeftInStock() > 0)
        return {Hint::Kind::TurnStock, kNoCard, {}, {}, kNoCard};
    return {Hint::Kind::NoMoveLeft, kNoCard, {}, {}, kNoCard};
}

bool isStuck(const Game& game) {
    if (game.stockVisible && game.cardsLeftInStock() > 0) return false;
    const Search search(game);
    if (search.won()) return false;
    Step step;
    return !search.firstUsefulStep(step, true);
}

Hint placeFor(const Game& game, CardValue card, Cell from) {
    for (int pass = 0; pass < kPreferences; ++pass) {
        for (int i = 0; i < kCells; ++i) {
            const Cell to = cellAt(i);
            if (pass == preference(to, game.TableGrid[to.column][to.row]) && game.takes(to, card))
                return {Hint::Kind::Move, card, from, to, game.topCard(to.column, to.row)};
        }
    }
    return {Hint::Kind::Nowhere, card, from, {}, kNoCard};
}

} // namespace vimbo
