// What a listening player is told: each key's result in the words of the
// table as it now is, the deal, the whole table in one go, and hints that the
// rules take and that lead somewhere.
#include "invariants.h"
#include "key_table.h"
#include "table_builder.h"
#include "table_words.h"

#include <gtest/gtest.h>

using namespace vimbo;
using namespace vimbo::testing;

namespace {

// Top Four of Clubs, left Ace of Coins, centre Four of Coins, right Three of
// Cups, bottom Two of Clubs; the Knave of Swords first in the stock.
std::vector<int> toldDeck() {
    return deckStarting({24, 1, 4, 13, 22, 38});
}

struct Step {
    TableKey key;
    const char* told;
};

constexpr TableKey L = TableKey::Left, R = TableKey::Right, U = TableKey::Up, D = TableKey::Down,
                   Act = TableKey::Act, Esc = TableKey::Cancel, T = TableKey::TurnStock;

} // namespace

TEST(TableWordsTest, EveryKeyIsToldAsTheTableNowIs) {
    Table t(toldDeck());
    EXPECT_EQ(toldDeal(t.game), "New game: Four of Clubs at the top, Ace of Coins at the left, "
                                "Four of Coins in the centre, Three of Cups at the right, "
                                "Two of Clubs at the bottom");
    const Step steps[] = {
        {Act, ""}, // the first key only shows the cursor, on the centre
        {R, ""},   // a plain move: the place taking the focus says it all
        {Act, "Three of Cups picked up"},
        {L, "Carrying Three of Cups"},
        {Act, "Three of Cups cannot go on the Four of Coins, centre of the plus; "
              "back on the right of the plus"},
        {Act, "Three of Cups picked up"},
        {U, "Carrying Three of Cups"},
        {L, "Carrying Three of Cups"},
        {Act, "Three of Cups on the Four of Clubs, top of the plus"},
        {D, ""},
        {D, ""},
        {Act, "Two of Clubs picked up"},
        {L, "Carrying Two of Clubs"},
        // The refusal names the place it was aimed at, not the one it went back to.
        {Act, "Two of Clubs cannot go on the empty bottom-left foundation; "
              "back on the bottom of the plus"},
        {L, ""},
        {U, ""},
        {Act, "Ace of Coins picked up"},
        {U, "Carrying Ace of Coins"},
        {Act, "Ace of Coins on the top-left foundation"},
        {Act, "Ace of Coins stays on its foundation"},
        {D, ""},
        {Act, "Nothing to pick up"},
        {L, "Left of the plus"}, // the edge: the place again, short
        {R, ""},
        {Act, "Four of Coins picked up"},
        {Esc, "Back on the centre of the plus"},
        {T, "Turned: Knave of Swords. 34 cards left"},
        {TableKey::Hint, "Knave of Swords can go on the empty left of the plus"},
        {Act, "Knave of Swords picked up"},
        {Act, "Back on the waste pile"},
        {Act, "Knave of Swords picked up"},
        {R, "Carrying Knave of Swords"},
        {Act, "Knave of Swords cannot go in the stock; back on the waste pile"},
        {TableKey::Summary,
         "Stock: 34 cards left. Waste pile: Knave of Swords, 1 card. Top-left foundation: Ace of "
         "Coins. Top-right foundation: empty. Bottom-left foundation: empty. Bottom-right "
         "foundation: empty. Top of the plus: Three of Cups, 2 cards. Left of the plus: empty. "
         "Centre of the plus: Four of Coins, 1 card. Right of the plus: empty. Bottom of the "
         "plus: Two of Clubs, 1 card."},
    };
    int i = 0;
    for (const Step& step : steps) {
        const KeyOutcome outcome = t.keys.press(step.key);
        EXPECT_EQ(toldAfter(outcome, t.game), step.told) << "step " << i;
        ++i;
    }
    for (int turn = 2; turn < 35; ++turn)
        t.keys.press(T);
    EXPECT_EQ(toldAfter(t.keys.press(T), t.game), "Turned: King of Swords. The stock is empty");
    EXPECT_EQ(toldAfter(t.keys.press(T), t.game), "The stock is empty");
}

