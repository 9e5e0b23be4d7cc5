#include "cards.h"
#include "geometry.h"

#include <gtest/gtest.h>

namespace vimbo {
namespace {

TEST(TheGridUnderAPoint, EndsExactlyAtTheLastPixelOfColumnAndRowThree) {
    EXPECT_EQ(CellAtPoint(251, 329), (Cell{3, 3}));
    EXPECT_EQ(CellAtPoint(252, 100).column, 4);
    EXPECT_EQ(CellAtPoint(100, 330).row, 4);
    EXPECT_EQ(CellAtPoint(0, 0), (Cell{1, 1}));
    EXPECT_EQ(CellAtPoint(83, 109), (Cell{1, 1}));
    EXPECT_EQ(CellAtPoint(84, 110), (Cell{2, 2}));
}

TEST(TheGridUnderAPoint, FloorsPointsLeftOfOrAboveTheTable) {
    // Truncation would put x = -1 in column 1 and let a card dropped off the
    // left edge land on the grid.
    EXPECT_EQ(CellAtPoint(-1, -1), (Cell{0, 0}));
    EXPECT_EQ(CellAtPoint(-84, -110), (Cell{0, 0}));
    EXPECT_EQ(CellAtPoint(-85, -111), (Cell{-1, -1}));
    EXPECT_FALSE(isGridCell(0, 2));
    EXPECT_FALSE(isGridCell(2, 4));
}

TEST(TheGridUnderAPoint, TakesEveryCardOriginBackToItsOwnCellAndTheWastePileToColumnFour) {
    for (int c = 1; c <= 3; ++c) {
        for (int r = 1; r <= 3; ++r) {
            const Point o = CellOrigin(c, r);
            EXPECT_EQ(CellAtPoint(o.left, o.top), (Cell{c, r}));
            // Every pixel of a card's face lies in its own cell.
            EXPECT_EQ(CellAtPoint(o.left + kFaceWidth - 1, o.top + kFaceHeight - 1), (Cell{c, r}));
        }
    }
    EXPECT_EQ(CellAtPoint(kWastePilePlace.left, kWastePilePlace.top), (Cell{kWasteColumn, 3}));
}

TEST(TheTable, HasFoundationsInTheCornersAndThePlusBetween) {
    EXPECT_EQ(CellOrigin(1, 1), (Point{20, 10}));
    EXPECT_EQ(CellOrigin(3, 3), (Point{180, 230}));
    EXPECT_EQ(CellOrigin(2, 2), (Point{100, 120}));
    const bool corners[4][4] = {{}, {false, true, false, true}, {}, {false, true, false, true}};
    for (int c = 1; c <= 3; ++c)
        for (int r = 1; r <= 3; ++r)
            EXPECT_EQ(isFoundationCell(c, r), corners[c][r]) << c << r;
}

TEST(SuitLength, SplitsShortFromLongWithTheKingsStraddling) {
    EXPECT_EQ(LengthGroup(1), 0);
    EXPECT_EQ(LengthGroup(19), 0);
    EXPECT_EQ(LengthGroup(20), 1); // king of cups, although cups are short
    EXPECT_EQ(LengthGroup(39), 1);
    EXPECT_EQ(LengthGroup(40), 2); // king of swords
}

} // namespace
} // namespace vimbo
