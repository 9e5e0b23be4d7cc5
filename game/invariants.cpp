#include "invariants.h"

#include <sstream>

namespace vimbo {

namespace {

class Checker {
public:
    explicit Checker(const Game& game) : m_game(game) {}

    std::string run() {
        checkStacks();
        checkWastePile();
        checkEveryCardOnce();
        return m_failure.str();
    }

private:
    template <typename... Args> void fail(const Args&... args) {
        if (!m_failure.str().empty()) return; // report only the first problem
        (m_failure << ... << args);
    }

    void checkStacks() {
        for (int c = 0; c <= kGridSize; ++c) {
            for (int r = 0; r <= kGridSize; ++r) {
                const Game::Stack& stack = m_game.TableGrid[c][r];
                if (stack[0] != kNoCard) fail("slot 0 of cell ", c, ",", r, " holds ", stack[0]);
                const int top = m_game.TopSlot(c, r);
                if (top > 0 && !isGridCell(c, r)) fail("cell ", c, ",", r, " is off the grid");
                for (int s = 1; s <= top; ++s)
                    checkSlot(c, r, s, stack);
            }
        }
    }

    void checkSlot(int c, int r, int s, const Game::Stack& stack) {
        const CardValue card = stack[s];
        if (!isCard(card)) return fail("cell ", c, ",", r, " has a gap or bad value at slot ", s);
        countPlace(card, CellOrigin(c, r));
        if (isFoundationCell(c, r)) {
            if (card != stack[1] + s - 1 || !isAce(stack[1]))
                fail("foundation ", c, ",", r, " slot ", s, " holds ", card);
            if (m_game.pictures[card].enabled == (s == 1))
                fail("foundation card ", card, " has the wrong lock");
        } else {
            if (s > 1 && !fitsOnTableau(stack[s - 1], card))
                fail("card ", card, " does not fit on ", stack[s - 1], " at ", c, ",", r);
            if (!m_game.pictures[card].enabled) fail("tableau card ", card, " is locked");
        }
        if (s < m_game.TopSlot(c, r) && !inFront(stack[s + 1], card))
            fail("card ", card, " is in front of the top of its cell ", c, ",", r);
    }

    void checkWastePile() {
        const auto& pile = m_game.WastePile;
        for (std::size_t i = 0; i < pile.size(); ++i) {
            countPlace(pile[i], kWastePilePlace);
            if (!m_game.pictures[pile[i]].enabled) fail("waste card ", pile[i], " is locked");
            if (i + 1 < pile.size() && !inFront(pile[i + 1], pile[i]))
                fail("waste card ", pile[i], " is in front of a later one");
        }
    }

    void checkEveryCardOnce() {
        for (int v = 1; v <= kCardCount; ++v) {
            if (m_seen[v] > 1) fail("card ", v, " lies in ", m_seen[v], " places");
            if (m_seen[v] == 0 && m_game.pictures[v].place != kParkedPlace)
                fail("card ", v, " is nowhere in the model but its picture is on the table");
        }
        // Once dealt, the deck is a permutation: the cards brought into play
        // lie on the table, the rest wait parked in the stock.
        if (m_game.NextDealPosition == 0) return;
        std::array<bool, kCardCount + 1> inDeck{};
        for (int i = 1; i <= kCardCount; ++i) {
            const CardValue card = m_game.ShuffledDeck[i];
            if (!isCard(card) || inDeck[card]) return fail("the deck repeats or lacks card ", card);
            inDeck[card] = true;
            const bool inPlay = i <= m_game.NextDealPosition;
            if (inPlay != (m_seen[card] == 1))
                fail("deck position ", i, " (card ", card, ") ",
                     inPlay ? "is lost" : "left the stock");
        }
    }

    void countPlace(CardValue card, Point expected) {
        ++m_seen[card];
        if (m_game.pictures[card].place != expected)
            fail("card ", card, " is drawn at ", m_game.pictures[card].place.left, ",",
                 m_game.pictures[card].place.top, " instead of ", expected.left, ",", expected.top);
    }

    bool inFront(CardValue a, CardValue b) const {
        return m_game.pictures[a].zOrder > m_game.pictures[b].zOrder;
    }

    const Game& m_game;
    std::array<int, kCardCount + 1> m_seen{};
    std::ostringstream m_failure;
};

} // namespace

std::string checkInvariants(const Game& game) {
    return Checker(game).run();
}

} // namespace vimbo
