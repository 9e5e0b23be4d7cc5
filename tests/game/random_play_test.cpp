// Random play: many games from many seeds, legal and illegal moves from cells,
// foundations and the waste pile, stock turns and the odd new game, with every
// invariant of the table checked after each step.
#include "game.h"
#include "invariants.h"
#include "table_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

namespace vimbo {
namespace {

class RandomPlayer {
public:
    explicit RandomPlayer(std::uint64_t seed)
        : m_game(std::make_unique<SeededRandom>(seed)), m_rng(seed * 7919 + 1) {
        m_game.Finale = [this] {
            ++wins;
            newGame();
        };
        newGame();
    }

    // One step; returns a description for the failure message.
    std::string step() {
        const int roll = pick(100);
        if (roll < 15 && m_game.stockVisible) {
            m_game.turnStock();
            return "stock turn";
        }
        if (roll == 99 && pick(20) == 0) {
            newGame();
            return "new game";
        }
        const std::vector<CardValue> pressable = pressableCards();
        if (pressable.empty()) return "nothing to press";
        CardValue card = pressable[pick(static_cast<int>(pressable.size()))];
        // Most of the time build a foundation when any card can: that is how
        // a player gets far, and it makes the deep states of a game common.
        for (CardValue c : pressable)
            if (pick(4) != 0 && findTaker(c, true)) card = c;
        Cell target{1 + pick(3), 1 + pick(3)};
        // Half of the time look for a cell that takes the card, so that games
        // get far enough to build foundations and take cards back.
        if (pick(2) == 0) target = findTaker(card, pick(4) != 0).value_or(target);
        const bool fromFoundation = isFoundationCell(source(card).column, source(card).row);
        if (testing::move(m_game, card, target.column, target.row) && fromFoundation) ++takeBacks;
        best = std::max(best, cardsOnFoundations());
        return "card " + std::to_string(card) + " to " + std::to_string(target.column) + "," +
               std::to_string(target.row);
    }

    const Game& game() const { return m_game; }
    int wins = 0;
    int takeBacks = 0;
    int best = 0; // most cards on the foundations at once

private:
    void newGame() {
        m_game.clearMoveCells();
        m_game.parkAllCards();
        m_game.showStock();
        m_game.Mescola();
    }

    std::vector<CardValue> pressableCards() const {
        std::vector<CardValue> cards;
        for (int c = 1; c <= 3; ++c)
            for (int r = 1; r <= 3; ++r) {
                const CardValue top = m_game.topCard(c, r);
                if (top != kNoCard && m_game.pictures[top].enabled) cards.push_back(top);
            }
        if (!m_game.WastePile.empty()) cards.push_back(m_game.WastePile.back());
        return cards;
    }

    std::optional<Cell> findTaker(CardValue card, bool foundationsOnly) {
        for (int c = 1; c <= 3; ++c)
            for (int r = 1; r <= 3; ++r) {
                if (foundationsOnly && !isFoundationCell(c, r)) continue;
                const CardValue top = m_game.topCard(c, r);
                const bool takes = isFoundationCell(c, r)
                                       ? (top == kNoCard ? isAce(card) : card == top + 1)
                                       : (top == kNoCard || fitsOnTableau(top, card));
                if (takes && m_game.pictures[card].place != CellOrigin(c, r)) return Cell{c, r};
            }
        return std::nullopt;
    }

    Cell source(CardValue card) const {
        return CellAtPoint(m_game.pictures[card].place.left, m_game.pictures[card].place.top);
    }

    int cardsOnFoundations() const {
        int n = 0;
        for (int c : {1, 3})
            for (int r : {1, 3})
                n += m_game.TopSlot(c, r);
        return n;
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

    Game m_game;
    std::mt19937_64 m_rng;
};

TEST(RandomPlay, KeepsEveryInvariantOfTheTableAfterEveryStep) {
    int takeBacks = 0;
    int best = 0;
    for (std::uint64_t seed = 1; seed <= 60; ++seed) {
        RandomPlayer player(seed);
        ASSERT_EQ(checkInvariants(player.game()), "") << "seed " << seed << " after the deal";
        for (int i = 1; i <= 3000; ++i) {
            const std::string what = player.step();
            const std::string broken = checkInvariants(player.game());
            ASSERT_EQ(broken, "") << "seed " << seed << ", step " << i << " (" << what << ")";
        }
        takeBacks += player.takeBacks;
        best = std::max(best, player.best);
    }
    // The play reaches deep enough to matter: foundations well built and cards
    // taken back from them. A rule that stopped accepting would show here.
    EXPECT_GT(takeBacks, 0);
    EXPECT_GE(best, 12) << "most cards ever on the foundations";
}

} // namespace
} // namespace vimbo
