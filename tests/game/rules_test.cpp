#include "game.h"
#include "invariants.h"
#include "table_builder.h"

#include <gtest/gtest.h>

namespace vimbo {
namespace {

using namespace vimbo::testing;

// A table with nothing dealt: tests stack exactly the cards they need. The
// card to be moved waits on the centre cell (2, 2) unless a test says otherwise.
class PlacementTest : public ::testing::Test {
protected:
    Game game;

    // Puts card on the centre cell, drops it on the given cell, returns accepted.
    bool dropFromCentre(CardValue card, int column, int row) {
        stack(game, 2, 2, {card});
        return move(game, card, column, row);
    }

    void expectUnchangedAfterRefusal(CardValue card, int column, int row) {
        const Game before = copyOf(game);
        EXPECT_FALSE(move(game, card, column, row));
        EXPECT_EQ(game.TableGrid, before.TableGrid);
        EXPECT_EQ(game.pictures[card].place, before.pictures[card].place);
        EXPECT_EQ(game.pictures[card].enabled, before.pictures[card].enabled);
    }

    static Game copyOf(const Game& g) {
        Game copy;
        copy.TableGrid = g.TableGrid;
        copy.pictures = g.pictures;
        return copy;
    }
};

using AFoundation = PlacementTest;

TEST_F(AFoundation, TakesAnAceWhenEmptyAndLocksIt) {
    ASSERT_TRUE(dropFromCentre(cups(1), 3, 1));
    EXPECT_EQ(game.TableGrid[3][1][1], cups(1));
    EXPECT_EQ(game.TopSlot(2, 2), 0);
    EXPECT_EQ(game.pictures[cups(1)].place, (Point{180, 10}));
    EXPECT_FALSE(game.pictures[cups(1)].enabled);
}

TEST_F(AFoundation, RefusesASecondAceAndAnyNonAceWhenEmpty) {
    stack(game, 1, 1, {coins(1)});
    stack(game, 2, 2, {cups(1)});
    expectUnchangedAfterRefusal(cups(1), 1, 1);
    stack(game, 2, 1, {cups(2)});
    expectUnchangedAfterRefusal(cups(2), 3, 3);
}

TEST_F(AFoundation, BuildsOnlyTheNextCardOfItsSuit) {
    stack(game, 1, 3, {cups(1)});
    stack(game, 2, 1, {coins(2)});
    expectUnchangedAfterRefusal(coins(2), 1, 3);
    ASSERT_TRUE(dropFromCentre(cups(2), 1, 3));
    EXPECT_EQ(game.TableGrid[1][3][2], cups(2));
    EXPECT_TRUE(game.pictures[cups(2)].enabled); // only the ace is locked
}

TEST_F(AFoundation, TakesOnlyItsKingOnANineAndNothingOnceComplete) {
    stack(game, 3, 3,
          {swords(1), swords(2), swords(3), swords(4), swords(5), swords(6), swords(7), swords(8),
           swords(9)});
    stack(game, 2, 1, {clubs(10)});
    expectUnchangedAfterRefusal(clubs(10), 3, 3);
    ASSERT_TRUE(dropFromCentre(swords(10), 3, 3));
    EXPECT_EQ(game.TopSlot(3, 3), 10);
    stack(game, 2, 3, {clubs(1)});
    expectUnchangedAfterRefusal(clubs(1), 3, 3);
}

TEST_F(AFoundation, GivesItsTopCardBackToThePlusAndTakesItAgain) {
    stack(game, 1, 1, {coins(1), coins(2), coins(3)});
    stack(game, 2, 1, {clubs(4)});
    ASSERT_TRUE(move(game, coins(3), 2, 1));
    EXPECT_EQ(game.TopSlot(1, 1), 2);
    EXPECT_EQ(game.TableGrid[2][1][2], coins(3));
    // The two beneath is the foundation's top again and can be built on.
    ASSERT_TRUE(move(game, coins(3), 1, 1));
    EXPECT_EQ(game.TopSlot(1, 1), 3);
    EXPECT_EQ(game.TopSlot(2, 1), 1);
}

using ThePlus = PlacementTest;

TEST_F(ThePlus, TakesOneRankLowerOfTheOtherSuitLength) {
    struct Case {
        CardValue top, card;
        bool accepted;
    } cases[] = {
        {clubs(4), coins(3), true},    {clubs(4), cups(3), true},    {clubs(4), swords(3), false},
        {clubs(4), coins(2), false},   {clubs(4), coins(5), false},  {cups(7), swords(6), true},
        {cups(7), coins(6), false},    {clubs(10), coins(9), true},  {cups(10), swords(9), true},
        {swords(10), cups(9), true},   {coins(10), coins(9), false}, {coins(10), cups(9), false},
        {clubs(10), swords(9), false}, {coins(1), clubs(2), false},  {clubs(2), coins(1), true},
        {clubs(2), swords(1), false},  {coins(8), clubs(7), true},   {swords(9), cups(8), true},
    };
    for (const Case& c : cases) {
        Game fresh;
        game = std::move(fresh);
        stack(game, 2, 1, {c.top});
        EXPECT_EQ(dropFromCentre(c.card, 2, 1), c.accepted) << c.card << " on " << c.top;
    }
}

TEST_F(ThePlus, NeverTakesAKingOnAnAce) {
    for (CardValue ace : {coins(1), cups(1), clubs(1), swords(1)}) {
        for (CardValue king : {coins(10), cups(10), clubs(10), swords(10)}) {
            Game fresh;
            game = std::move(fresh);
            stack(game, 1, 2, {ace});
            EXPECT_FALSE(dropFromCentre(king, 1, 2)) << king << " on " << ace;
        }
    }
}

TEST_F(ThePlus, TakesAnyCardWhenEmptyButNothingOnTenCards) {
    ASSERT_TRUE(dropFromCentre(swords(10), 2, 3));
    stack(game, 3, 2,
          {swords(10), cups(9), clubs(8), coins(7), swords(6), cups(5), clubs(4), coins(3),
           swords(2), cups(1)});
    stack(game, 2, 1, {coins(2)});
    expectUnchangedAfterRefusal(coins(2), 3, 2);
}

TEST_F(ThePlus, RefusesACardDroppedBackOnItsOwnCell) {
    stack(game, 1, 2, {clubs(4), cups(3)});
    expectUnchangedAfterRefusal(cups(3), 1, 2);
    expectUnchangedAfterRefusal(cups(3), 1, 2);
}

TEST(TheWastePile, GivesItsFrontCardWithoutTouchingTheGrid) {
    Game game(std::make_unique<SeededRandom>(5));
    game.parkAllCards();
    game.showStock();
    game.Mescola();
    const CardValue first = game.turnStock();
    const CardValue second = game.turnStock();
    const auto grid = game.TableGrid;
    // An empty cell of the plus takes any card: empty the top cell first.
    game.TableGrid[2][1][1] = kNoCard;
    const CardValue topCard = grid[2][1][1];
    game.pictures[topCard].place = kParkedPlace;
    ASSERT_TRUE(move(game, second, 2, 1));
    EXPECT_EQ(game.TableGrid[2][1][1], second);
    EXPECT_EQ(game.TableGrid[2][2], grid[2][2]);
    ASSERT_EQ(game.WastePile, std::vector<CardValue>{first});
    EXPECT_EQ(game.pictures[first].place, kWastePilePlace);
}

TEST(TheStock, TurnsPositionsSixToFortyAndThenIsGone) {
    Game game(std::make_unique<SeededRandom>(8));
    game.parkAllCards();
    game.showStock();
    game.Mescola();
    EXPECT_EQ(game.turnStock(), game.ShuffledDeck[6]);
    for (int turn = 2; turn < 35; ++turn)
        ASSERT_TRUE(game.stockVisible) << turn;
    for (int turn = 2; turn <= 35; ++turn)
        game.turnStock();
    EXPECT_EQ(game.WastePile.back(), game.ShuffledDeck[40]);
    EXPECT_FALSE(game.stockVisible);
    EXPECT_EQ(game.turnStock(), kNoCard);
    EXPECT_EQ(game.NextDealPosition, 40);
    EXPECT_EQ(game.WastePile.size(), 35u);
    EXPECT_EQ(checkInvariants(game), "");
}

TEST(TheEndOfTheGame, ComesOnceFromTheFourthKingAndNotBefore) {
    Game game;
    int finales = 0;
    int centreAtFinale = -1;
    game.Finale = [&] {
        ++finales;
        centreAtFinale = game.TopSlot(2, 2);
    };
    const int corners[4][2] = {{1, 1}, {3, 1}, {1, 3}, {3, 3}};
    for (int suit = 0; suit < 4; ++suit) {
        const auto base = static_cast<CardValue>(suit * 10);
        for (int rank = 1; rank <= 9; ++rank)
            stack(game, corners[suit][0], corners[suit][1], {static_cast<CardValue>(base + rank)});
    }
    for (int suit = 0; suit < 3; ++suit) {
        stack(game, 2, 2, {static_cast<CardValue>(suit * 10 + 10)});
        ASSERT_TRUE(
            move(game, static_cast<CardValue>(suit * 10 + 10), corners[suit][0], corners[suit][1]));
    }
    EXPECT_EQ(finales, 0) << "three complete foundations are not a win";
    stack(game, 2, 2, {swords(10)});
    ASSERT_TRUE(move(game, swords(10), 3, 3));
    EXPECT_EQ(finales, 1);
    EXPECT_EQ(centreAtFinale, 0) << "the king leaves its cell before the end is called";
}

} // namespace
} // namespace vimbo
