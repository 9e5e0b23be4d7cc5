#include "game.h"
#include "invariants.h"
#include "table_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>

namespace vimbo {
namespace {

using testing::move;

std::vector<int> deckInOrder(int first = 1) {
    std::vector<int> deck(kCardCount);
    std::iota(deck.begin(), deck.end(), 1);
    std::rotate(deck.begin(), deck.begin() + (first - 1), deck.end());
    return deck;
}

Game dealtGame(std::unique_ptr<RandomSource> random) {
    Game game(std::move(random));
    game.parkAllCards();
    game.showStock();
    game.Mescola();
    return game;
}

TEST(TheShuffle, DealsAPermutationFromEverySeed) {
    for (std::uint64_t seed = 1; seed <= 200; ++seed) {
        Game game = dealtGame(std::make_unique<SeededRandom>(seed));
        std::vector<int> deck(game.ShuffledDeck.begin() + 1, game.ShuffledDeck.end());
        std::sort(deck.begin(), deck.end());
        ASSERT_EQ(deck, deckInOrder()) << "seed " << seed;
        ASSERT_EQ(checkInvariants(game), "") << "seed " << seed;
        ASSERT_TRUE(std::all_of(game.DrawPool.begin(), game.DrawPool.end(),
                                [](CardValue v) { return v == kNoCard; }));
    }
}

TEST(TheShuffle, DealsTheFirstFivePositionsIntoThePlusInOrder) {
    Game game = dealtGame(std::make_unique<ScriptedDraws>(deckInOrder(11)));
    // Positions 1..5: top, left, centre, right, bottom.
    EXPECT_EQ(game.TableGrid[2][1][1], 11);
    EXPECT_EQ(game.TableGrid[1][2][1], 12);
    EXPECT_EQ(game.TableGrid[2][2][1], 13);
    EXPECT_EQ(game.TableGrid[3][2][1], 14);
    EXPECT_EQ(game.TableGrid[2][3][1], 15);
    EXPECT_EQ(game.pictures[13].place, (Point{100, 120}));
    EXPECT_EQ(game.pictures[15].place, (Point{100, 230}));
    EXPECT_EQ(game.NextDealPosition, 5);
    for (int v = 16; v <= 40; ++v)
        EXPECT_EQ(game.pictures[v].place, kParkedPlace);
    for (Cell c : {Cell{1, 1}, Cell{3, 1}, Cell{1, 3}, Cell{3, 3}})
        EXPECT_EQ(game.TopSlot(c.column, c.row), 0);
}

TEST(TheShuffle, ThrowsAwayAZeroOrACardAlreadyDrawnAndDrawsAgain) {
    // 0 names no card; 7 the second time is already dealt.
    std::vector<int> draws{0, 7, 0, 7, 7, 3};
    const std::vector<int> rest = deckInOrder();
    for (int v : rest)
        if (v != 7 && v != 3) draws.push_back(v);
    auto* script = new ScriptedDraws(draws);
    Game game = dealtGame(std::unique_ptr<RandomSource>(script));
    EXPECT_EQ(game.ShuffledDeck[1], 7);
    EXPECT_EQ(game.ShuffledDeck[2], 3);
    EXPECT_EQ(game.ShuffledDeck[3], 1);
    EXPECT_EQ(game.ShuffledDeck[40], 40);
    EXPECT_EQ(script->used(), draws.size());
}

TEST(TheShuffle, StartsAfreshFromItsSeedAtEveryShuffle) {
    // A source reseeded at every shuffle deals the same deck from the same
    // seed however many games came before: the second deal of one game is the
    // first one again.
    Game game = dealtGame(std::make_unique<SeededRandom>(5));
    const auto first = game.ShuffledDeck;
    game.parkAllCards();
    game.showStock();
    game.Mescola();
    EXPECT_EQ(game.ShuffledDeck, first);

    // And the player's source takes its seed from the clock at that moment:
    // programs started one after another do not deal the same first game.
    std::vector<std::array<CardValue, kCardCount + 1>> starts;
    for (int run = 0; run < 5; ++run)
        starts.push_back(dealtGame(std::make_unique<ClockRandom>()).ShuffledDeck);
    EXPECT_TRUE(std::any_of(starts.begin(), starts.end(),
                            [&](const auto& deck) { return deck != starts.front(); }));
}

TEST(ANewGame, InMidGameLeavesNothingOfTheOldTable) {
    // Deal aces to the plus, lay two of them on foundations (locked), turn
    // a few stock cards; then a new game.
    Game game = dealtGame(std::make_unique<ScriptedDraws>(std::vector<int>{
        1,  11, 21, 31, 2,  3,  4,  5,  6,  7,  8,  9,  10, 12, 13, 14, 15, 16, 17, 18,
        19, 20, 22, 23, 24, 25, 26, 27, 28, 29, 30, 32, 33, 34, 35, 36, 37, 38, 39, 40}));
    ASSERT_TRUE(move(game, 1, 1, 1));
    ASSERT_TRUE(move(game, 11, 3, 3));
    ASSERT_TRUE(move(game, 2, 1, 1));
    for (int i = 0; i < 4; ++i)
        game.turnStock();
    ASSERT_FALSE(game.pictures[1].enabled);

    game.setRandomSource(std::make_unique<SeededRandom>(99));
    game.clearMoveCells();
    game.parkAllCards();
    game.showStock();
    game.Mescola();

    EXPECT_EQ(checkInvariants(game), "");
    EXPECT_TRUE(game.WastePile.empty());
    EXPECT_EQ(game.cardsLeftInStock(), 35);
    EXPECT_TRUE(game.stockVisible);
    for (int v = 1; v <= kCardCount; ++v)
        EXPECT_TRUE(game.pictures[v].enabled) << v;
    int onTable = 0;
    for (int c = 1; c <= 3; ++c)
        for (int r = 1; r <= 3; ++r) {
            const int top = game.TopSlot(c, r);
            EXPECT_EQ(top, isFoundationCell(c, r) ? 0 : 1);
            onTable += top;
        }
    EXPECT_EQ(onTable, 5);
    EXPECT_EQ(game.SourceColumn + game.SourceRow + game.DropColumn + game.DropRow, 0);
}

} // namespace
} // namespace vimbo
