// Where things lie on the 400 x 400 table, in window pixels with the origin at
// the top-left of the table area. The table is a 3 x 3 grid: four corner
// foundations and a plus of five tableau cells; the stock and the waste pile
// sit to the right of the grid.
#pragma once

namespace vimbo {

struct Point {
    int left = 0;
    int top = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Cell {
    int column = 0;
    int row = 0;
    friend bool operator==(const Cell&, const Cell&) = default;
};

inline constexpr int kGridSize = 3;

// Cells are 80 pixels apart across and 110 down; the first one starts 20 in
// and 10 down.
inline constexpr int kCellPitchX = 80;
inline constexpr int kCellPitchY = 110;
inline constexpr int kCellOffsetX = 60;
inline constexpr int kCellOffsetY = 100;

// The cell under a point uses a wider column (84) than the cell pitch, so a
// drop a little right of a card's edge still lands on it; the grid ends at
// x = 252, short of the waste pile at 260.
inline constexpr int kHitColumnWidth = 84;
inline constexpr int kHitRowHeight = 110;

// Cards not in play wait far outside the window.
inline constexpr Point kParkedPlace{1500, 1500};
// Cards turned from the stock land here, the last one in front.
inline constexpr Point kWastePilePlace{260, 230};
// The face-down stock, beside the waste pile.
inline constexpr Point kStockPlace{330, 230};
// How a card picked up from the waste pile is told apart from a grid card:
// its corner lies in "column 4".
inline constexpr int kWasteColumn = 4;

// A card face and its picture (the picture has a one-pixel border around it).
inline constexpr int kFaceWidth = 62;
inline constexpr int kFaceHeight = 100;
inline constexpr int kCardWidth = 64;
inline constexpr int kCardHeight = 102;

// Integer division rounded toward minus infinity, so that a point one pixel
// left of the table is column 0, not column 1.
constexpr int floorDiv(int a, int b) {
    const int q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

constexpr Point CellOrigin(int column, int row) {
    return {column * kCellPitchX - kCellOffsetX, row * kCellPitchY - kCellOffsetY};
}

constexpr Cell CellAtPoint(int x, int y) {
    return {floorDiv(x, kHitColumnWidth) + 1, floorDiv(y, kHitRowHeight) + 1};
}

constexpr bool isGridCell(int column, int row) {
    return column >= 1 && column <= kGridSize && row >= 1 && row <= kGridSize;
}

// The corners are foundations: column not the middle one and column + row even.
constexpr bool isFoundationCell(int column, int row) {
    return column != 2 && (column + row) % 2 == 0;
}

constexpr bool isTableauCell(int column, int row) {
    return !isFoundationCell(column, row);
}

} // namespace vimbo