TEST(TableWordsTest, AHintLeadsToTheCardItNamesAndSaysWhenNothingIsLeft) {
    struct Case {
        const char* what;
        std::function<void(Game&)> lay;
        const char* told;
        Cell cursor;
    };
    const Case cases[] = {
        {"an ace goes home at once",
         [](Game& g) {
             stack(g, 2, 3, {clubs(5), cups(1)});
         },
         "Ace of Cups can go on the empty top-left foundation",
         {2, 3}},
        {"a card moves away to free the one beneath for its foundation",
         [](Game& g) {
             stack(g, 1, 1, {coins(1), coins(2)});
             stack(g, 2, 2, {coins(3), clubs(2)});
             stack(g, 3, 2, {cups(3)});
         },
         "Two of Clubs can go on the Three of Cups, right of the plus",
         {2, 2}},
        {"the stock still has cards",
         [](Game& g) {
             stack(g, 2, 2, {clubs(5)});
             g.showStock();
             g.NextDealPosition = 30;
         },
         "No move on the table: turn the stock",
         {2, 2}},
        {"a lone card moved to an empty place changes nothing",
         [](Game& g) { stack(g, 2, 2, {swords(10)}); },
         "No move left. Shuffle cards deals a new game",
         {2, 2}},
    };
    Game won;
    const Cell homes[] = {{1, 1}, {3, 1}, {1, 3}, {3, 3}};
    for (int suit = 0; suit < 4; ++suit)
        for (int rank = 1; rank <= 10; ++rank)
            stack(won, homes[suit].column, homes[suit].row,
                  {static_cast<CardValue>(suit * 10 + rank)});
    EXPECT_FALSE(isStuck(won)) << "a won game is not stuck";
    for (const Case& c : cases) {
        Table t(toldDeck());
        t.game.TableGrid = {};
        t.game.parkAllCards();
        t.game.stockVisible = false;
        c.lay(t.game);
        t.showModel();
        const KeyOutcome outcome = t.keys.press(TableKey::Hint);
        EXPECT_EQ(toldAfter(outcome, t.game), c.told) << c.what;
        EXPECT_EQ(t.keys.cursor(), c.cursor) << c.what;
    }
}

TEST(TableWordsTest, PlayingByHintsAloneIsLegalEndsAndOftenWins) {
    // Many games, each played only as the hints say: every move they name is
    // one the rules take, and no game goes round in circles.
    int won = 0;
    for (std::uint64_t seed = 1; seed <= 60; ++seed) {
        Game game(std::make_unique<SeededRandom>(seed));
        bool over = false;
        game.Finale = [&] {
            over = true;
            ++won;
            EXPECT_EQ(toldWin(game).substr(toldWin(game).find(". ")),
                      ". All four kings are home: you have won!");
        };
        game.parkAllCards();
        game.showStock();
        game.Mescola();
        int steps = 0;
        for (; !over && steps < 500; ++steps) {
            const Hint hint = findHint(game);
            ASSERT_EQ(isStuck(game), hint.kind == Hint::Kind::NoMoveLeft) << "seed " << seed;
            if (hint.kind == Hint::Kind::NoMoveLeft) break;
            if (hint.kind == Hint::Kind::TurnStock) {
                ASSERT_NE(game.turnStock(), kNoCard) << "seed " << seed;
                continue;
            }
            ASSERT_TRUE(move(game, hint.card, hint.to.column, hint.to.row))
                << "seed " << seed << ": " << toldHint(hint);
            ASSERT_EQ(checkInvariants(game), "") << "seed " << seed;
        }
        ASSERT_LT(steps, 500) << "seed " << seed << " goes round in circles";
    }
    EXPECT_GT(won, 0);
}
