// The keyboard cursor: where the arrows take it, and that every key play ends
// in the same game and the same sounds as the mouse gesture it stands for.
#include "key_table.h"

#include <gtest/gtest.h>

using namespace vimbo;
using namespace vimbo::testing;

namespace {

using What = KeyOutcome::What;

Cell homeOf(int card) {
    static const Cell corners[4] = {{1, 1}, {3, 1}, {1, 3}, {3, 3}};
    return corners[(card - 1) / 10];
}

Point over(Cell place) {
    return TableKeys::pointerOver(place);
}

} // namespace

TEST(TableKeysTest, TheArrowsFollowTheTableAndStopAtItsEdges) {
    struct Case {
        Cell from;
        TableKey key;
        Cell to;
    };
    const Case cases[] = {
        {{2, 2}, TableKey::Left, {1, 2}},
        {{1, 2}, TableKey::Left, {1, 2}},
        {{2, 1}, TableKey::Up, {2, 1}},
        {{2, 3}, TableKey::Down, {2, 3}},
        {{3, 2}, TableKey::Right, {3, 2}},
        {{3, 3}, TableKey::Right, kWasteCell},
        {kWasteCell, TableKey::Right, kStockCell},
        {kStockCell, TableKey::Right, kStockCell},
        {kStockCell, TableKey::Left, kWasteCell},
        {kWasteCell, TableKey::Up, kWasteCell},
        {kWasteCell, TableKey::Left, {3, 3}},
        {{3, 1}, TableKey::Down, {3, 2}},
    };
    for (const Case& c : cases) {
        Table t;
        t.keys.press(TableKey::Down); // the first key only shows the cursor
        ASSERT_TRUE(t.keys.cursorShown());
        ASSERT_EQ(t.keys.cursor(), (Cell{2, 2}));
        t.walk(c.from);
        t.keys.press(c.key);
        EXPECT_EQ(t.keys.cursor(), c.to) << c.from.column << "," << c.from.row;
    }
}

TEST(TableKeysTest, KeysAndMouseLeadToTheSameGameAndTheSameSounds) {
    // The whole game, with a refusal, a drop off the grid and a drop on the
    // card's own cell on the way: by the mouse on one table, by keys on another.
    Table mouse, keys;
    keys.keys.press(TableKey::Act);
    auto both = [&](CardValue card, Cell from, Cell to) {
        mouse.drag(card, over(to));
        keys.carry(from, to);
        ASSERT_EQ(mouse.game.TableGrid, keys.game.TableGrid) << card;
        ASSERT_EQ(mouse.sounds, keys.sounds) << card;
    };
    both(1, {2, 1}, {2, 2});     // the ace of coins on the king of swords: refused
    both(1, {2, 1}, kWasteCell); // over the waste pile: back it goes
    both(1, {2, 1}, {2, 1});     // on its own cell
    const Cell plus[] = {{2, 1}, {1, 2}, {2, 2}, {3, 2}, {2, 3}};
    for (int ace : {1, 11, 21, 31})
        both(static_cast<CardValue>(ace),
             plus[ace == 1    ? 0
                  : ace == 11 ? 1
                  : ace == 21 ? 3
                              : 4],
             homeOf(ace));
    for (int turn = 0; turn < 35; ++turn) {
        mouse.hand.mazzo_Click();
        keys.go(kStockCell);
        const CardValue card = keys.game.WastePile.back();
        both(card, kWasteCell, homeOf(card));
    }
    both(40, {2, 2}, {3, 3});
    EXPECT_EQ(mouse.wins, 1);
    EXPECT_EQ(keys.wins, 1);
    EXPECT_EQ(mouse.at, keys.at);
    EXPECT_EQ(mouse.game.WastePile, keys.game.WastePile);
}

TEST(TableKeysTest, ACarriedCardGoesHomeWhenRefusedCancelledOrTheMouseTakesOver) {
    Table t;
    t.keys.press(TableKey::Act);
    // Refused: the card and the cursor go back, the release rustles.
    EXPECT_EQ(t.go({2, 1}).what, What::PickedUp);
    const KeyOutcome refused = t.go({2, 2});
    EXPECT_EQ(refused.what, What::Refused);
    EXPECT_EQ(refused.under, 40);
    EXPECT_EQ(t.keys.cursor(), (Cell{2, 1}));
    EXPECT_EQ(t.at[1], CellOrigin(2, 1));
    EXPECT_EQ(t.sounds, std::vector<std::string>{"rustle"});

    // Escape: back with no rule run and no sound.
    t.go({2, 1});
    t.keys.press(TableKey::Right);
    EXPECT_EQ(t.at[1], (Point{CellOrigin(3, 1).left - TableKeys::kLift.left,
                              CellOrigin(3, 1).top - TableKeys::kLift.top}));
    EXPECT_EQ(t.keys.press(TableKey::Cancel).what, What::Cancelled);
    EXPECT_EQ(t.at[1], CellOrigin(2, 1));
    EXPECT_EQ(t.keys.cursor(), (Cell{2, 1}));
    EXPECT_FALSE(t.hand.Dragging);
    EXPECT_EQ(t.sounds.size(), 1u);

    // A mouse press hides the cursor and puts a carried card back.
    t.go({2, 1});
    t.keys.hideCursor();
    EXPECT_FALSE(t.keys.cursorShown());
    EXPECT_EQ(t.at[1], CellOrigin(2, 1));
    EXPECT_FALSE(t.hand.Dragging);

    // An ace on its foundation is locked; an empty place has nothing to lift.
    t.keys.press(TableKey::Act);
    t.carry({2, 1}, {1, 1});
    EXPECT_EQ(t.go({1, 1}).what, What::Locked);
    EXPECT_EQ(t.go({2, 1}).what, What::NothingToPickUp);
    EXPECT_FALSE(t.hand.Dragging);
}
